/* The intrinsics MSVC's STL declares through <intrin0.h>: clang's <intrin.h> has them. */
#pragma once
#include <intrin.h>
