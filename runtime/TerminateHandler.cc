// What std::terminate calls unless the program sets a handler. The
// library's own first prints the exception's name to standard error, with
// a name demangler and MinGW's printf, both built for a Pentium Pro; a
// windowed program has no standard error to read anyway. Ours just aborts.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
