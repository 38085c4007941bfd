// The two std::string members that the C++ runtime's exception messages use (see
// exception_message_cow.cpp), defined here so that its object of every std::string member stays out.
#include <string>

template void std::string::_M_assign(const std::string&);
template std::string::pointer std::string::_M_create(size_type&, size_type);
