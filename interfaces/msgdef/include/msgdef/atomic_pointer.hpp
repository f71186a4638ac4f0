// Pointer-sized atomic loads and stores on plain pointer fields of C records,
// for run-time fields that several threads may fill at once. The records keep
// their plain C layout, so std::atomic members are not an option.
#ifndef MSGDEF__ATOMIC_POINTER_HPP_
#define MSGDEF__ATOMIC_POINTER_HPP_

#if defined(_MSC_VER) && !defined(__clang__)
#  include <intrin.h>
#endif

namespace msgdef
{

// Reads *slot with acquire ordering.
template<class T>
T * atomic_load(T * const * slot)
{
#if defined(_MSC_VER) && !defined(__clang__)
  // A no-op exchange is a full-barrier read of the slot.
  return static_cast<T *>(_InterlockedCompareExchangePointer(
    const_cast<void * volatile *>(reinterpret_cast<void * const volatile *>(slot)),
    nullptr, nullptr));
#else
  return __atomic_load_n(slot, __ATOMIC_ACQUIRE);
#endif
}

// Replaces *slot by desired if it still holds expected; true if it did.
template<class T>
bool atomic_compare_exchange(T ** slot, T * expected, T * desired)
{
#if defined(_MSC_VER) && !defined(__clang__)
  void * old = _InterlockedCompareExchangePointer(
    reinterpret_cast<void * volatile *>(slot),
    const_cast<void *>(static_cast<const void *>(desired)),
    const_cast<void *>(static_cast<const void *>(expected)));
  return old == static_cast<const void *>(expected);
#else
  return __atomic_compare_exchange_n(
    slot, &expected, desired, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE);
#endif
}

// Sets *slot to value when it is null; a slot already set keeps its value.
template<class T>
void set_once(T ** slot, T * value)
{
  if (atomic_load(slot) == nullptr) {
    atomic_compare_exchange(slot, static_cast<T *>(nullptr), value);
  }
}

// Makes *slot hold value, writing only when it holds something else: a slot
// that already holds value is only read, so readers of the record never race
// with a redundant store.
template<class T>
void ensure(T ** slot, T * value)
{
  T * current = atomic_load(slot);
  while (current != value) {
    if (atomic_compare_exchange(slot, current, value)) {
      return;
    }
    current = atomic_load(slot);
  }
}

}  // namespace msgdef

#endif  // MSGDEF__ATOMIC_POINTER_HPP_
