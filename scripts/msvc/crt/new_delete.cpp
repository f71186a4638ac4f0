// The global allocation functions, part of every module as in MSVC's runtime:
// malloc and free of the UCRT, the new handler on failure, then bad_alloc.
// Each function is an object of its own in the static library (compiled
// with MSVC_ALLOCATION_FUNCTION set to its number), so that a program may
// replace any of them; the others forward to the plain forms as MSVC's do.
#include <malloc.h>
#include <stdint.h>
#include <stdlib.h>
#include <vcruntime_exception.h>
#include <vcruntime_new.h>

extern "C" _ACRTIMP int __cdecl _callnewh(size_t size);

namespace {
template <class Allocate>
void* allocate_or_throw(size_t size, Allocate allocate) {
  for (;;) {
    if (void* block = allocate(size == 0 ? 1 : size)) {
      return block;
    }
    if (_callnewh(size) == 0) {
      if (size == SIZE_MAX) {
        throw std::bad_array_new_length();
      }
      throw std::bad_alloc();
    }
  }
}
}  // namespace

#if MSVC_ALLOCATION_FUNCTION == 0
void* __cdecl operator new(size_t size) {
  return allocate_or_throw(size, [](size_t n) { return malloc(n); });
}
#elif MSVC_ALLOCATION_FUNCTION == 1
void* __cdecl operator new[](size_t size) { return operator new(size); }
#elif MSVC_ALLOCATION_FUNCTION == 2
void* __cdecl operator new(size_t size, std::nothrow_t const&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
#elif MSVC_ALLOCATION_FUNCTION == 3
void* __cdecl operator new[](size_t size, std::nothrow_t const&) noexcept {
  try {
    return operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
#elif MSVC_ALLOCATION_FUNCTION == 4
void __cdecl operator delete(void* block) noexcept { free(block); }
#elif MSVC_ALLOCATION_FUNCTION == 5
void __cdecl operator delete[](void* block) noexcept { operator delete(block); }
#elif MSVC_ALLOCATION_FUNCTION == 6
void __cdecl operator delete(void* block, std::nothrow_t const&) noexcept { operator delete(block); }
#elif MSVC_ALLOCATION_FUNCTION == 7
void __cdecl operator delete[](void* block, std::nothrow_t const&) noexcept { operator delete[](block); }
#elif MSVC_ALLOCATION_FUNCTION == 8
void __cdecl operator delete(void* block, size_t) noexcept { operator delete(block); }
#elif MSVC_ALLOCATION_FUNCTION == 9
void __cdecl operator delete[](void* block, size_t) noexcept { operator delete[](block); }
#elif MSVC_ALLOCATION_FUNCTION == 10
void* __cdecl operator new(size_t size, std::align_val_t alignment) {
  return allocate_or_throw(size, [alignment](size_t n) { return _aligned_malloc(n, static_cast<size_t>(alignment)); });
}
#elif MSVC_ALLOCATION_FUNCTION == 11
void* __cdecl operator new[](size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
#elif MSVC_ALLOCATION_FUNCTION == 12
void* __cdecl operator new(size_t size, std::align_val_t alignment, std::nothrow_t const&) noexcept {
  try {
    return operator new(size, alignment);
  } catch (...) {
    return nullptr;
  }
}
#elif MSVC_ALLOCATION_FUNCTION == 13
void* __cdecl operator new[](size_t size, std::align_val_t alignment, std::nothrow_t const&) noexcept {
  try {
    return operator new[](size, alignment);
  } catch (...) {
    return nullptr;
  }
}
#elif MSVC_ALLOCATION_FUNCTION == 14
void __cdecl operator delete(void* block, std::align_val_t) noexcept { _aligned_free(block); }
#elif MSVC_ALLOCATION_FUNCTION == 15
void __cdecl operator delete[](void* block, std::align_val_t alignment) noexcept { operator delete(block, alignment); }
#elif MSVC_ALLOCATION_FUNCTION == 16
void __cdecl operator delete(void* block, std::align_val_t alignment, std::nothrow_t const&) noexcept {
  operator delete(block, alignment);
}
#elif MSVC_ALLOCATION_FUNCTION == 17
void __cdecl operator delete[](void* block, std::align_val_t alignment, std::nothrow_t const&) noexcept {
  operator delete[](block, alignment);
}
#elif MSVC_ALLOCATION_FUNCTION == 18
void __cdecl operator delete(void* block, size_t, std::align_val_t alignment) noexcept { operator delete(block, alignment); }
#elif MSVC_ALLOCATION_FUNCTION == 19
void __cdecl operator delete[](void* block, size_t, std::align_val_t alignment) noexcept {
  operator delete[](block, alignment);
}
#endif
