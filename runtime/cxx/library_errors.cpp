// How the C++ library reports a broken precondition (a string or vector beyond its maximum length, a
// position out of range, a null string), in place of the C++ runtime's own: one small exception class of
// ours that carries the library's message, rather than std::length_error, std::out_of_range and their
// kin. Those keep their message in a reference-counted string, and the runtime's object that throws them
// links every standard exception class and that string's members with it (some 20 KB). Nothing catches
// them by type: they reach a COM or window boundary as E_UNEXPECTED as before, or std::terminate's report
// with their message. Linked into each program itself rather than through an archive, so that the linker
// has these before it looks in the C++ runtime.
#include <exception>
#include <new>
#include <typeinfo>

#include <bits/functexcept.h>

namespace {

class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* message) noexcept : message_(message) {}
    const char* what() const noexcept override { return message_; }

private:
    const char* message_; // the library's, a literal
};

} // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }

void __throw_logic_error(const char* message) { throw LibraryError(message); }
void __throw_domain_error(const char* message) { throw LibraryError(message); }
void __throw_invalid_argument(const char* message) { throw LibraryError(message); }
void __throw_length_error(const char* message) { throw LibraryError(message); }
void __throw_out_of_range(const char* message) { throw LibraryError(message); }
// The format's numbers are left out: formatting them would link a formatter.
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
void __throw_runtime_error(const char* message) { throw LibraryError(message); }
void __throw_range_error(const char* message) { throw LibraryError(message); }
void __throw_overflow_error(const char* message) { throw LibraryError(message); }
void __throw_underflow_error(const char* message) { throw LibraryError(message); }

} // namespace std
