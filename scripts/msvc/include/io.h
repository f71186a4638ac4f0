/* Wine's <io.h> names open() and sopen() as macros for _open and _sopen,
 * which renames every member called open (std::ifstream::open). In C++ they
 * are functions, as MSVC declares them. */
#pragma once
#include_next <io.h>
#ifdef __cplusplus
#undef open
#undef sopen
inline int __cdecl open(const char* _Path, int _Flags, int _Mode = 0) { return _open(_Path, _Flags, _Mode); }
inline int __cdecl sopen(const char* _Path, int _Flags, int _Share, int _Mode = 0) {
  return _sopen(_Path, _Flags, _Share, _Mode);
}
#endif
