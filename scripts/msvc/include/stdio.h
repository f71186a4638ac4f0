/* Wine's <stdio.h> and what it leaves out of the UCRT's: the stream buffer
 * access <fstream> uses, and the scanf forms, inline over the common entry
 * point as in MSVC's header. */
#pragma once
#include_next <stdio.h>
#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP errno_t __cdecl _get_stream_buffer_pointers(FILE*, char***, char***, int**);
_ACRTIMP int __cdecl __stdio_common_vfscanf(unsigned __int64, FILE*, const char*, _locale_t, va_list);
_ACRTIMP int __cdecl __stdio_common_vsscanf(unsigned __int64, const char*, size_t, const char*, _locale_t, va_list);
static inline int __cdecl vfscanf(FILE* _Stream, const char* _Format, va_list _Args) {
  return __stdio_common_vfscanf(0, _Stream, _Format, NULL, _Args);
}
static inline int __cdecl vscanf(const char* _Format, va_list _Args) {
  return __stdio_common_vfscanf(0, stdin, _Format, NULL, _Args);
}
static inline int __cdecl vsscanf(const char* _Buffer, const char* _Format, va_list _Args) {
  return __stdio_common_vsscanf(0, _Buffer, (size_t)-1, _Format, NULL, _Args);
}
#ifdef __cplusplus
}
#endif
