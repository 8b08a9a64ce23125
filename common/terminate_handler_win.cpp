// What runs when an exception escapes or noexcept is broken: end the program at once.
// The standard library's default handler prints the exception's demangled type name to a
// console these programs don't have, and pulls the whole C++ demangler (about 45 KB) into
// every program for it. Windows' own error reporting sees the abort either way.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}
