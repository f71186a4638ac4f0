// Replacing the functions that libraries call in other libraries, for tests
// that inject failures or watch calls.
//
// On ELF systems a program that defines and exports a function takes the
// place of every library's definition by symbol lookup; next() finds the
// definition it hides. Windows has no such interposition: a library calls
// what it imports through its import address table, so redirect() rewrites
// those entries in the libraries loaded by then, and next() finds the
// definition in a library that exports it.
#ifndef TESTS__SUPPORT__INTERPOSE_HPP_
#define TESTS__SUPPORT__INTERPOSE_HPP_

// The C++ mangling of size_t: unsigned long on 64-bit Linux, unsigned long
// long on 64-bit Windows.
#if defined(_WIN32)
#  define INTERPOSE_MANGLED_SIZE_T "y"
#else
#  define INTERPOSE_MANGLED_SIZE_T "m"
#endif

namespace interpose
{

// The definition of `name` that the program's own hides; aborts if none.
void * next_address(const char * name);

template<class F>
F next(const char * name)
{
  return reinterpret_cast<F>(next_address(name));
}

// Windows: points every loaded library's imports of `name` at `replacement`,
// or only those of the library `only_in` if given, and returns what the last
// rewritten entry held (null if none). Elsewhere: nothing to do, null.
void * redirect(const char * name, void * replacement, const char * only_in = nullptr);

}  // namespace interpose

#endif  // TESTS__SUPPORT__INTERPOSE_HPP_
