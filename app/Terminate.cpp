// The last words of a program ended by an exception nothing caught. libstdc++'s own handler
// writes the exception's type in readable C++, for which it links a whole name demangler (about
// a twentieth of the program); this one writes the type's linker name and the exception's
// message, then ends the program as that one does. Linked into the program as an object file,
// it takes the place of the library's handler.
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace {

// Plain writes: the C++ library's printf would bring in a formatter of its own.
void Say(const char* A, const char* B = "", const char* C = "") {
    std::fputs(A, stderr);
    std::fputs(B, stderr);
    std::fputs(C, stderr);
}

} // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static bool Terminating = false;
    if (Terminating) {
        Say("terminate called recursively\n");
        std::abort();
    }
    Terminating = true;
    if (const std::type_info* Type = abi::__cxa_current_exception_type()) {
        Say("terminate called after throwing an instance of '", Type->name(), "'\n");
        try {
            throw;
        } catch (const std::exception& E) {
            Say("  what():  ", E.what(), "\n");
        } catch (...) {
        }
    } else {
        Say("terminate called without an active exception\n");
    }
    std::abort();
}

} // namespace __gnu_cxx
