/* Wine's <excpt.h> with the structured-exception intrinsics that MSVC (and
 * clang-cl) have: GetExceptionCode() and friends inside __try/__except. */
#pragma once
#ifndef USE_COMPILER_EXCEPTIONS
#define USE_COMPILER_EXCEPTIONS
#endif
#include_next <excpt.h>
