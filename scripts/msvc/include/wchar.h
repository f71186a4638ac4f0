/* Wine's <wchar.h> with the UCRT's mbstate_t: an 8-byte structure there (it
 * is part of std::fpos, so its size is ABI), a plain int in Wine 8. Wine's
 * declarations of the functions taking it are renamed out of the way. */
#pragma once
#include <corecrt.h>
#define mbstate_t __wine_int_mbstate_t
#define mbrlen __wine_mbrlen
#define mbrtowc __wine_mbrtowc
#define mbsrtowcs __wine_mbsrtowcs
#define wcrtomb __wine_wcrtomb
#define wcsrtombs __wine_wcsrtombs
#include_next <wchar.h>
#undef mbstate_t
#undef mbrlen
#undef mbrtowc
#undef mbsrtowcs
#undef wcrtomb
#undef wcsrtombs
#include <stdio.h>
#ifdef __cplusplus
extern "C" {
#endif
typedef _Mbstatet mbstate_t;
_ACRTIMP size_t __cdecl mbrlen(const char*, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl mbrtowc(wchar_t*, const char*, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl mbsrtowcs(wchar_t*, const char**, size_t, mbstate_t*);
_ACRTIMP size_t __cdecl wcrtomb(char*, wchar_t, mbstate_t*);
_ACRTIMP size_t __cdecl wcsrtombs(char*, const wchar_t**, size_t, mbstate_t*);
_ACRTIMP int __cdecl mbsinit(const mbstate_t*);
_ACRTIMP int __cdecl fwide(FILE*, int);
_ACRTIMP long double __cdecl wcstold(const wchar_t*, wchar_t**);
_ACRTIMP int __cdecl __stdio_common_vfwscanf(unsigned __int64, FILE*, const wchar_t*, _locale_t, va_list);
_ACRTIMP int __cdecl __stdio_common_vswscanf(unsigned __int64, const wchar_t*, size_t, const wchar_t*, _locale_t, va_list);
static inline int __cdecl vfwscanf(FILE* _Stream, const wchar_t* _Format, va_list _Args) {
  return __stdio_common_vfwscanf(0, _Stream, _Format, NULL, _Args);
}
static inline int __cdecl vwscanf(const wchar_t* _Format, va_list _Args) {
  return __stdio_common_vfwscanf(0, stdin, _Format, NULL, _Args);
}
static inline int __cdecl vswscanf(const wchar_t* _Buffer, const wchar_t* _Format, va_list _Args) {
  return __stdio_common_vswscanf(0, _Buffer, (size_t)-1, _Format, NULL, _Args);
}
#ifdef __cplusplus
}
#endif
