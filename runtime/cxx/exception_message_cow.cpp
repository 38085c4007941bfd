// The members of the reference-counted string that std::logic_error and std::runtime_error keep their
// message in. Defined here, the linker need not take the C++ runtime's object of that string, which
// brings every member and, through them, std::random_device and the whole std::string (some 65 KB).
// Compiled with the old string ABI (see CMakeLists.txt), where std::string is that string.
#include <string>

static_assert(!_GLIBCXX_USE_CXX11_ABI, "this file defines members of the reference-counted std::string");

using MessageString = std::string;
using Allocator = std::allocator<char>;
using Size = MessageString::size_type;

template MessageString::_Rep* MessageString::_Rep::_S_create(Size, Size, const Allocator&);
template void MessageString::_Rep::_M_destroy(const Allocator&) throw();
template void MessageString::_Rep::_M_dispose(const Allocator&);
template char* MessageString::_Rep::_M_clone(const Allocator&, Size);
template char* MessageString::_S_construct(Size, char, const Allocator&);
template void MessageString::swap(MessageString&);
template MessageString& MessageString::assign(const MessageString&);
