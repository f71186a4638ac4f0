/* Wine's <windef.h> defines the keyword inline as a macro (__inline) for
 * MSVC-compatible compilers; MSVC's STL refuses keyword macros, and the
 * keyword itself serves C11 and C++ alike. */
#pragma once
#include_next <windef.h>
#undef inline
