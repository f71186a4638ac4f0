// The string functions and the handle lookups of rosidl_runtime_c, as the
// real library provides them. Strings live on the rcutils default allocator.
#include <cstdint>
#include <cstring>

#include "rcutils/allocator.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_runtime_c/string_functions.h"

extern "C" {

bool rosidl_runtime_c__String__init(rosidl_runtime_c__String * str)
{
  if (!str) {
    return false;
  }
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  char * data = static_cast<char *>(allocator.allocate(1, allocator.state));
  if (!data) {
    return false;
  }
  data[0] = '\0';
  str->data = data;
  str->size = 0;
  str->capacity = 1;
  return true;
}

void rosidl_runtime_c__String__fini(rosidl_runtime_c__String * str)
{
  if (!str) {
    return;
  }
  if (str->data) {
    rcutils_allocator_t allocator = rcutils_get_default_allocator();
    allocator.deallocate(str->data, allocator.state);
  }
  str->data = nullptr;
  str->size = 0;
  str->capacity = 0;
}

bool rosidl_runtime_c__String__assignn(
  rosidl_runtime_c__String * str, const char * value, size_t n)
{
  if (!str || !value || n == SIZE_MAX) {
    return false;
  }
  rcutils_allocator_t allocator = rcutils_get_default_allocator();
  char * data = static_cast<char *>(allocator.reallocate(str->data, n + 1, allocator.state));
  if (!data) {
    return false;
  }
  std::memcpy(data, value, n);
  data[n] = '\0';
  str->data = data;
  str->size = n;
  str->capacity = n + 1;
  return true;
}

bool rosidl_runtime_c__String__assign(rosidl_runtime_c__String * str, const char * value)
{
  return value && rosidl_runtime_c__String__assignn(str, value, std::strlen(value));
}

bool rosidl_runtime_c__String__copy(
  const rosidl_runtime_c__String * input, rosidl_runtime_c__String * output)
{
  if (!input || !output || !input->data) {
    return false;
  }
  return input == output || rosidl_runtime_c__String__assignn(output, input->data, input->size);
}

bool rosidl_runtime_c__String__are_equal(
  const rosidl_runtime_c__String * lhs, const rosidl_runtime_c__String * rhs)
{
  if (!lhs || !rhs || lhs->size != rhs->size) {
    return false;
  }
  return lhs->size == 0 || std::memcmp(lhs->data, rhs->data, lhs->size) == 0;
}

// A plain handle serves only its own identifier.
const rosidl_message_type_support_t * get_message_typesupport_handle_function(
  const rosidl_message_type_support_t * handle, const char * identifier)
{
  if (!handle || !identifier || !handle->typesupport_identifier) {
    return nullptr;
  }
  return std::strcmp(handle->typesupport_identifier, identifier) == 0 ? handle : nullptr;
}

const rosidl_service_type_support_t * get_service_typesupport_handle_function(
  const rosidl_service_type_support_t * handle, const char * identifier)
{
  if (!handle || !identifier || !handle->typesupport_identifier) {
    return nullptr;
  }
  return std::strcmp(handle->typesupport_identifier, identifier) == 0 ? handle : nullptr;
}

}  // extern "C"
