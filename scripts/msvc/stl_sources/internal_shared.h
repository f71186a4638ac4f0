/* What the STL's sources use of the CRT's internal header: the code page
 * query of the UCRT and an owning pointer to malloc'ed memory. */
#pragma once
#include <stddef.h>
#include <stdlib.h>
#ifdef __cplusplus
extern "C" {
#endif
__declspec(dllimport) unsigned int __cdecl ___lc_codepage_func(void);
#ifdef __cplusplus
}

template <class _Ty>
class __crt_unique_heap_ptr {
 public:
  __crt_unique_heap_ptr() noexcept = default;
  __crt_unique_heap_ptr(const __crt_unique_heap_ptr&) = delete;
  __crt_unique_heap_ptr& operator=(const __crt_unique_heap_ptr&) = delete;
  ~__crt_unique_heap_ptr() { free(_Ptr); }
  __crt_unique_heap_ptr& operator=(_Ty* const _New) noexcept {
    free(_Ptr);
    _Ptr = _New;
    return *this;
  }
  explicit operator bool() const noexcept { return _Ptr != nullptr; }
  _Ty* get() const noexcept { return _Ptr; }

 private:
  _Ty* _Ptr = nullptr;
};
#define _malloc_crt_t(_Ty, _Count) static_cast<_Ty*>(malloc(sizeof(_Ty) * (_Count)))
#endif
