// The default allocator (the C runtime heap) and the thread-local error state
// of rcutils, as the real library provides them.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rcutils/allocator.h"
#include "rcutils/error_handling.h"

namespace
{

void * heap_allocate(size_t size, void *) {return std::malloc(size);}
void heap_deallocate(void * pointer, void *) {std::free(pointer);}
void * heap_reallocate(void * pointer, size_t size, void *) {return std::realloc(pointer, size);}
void * heap_zero_allocate(size_t count, size_t size, void *) {return std::calloc(count, size);}

thread_local rcutils_error_state_t error_state;
thread_local bool error_is_set = false;

// Copies at most `capacity - 1` bytes of `text` and terminates the copy.
void copy_bounded(char * out, size_t capacity, const char * text)
{
  const size_t length = text ? std::strlen(text) : 0;
  const size_t kept = length < capacity ? length : capacity - 1;
  if (kept) {
    std::memcpy(out, text, kept);
  }
  out[kept] = '\0';
}

}  // namespace

extern "C" {

rcutils_allocator_t rcutils_get_default_allocator(void)
{
  rcutils_allocator_t allocator;
  allocator.allocate = heap_allocate;
  allocator.deallocate = heap_deallocate;
  allocator.reallocate = heap_reallocate;
  allocator.zero_allocate = heap_zero_allocate;
  allocator.state = nullptr;
  return allocator;
}

void rcutils_set_error_state(const char * error_string, const char * file, size_t line_number)
{
  copy_bounded(error_state.message, sizeof(error_state.message), error_string);
  copy_bounded(error_state.file, sizeof(error_state.file), file);
  error_state.line_number = line_number;
  error_is_set = true;
}

bool rcutils_error_is_set(void)
{
  return error_is_set;
}

const rcutils_error_state_t * rcutils_get_error_state(void)
{
  return &error_state;
}

// "<message>, at <file>:<line>", as rcutils formats it.
rcutils_error_string_t rcutils_get_error_string(void)
{
  rcutils_error_string_t text;
  if (!error_is_set) {
    copy_bounded(text.str, sizeof(text.str), "error not set");
    return text;
  }
  std::snprintf(text.str, sizeof(text.str), "%s, at %s:%llu", error_state.message,
    error_state.file, static_cast<unsigned long long>(error_state.line_number));
  return text;
}

void rcutils_reset_error(void)
{
  error_state = rcutils_error_state_t{};
  error_is_set = false;
}

}  // extern "C"
