/* Wine's <math.h> made what MSVC's STL expects of the UCRT's: float_t and
 * double_t, the long double functions (long double is double in this ABI),
 * and the classification functions as overloads rather than macros, which
 * would break <cmath>'s using-declarations. */
#pragma once
#include_next <math.h>
#undef fpclassify
#undef signbit
#undef isinf
#undef isnan
#undef isnormal
#undef isfinite

typedef float float_t;
typedef double double_t;
#define HUGE_VALF __builtin_huge_valf()
#define HUGE_VALL __builtin_huge_vall()
#define MATH_ERRNO 1
#define MATH_ERREXCEPT 2
#define math_errhandling (MATH_ERRNO | MATH_ERREXCEPT)

#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP short __cdecl _ldclass(long double);
_ACRTIMP int __cdecl _ldsign(long double);
_ACRTIMP double __cdecl acosh(double);
_ACRTIMP double __cdecl asinh(double);
_ACRTIMP double __cdecl atanh(double);
_ACRTIMP double __cdecl cbrt(double);
_ACRTIMP double __cdecl erf(double);
_ACRTIMP double __cdecl erfc(double);
_ACRTIMP double __cdecl exp2(double);
_ACRTIMP double __cdecl expm1(double);
_ACRTIMP double __cdecl fdim(double, double);
_ACRTIMP double __cdecl fma(double, double, double);
_ACRTIMP double __cdecl fmax(double, double);
_ACRTIMP double __cdecl fmin(double, double);
_ACRTIMP double __cdecl lgamma(double);
_ACRTIMP double __cdecl log1p(double);
_ACRTIMP double __cdecl log2(double);
_ACRTIMP double __cdecl logb(double);
_ACRTIMP double __cdecl nextafter(double, double);
_ACRTIMP double __cdecl remainder(double, double);
_ACRTIMP double __cdecl remquo(double, double, int*);
_ACRTIMP double __cdecl rint(double);
_ACRTIMP double __cdecl round(double);
_ACRTIMP double __cdecl scalbln(double, long);
_ACRTIMP double __cdecl scalbn(double, int);
_ACRTIMP double __cdecl tgamma(double);
_ACRTIMP double __cdecl trunc(double);
_ACRTIMP int __cdecl ilogb(double);
_ACRTIMP long long __cdecl llrint(double);
_ACRTIMP long long __cdecl llround(double);
_ACRTIMP long __cdecl lrint(double);
_ACRTIMP long __cdecl lround(double);
_ACRTIMP float __cdecl acoshf(float);
_ACRTIMP float __cdecl asinhf(float);
_ACRTIMP float __cdecl atanhf(float);
_ACRTIMP float __cdecl cbrtf(float);
_ACRTIMP float __cdecl erff(float);
_ACRTIMP float __cdecl erfcf(float);
_ACRTIMP float __cdecl exp2f(float);
_ACRTIMP float __cdecl expm1f(float);
_ACRTIMP float __cdecl lgammaf(float);
_ACRTIMP float __cdecl log1pf(float);
_ACRTIMP float __cdecl log2f(float);
_ACRTIMP float __cdecl logbf(float);
_ACRTIMP float __cdecl rintf(float);
_ACRTIMP float __cdecl roundf(float);
_ACRTIMP float __cdecl tgammaf(float);
_ACRTIMP float __cdecl truncf(float);
_ACRTIMP float __cdecl nearbyintf(float);
_ACRTIMP float __cdecl fdimf(float, float);
_ACRTIMP float __cdecl fmaxf(float, float);
_ACRTIMP float __cdecl fminf(float, float);
_ACRTIMP float __cdecl nextafterf(float, float);
_ACRTIMP float __cdecl remainderf(float, float);
_ACRTIMP float __cdecl copysignf(float, float);
_ACRTIMP float __cdecl fmaf(float, float, float);
_ACRTIMP float __cdecl remquof(float, float, int*);
_ACRTIMP float __cdecl scalblnf(float, long);
_ACRTIMP float __cdecl scalbnf(float, int);
_ACRTIMP int __cdecl ilogbf(float);
_ACRTIMP long long __cdecl llrintf(float);
_ACRTIMP long long __cdecl llroundf(float);
_ACRTIMP long __cdecl lrintf(float);
_ACRTIMP long __cdecl lroundf(float);
_ACRTIMP double __cdecl nan(const char*);
_ACRTIMP float __cdecl nanf(const char*);
#ifdef __cplusplus
}
#endif

#define _MSVC_MATH_L1(f) \
  static inline long double __cdecl f##l(long double _X) { return f((double)_X); }
#define _MSVC_MATH_L2(f) \
  static inline long double __cdecl f##l(long double _X, long double _Y) { return f((double)_X, (double)_Y); }
