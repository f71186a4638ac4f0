/* Wine's <time.h> and the UCRT's timespec_get, localtime_s and gmtime_s,
 * inline over the 64-bit functions as in MSVC's header. */
#pragma once
#include_next <time.h>
#ifndef TIME_UTC
#define TIME_UTC 1
#endif
#ifdef __cplusplus
extern "C" {
#endif
#ifndef _CRT_NO_TIME_T
struct _timespec32 {
  __time32_t tv_sec;
  long tv_nsec;
};
struct _timespec64 {
  __time64_t tv_sec;
  long tv_nsec;
};
struct timespec {
  time_t tv_sec;
  long tv_nsec;
};
#endif
_ACRTIMP int __cdecl _timespec64_get(struct _timespec64*, int);
static inline int __cdecl timespec_get(struct timespec* const _Ts, int const _Base) {
  return _timespec64_get((struct _timespec64*)_Ts, _Base);
}
_ACRTIMP errno_t __cdecl _gmtime64_s(struct tm*, const __time64_t*);
static inline errno_t __cdecl localtime_s(struct tm* const _Tm, time_t const* const _Time) {
  return _localtime64_s(_Tm, _Time);
}
static inline errno_t __cdecl gmtime_s(struct tm* const _Tm, time_t const* const _Time) {
  return _gmtime64_s(_Tm, _Time);
}
#ifdef __cplusplus
}
#endif
