// The handler std::terminate calls, in place of the C++ runtime's own. That one demangles the exception's
// type name, which links a demangler of some 45 KB; the mangled name tells whoever reads it as much. Linked into each program itself rather than through an archive, so that the linker has it
// before it looks in the C++ runtime.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <typeinfo>

#include <cxxabi.h>

namespace {

// fputs: fprintf would link the C runtime's formatter.
void Say(const char* a, const char* b = "", const char* c = "") {
    std::fputs(a, stderr);
    std::fputs(b, stderr);
    std::fputs(c, stderr);
}

} // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool terminating = false; // a second call comes from a throwing what()
    if (!terminating) {
        terminating = true;
        if (const std::type_info* type = abi::__cxa_current_exception_type()) {
            Say("terminate called after throwing an instance of '", type->name(), "'\n");
            try {
                throw;
            } catch (const std::exception& e) {
                Say("  what():  ", e.what(), "\n");
            } catch (...) {
            }
        } else {
            Say("terminate called without an active exception\n");
        }
    }
    std::abort();
}

} // namespace __gnu_cxx
