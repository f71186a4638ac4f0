/* The vcruntime layer of an MSVC-ABI build with free parts: the macros and
 * declarations that Microsoft's STL and the C runtime headers expect from
 * MSVC's vcruntime.h, over Wine's corecrt.h (which has the basic types). */
#pragma once
#define _VCRUNTIME_H

#include <corecrt.h>
#include <sal.h>
#include <vadefs.h>

#define _VCRT_COMPILER_PREPROCESSOR 1
#define _CRT_PACKING 8
#pragma pack(push, _CRT_PACKING)

#ifdef __cplusplus
#  define _CRT_BEGIN_C_HEADER __pragma(pack(push, _CRT_PACKING)) extern "C" {
#  define _CRT_END_C_HEADER } __pragma(pack(pop))
#else
#  define _CRT_BEGIN_C_HEADER __pragma(pack(push, _CRT_PACKING))
#  define _CRT_END_C_HEADER __pragma(pack(pop))
#endif

#ifndef _VCRTIMP
#  define _VCRTIMP __declspec(dllimport)
#endif
#ifndef _CRTIMP
#  define _CRTIMP __declspec(dllimport)
#endif
/* What msvcp140.dll exports (the STL's separately compiled part). */
#ifndef _CRTIMP2
#  define _CRTIMP2 __declspec(dllimport)
#endif
#ifndef _MRTIMP2
#  define _MRTIMP2 __declspec(dllimport)
#endif
#define _PGLOBAL
#define _VCRT_NOALIAS __declspec(noalias)
#define _VCRT_RESTRICT __declspec(restrict)
#define _VCRT_ALLOCATOR __declspec(allocator)
#define _VCRT_JIT_INTRINSIC
#define _VCRT_ALIGN(x) __declspec(align(x))
#define _CRT_ALIGN(x) __declspec(align(x))
#define _CRT_HYBRIDPATCHABLE
#define _CRT_GUARDOVERFLOW
#define _CRT_UNUSED(x) (void)x
#define _UNALIGNED
#define _CRT_DEPRECATE_TEXT(_Text) __declspec(deprecated(_Text))
#define _CRT_INSECURE_DEPRECATE(_Replacement)
#define _CRT_INSECURE_DEPRECATE_MEMORY(_Replacement)
#define __CLRCALL_PURE_OR_CDECL __cdecl
#define __CLRCALL_OR_CDECL __cdecl
#define __CLR_OR_THIS_CALL
#define __CRTDECL __CLRCALL_PURE_OR_CDECL
#define _CRT_STRINGIZE_(x) #x
#define _CRT_STRINGIZE(x) _CRT_STRINGIZE_(x)
#define _CRT_WIDE_(s) L##s
#define _CRT_WIDE(s) _CRT_WIDE_(s)
#define _CRT_CONCATENATE_(a, b) a##b
#define _CRT_CONCATENATE(a, b) _CRT_CONCATENATE_(a, b)
#define _CRT_UNPARENTHESIZE_(...) __VA_ARGS__
#define _CRT_UNPARENTHESIZE(...) _CRT_UNPARENTHESIZE_ __VA_ARGS__
#define _CRT_SATELLITE_1 __declspec(dllimport)
#define _CRT_SATELLITE_2 __declspec(dllimport)
#define _CRT_SATELLITE_CODECVT_IDS __declspec(dllimport)
/* The codecvt ids of the char16_t/char32_t facets: one copy per module. */
#define _CRT_SATELLITE_CODECVT_IDS_NOIMPORT __declspec(selectany)
#define _CRT_USE_BUILTIN_OFFSETOF

#ifndef _HAS_EXCEPTIONS
#  define _HAS_EXCEPTIONS 1
#endif

#ifdef __cplusplus
#  ifndef _MSVC_LANG
#    define _MSVC_LANG __cplusplus
#  endif
#  define _HAS_NODISCARD 1
#  define _NODISCARD [[nodiscard]]
#  define _CRT_NODISCARD _NODISCARD
#  ifndef _HAS_CXX17
#    define _HAS_CXX17 (_MSVC_LANG > 201402L)
#  endif
#  ifndef _HAS_CXX20
#    define _HAS_CXX20 (_HAS_CXX17 && _MSVC_LANG > 201703L)
#  endif
#  ifndef _HAS_CXX23
#    define _HAS_CXX23 (_HAS_CXX20 && _MSVC_LANG > 202002L)
#  endif
#  define _CRT_HAS_CXX17 _HAS_CXX17
#else
#  define _HAS_NODISCARD 0
#  define _NODISCARD
#  define _CRT_NODISCARD
#endif

#ifdef __cplusplus
extern "C++" {
template <typename _CountofType, size_t _SizeOfArray>
char (*__countof_helper(_CountofType (&_Array)[_SizeOfArray]))[_SizeOfArray];
}
#  define __crt_countof(_Array) (sizeof(*__countof_helper(_Array)) + 0)
#else
#  define __crt_countof(_Array) (sizeof(_Array) / sizeof(_Array[0]))
#endif

_CRT_BEGIN_C_HEADER
extern uintptr_t __security_cookie;
void __cdecl __security_init_cookie(void);
void __cdecl __security_check_cookie(uintptr_t _StackCookie);
__declspec(noreturn) void __cdecl __report_gsfailure(uintptr_t _StackCookie);
_CRT_END_C_HEADER

#pragma pack(pop)