_MSVC_MATH_L1(acos) _MSVC_MATH_L1(asin) _MSVC_MATH_L1(atan) _MSVC_MATH_L2(atan2)
_MSVC_MATH_L1(ceil) _MSVC_MATH_L1(cos) _MSVC_MATH_L1(cosh) _MSVC_MATH_L1(exp)
_MSVC_MATH_L1(fabs) _MSVC_MATH_L1(floor) _MSVC_MATH_L2(fmod) _MSVC_MATH_L2(hypot)
_MSVC_MATH_L1(log) _MSVC_MATH_L1(log10) _MSVC_MATH_L2(pow) _MSVC_MATH_L1(sin)
_MSVC_MATH_L1(sinh) _MSVC_MATH_L1(sqrt) _MSVC_MATH_L1(tan) _MSVC_MATH_L1(tanh)
_MSVC_MATH_L1(acosh) _MSVC_MATH_L1(asinh) _MSVC_MATH_L1(atanh) _MSVC_MATH_L1(cbrt)
_MSVC_MATH_L2(copysign) _MSVC_MATH_L1(erf) _MSVC_MATH_L1(erfc) _MSVC_MATH_L1(exp2)
_MSVC_MATH_L1(expm1) _MSVC_MATH_L2(fdim) _MSVC_MATH_L2(fmax) _MSVC_MATH_L2(fmin)
_MSVC_MATH_L1(lgamma) _MSVC_MATH_L1(log1p) _MSVC_MATH_L1(log2) _MSVC_MATH_L1(logb)
_MSVC_MATH_L1(nearbyint) _MSVC_MATH_L2(nextafter) _MSVC_MATH_L2(remainder)
_MSVC_MATH_L1(rint) _MSVC_MATH_L1(round) _MSVC_MATH_L1(tgamma) _MSVC_MATH_L1(trunc)
#undef _MSVC_MATH_L1
#undef _MSVC_MATH_L2
static inline long double __cdecl nanl(const char* _X) { return nan(_X); }
static inline long double __cdecl fmal(long double _X, long double _Y, long double _Z) {
  return fma((double)_X, (double)_Y, (double)_Z);
}
static inline long double __cdecl frexpl(long double _X, int* _Y) { return frexp((double)_X, _Y); }
static inline long double __cdecl ldexpl(long double _X, int _Y) { return ldexp((double)_X, _Y); }
static inline long double __cdecl modfl(long double _X, long double* _Y) {
  double _Int;
  long double _Frac = modf((double)_X, &_Int);
  *_Y = _Int;
  return _Frac;
}
static inline int __cdecl ilogbl(long double _X) { return ilogb((double)_X); }
static inline long long __cdecl llrintl(long double _X) { return llrint((double)_X); }
static inline long long __cdecl llroundl(long double _X) { return llround((double)_X); }
static inline long __cdecl lrintl(long double _X) { return lrint((double)_X); }
static inline long __cdecl lroundl(long double _X) { return lround((double)_X); }
static inline long double __cdecl nexttowardl(long double _X, long double _Y) { return nextafter((double)_X, (double)_Y); }
static inline double __cdecl nexttoward(double _X, long double _Y) { return nextafter(_X, (double)_Y); }
static inline float __cdecl nexttowardf(float _X, long double _Y) { return nextafterf(_X, (float)_Y); }
static inline long double __cdecl remquol(long double _X, long double _Y, int* _Z) { return remquo((double)_X, (double)_Y, _Z); }
static inline long double __cdecl scalblnl(long double _X, long _Y) { return scalbln((double)_X, _Y); }
static inline long double __cdecl scalbnl(long double _X, int _Y) { return scalbn((double)_X, _Y); }

#ifdef __cplusplus
extern "C++" {
inline int fpclassify(float _X) noexcept { return _fdclass(_X); }
inline int fpclassify(double _X) noexcept { return _dclass(_X); }
inline int fpclassify(long double _X) noexcept { return _ldclass(_X); }
template <class _Ty>
inline int fpclassify(_Ty _X) noexcept { return _dclass(static_cast<double>(_X)); }
inline bool signbit(float _X) noexcept { return _fdsign(_X) != 0; }
inline bool signbit(double _X) noexcept { return _dsign(_X) != 0; }
inline bool signbit(long double _X) noexcept { return _ldsign(_X) != 0; }
template <class _Ty>
inline bool signbit(_Ty _X) noexcept { return _dsign(static_cast<double>(_X)) != 0; }
template <class _Ty>
inline bool isinf(_Ty _X) noexcept { return fpclassify(_X) == FP_INFINITE; }
template <class _Ty>
inline bool isnan(_Ty _X) noexcept { return fpclassify(_X) == FP_NAN; }
template <class _Ty>
inline bool isnormal(_Ty _X) noexcept { return fpclassify(_X) == FP_NORMAL; }
template <class _Ty>
inline bool isfinite(_Ty _X) noexcept { return fpclassify(_X) <= 0; }
template <class _Ty1, class _Ty2>
inline bool isgreater(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_isgreater(_X, _Y); }
template <class _Ty1, class _Ty2>
inline bool isgreaterequal(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_isgreaterequal(_X, _Y); }
template <class _Ty1, class _Ty2>
inline bool isless(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_isless(_X, _Y); }
template <class _Ty1, class _Ty2>
inline bool islessequal(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_islessequal(_X, _Y); }
template <class _Ty1, class _Ty2>
inline bool islessgreater(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_islessgreater(_X, _Y); }
template <class _Ty1, class _Ty2>
inline bool isunordered(_Ty1 _X, _Ty2 _Y) noexcept { return __builtin_isunordered(_X, _Y); }
}
#else
#define fpclassify(x) (sizeof(x) == sizeof(float) ? _fdclass(x) : _dclass(x))
#define signbit(x) (sizeof(x) == sizeof(float) ? _fdsign(x) : _dsign(x))
#define isinf(x) (fpclassify(x) == FP_INFINITE)
#define isnan(x) (fpclassify(x) == FP_NAN)
#define isnormal(x) (fpclassify(x) == FP_NORMAL)
#define isfinite(x) (fpclassify(x) <= 0)
#endif
