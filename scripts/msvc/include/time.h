/* Wine's <time.h> and the UCRT's timespec_get, inline over _timespec64_get as in MSVC's header. */
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
#ifdef __cplusplus
}
#endif
