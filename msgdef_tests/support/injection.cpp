#include "injection.hpp"

#if defined(_WIN32)
// This program defines the functions it replaces: declared for export, not import.
#  define RCUTILS_BUILDING_DLL
#  define ROSIDL_GENERATOR_C_BUILDING_DLL_std_msgs
#endif

#include <cstdlib>

#include "interpose.hpp"
#include "rcutils/allocator.h"
#include "std_msgs/msg/header.h"

namespace injection
{

Calls calls;
Plan plan;
std::vector<void *> deallocated;
long live = 0;

void reset()
{
  calls = Calls{};
  plan = Plan{};
  deallocated.clear();
  live = 0;
}

namespace
{

// Counts one call among all allocating ones; true when it is to fail.
bool fails_overall()
{
  return ++calls.any == plan.fail_any_at;
}

void * tracked(void * block)
{
  live += block != nullptr;
  return block;
}

void * allocate(size_t size, void *)
{
  const bool fail = fails_overall();
  if (++calls.allocate == plan.fail_allocate_at || fail) {
    return nullptr;
  }
  return tracked(std::malloc(size));
}

void deallocate(void * pointer, void *)
{
  if (pointer) {
    ++calls.deallocate;
    deallocated.push_back(pointer);
    --live;
  }
  std::free(pointer);
}

void * reallocate(void * pointer, size_t size, void *)
{
  if (fails_overall()) {
    return nullptr;
  }
  void * block = std::realloc(pointer, size);
  return pointer ? block : tracked(block);
}

void * zero_allocate(size_t count, size_t size, void *)
{
  const bool fail = fails_overall();
  if (++calls.zero_allocate == plan.fail_zero_allocate_at || fail) {
    return nullptr;
  }
  return tracked(std::calloc(count, size));
}

}  // namespace
}  // namespace injection

extern "C" {

rcutils_allocator_t rcutils_get_default_allocator(void)
{
  rcutils_allocator_t a;
  a.allocate = injection::allocate;
  a.deallocate = injection::deallocate;
  a.reallocate = injection::reallocate;
  a.zero_allocate = injection::zero_allocate;
  a.state = nullptr;
  return a;
}

bool std_msgs__msg__Header__init(std_msgs__msg__Header * msg)
{
  static auto real = interpose::next<bool (*)(std_msgs__msg__Header *)>(
    "std_msgs__msg__Header__init");
  ++injection::calls.header_init;
  return real(msg);
}

void std_msgs__msg__Header__fini(std_msgs__msg__Header * msg)
{
  static auto real = interpose::next<void (*)(std_msgs__msg__Header *)>(
    "std_msgs__msg__Header__fini");
  ++injection::calls.header_fini;
  real(msg);
}

bool std_msgs__msg__Header__copy(const std_msgs__msg__Header * in, std_msgs__msg__Header * out)
{
  static auto real = interpose::next<bool (*)(const std_msgs__msg__Header *,
      std_msgs__msg__Header *)>("std_msgs__msg__Header__copy");
  ++injection::calls.header_copy;
  if (injection::plan.fail_header_copy) {
    return false;
  }
  return real(in, out);
}

bool std_msgs__msg__Header__are_equal(
  const std_msgs__msg__Header * l, const std_msgs__msg__Header * r)
{
  static auto real = interpose::next<bool (*)(const std_msgs__msg__Header *,
      const std_msgs__msg__Header *)>("std_msgs__msg__Header__are_equal");
  ++injection::calls.header_are_equal;
  return real(l, r);
}

}  // extern "C"

#if defined(_WIN32)
namespace injection
{
namespace
{
// Before main: the libraries this program links are loaded by then.
const bool redirected = [] {
    interpose::redirect("rcutils_get_default_allocator",
      reinterpret_cast<void *>(&rcutils_get_default_allocator));
    interpose::redirect("std_msgs__msg__Header__init", reinterpret_cast<void *>(&std_msgs__msg__Header__init));
    interpose::redirect("std_msgs__msg__Header__fini", reinterpret_cast<void *>(&std_msgs__msg__Header__fini));
    interpose::redirect("std_msgs__msg__Header__copy", reinterpret_cast<void *>(&std_msgs__msg__Header__copy));
    interpose::redirect("std_msgs__msg__Header__are_equal",
      reinterpret_cast<void *>(&std_msgs__msg__Header__are_equal));
    return true;
  }();
}  // namespace
}  // namespace injection
#endif
