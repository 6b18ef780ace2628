// What std::terminate does in the program. The C++ library's own handler
// writes the type of an escaped exception to the standard error stream, which
// a window program has not, and brings the whole name demangler into the
// executable for that (about a tenth of its size). Nothing escapes the window
// procedure or the message loop on purpose, so an escape here is a fault:
// end the process at once, as the library's handler also does after writing.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
