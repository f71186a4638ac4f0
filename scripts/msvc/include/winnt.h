/* Wine's <winnt.h> as MSVC's: WCHAR is wchar_t (Wine's default is char16_t,
 * another type in decorated names and overloads), and Wine's declaration of
 * _InterlockedCompareExchange128, which clang-cl has as a builtin with another
 * signature, is renamed away. */
#pragma once
#ifndef WINE_UNICODE_NATIVE
#define WINE_UNICODE_NATIVE
#endif
#define _InterlockedCompareExchange128 __wine_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128
