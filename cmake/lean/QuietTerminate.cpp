// GCC's default terminate handler names the uncaught exception's type on stderr before it
// aborts, and to name it links the C++ demangler and the C99 printf family (about 70 kB).
// A Windows GUI program has no stderr to read it on, so the programs that ship abort at
// once, as the verbose handler would after its message. Defining the handler here, ahead
// of the C++ library on the link line, keeps the library's copy out.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx
