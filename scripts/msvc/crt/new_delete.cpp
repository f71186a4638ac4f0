// The global allocation functions, part of every module as in MSVC's runtime:
// malloc and free of the UCRT, the new handler on failure, then bad_alloc.
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

void* plain(size_t size) { return malloc(size); }

template <class Allocate>
void* allocate_or_null(size_t size, Allocate allocate) noexcept {
  try {
    return allocate_or_throw(size, allocate);
  } catch (...) {
    return nullptr;
  }
}
}  // namespace

void* __cdecl operator new(size_t size) { return allocate_or_throw(size, plain); }
void* __cdecl operator new[](size_t size) { return allocate_or_throw(size, plain); }
void* __cdecl operator new(size_t size, std::nothrow_t const&) noexcept { return allocate_or_null(size, plain); }
void* __cdecl operator new[](size_t size, std::nothrow_t const&) noexcept { return allocate_or_null(size, plain); }
void __cdecl operator delete(void* block) noexcept { free(block); }
void __cdecl operator delete[](void* block) noexcept { free(block); }
void __cdecl operator delete(void* block, std::nothrow_t const&) noexcept { free(block); }
void __cdecl operator delete[](void* block, std::nothrow_t const&) noexcept { free(block); }
void __cdecl operator delete(void* block, size_t) noexcept { free(block); }
void __cdecl operator delete[](void* block, size_t) noexcept { free(block); }

void* __cdecl operator new(size_t size, std::align_val_t alignment) {
  return allocate_or_throw(size, [alignment](size_t n) { return _aligned_malloc(n, static_cast<size_t>(alignment)); });
}
void* __cdecl operator new[](size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void* __cdecl operator new(size_t size, std::align_val_t alignment, std::nothrow_t const&) noexcept {
  try {
    return operator new(size, alignment);
  } catch (...) {
    return nullptr;
  }
}
void* __cdecl operator new[](size_t size, std::align_val_t alignment, std::nothrow_t const& tag) noexcept {
  return operator new(size, alignment, tag);
}
void __cdecl operator delete(void* block, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete(void* block, std::align_val_t, std::nothrow_t const&) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, std::align_val_t, std::nothrow_t const&) noexcept { _aligned_free(block); }
void __cdecl operator delete(void* block, size_t, std::align_val_t) noexcept { _aligned_free(block); }
void __cdecl operator delete[](void* block, size_t, std::align_val_t) noexcept { _aligned_free(block); }
