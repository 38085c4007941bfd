// Included ahead of every C++ source of the Windows trees. The C++ runtime's std::string and std::wstring
// members come from one object each, which links whole: the unwind tables, which the linker always keeps,
// hold on to every function in it. Without the explicit instantiation declarations, each program compiles
// the members it uses and links only those. -1 is the library's own setting for exactly this.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
