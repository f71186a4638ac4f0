/* Wine's <winnt.h> declares _InterlockedCompareExchange128, which clang-cl
 * has as a builtin with another signature: Wine's declaration is renamed away. */
#pragma once
#define _InterlockedCompareExchange128 __wine_InterlockedCompareExchange128
#include_next <winnt.h>
#undef _InterlockedCompareExchange128
