// Kept apart from the tests so that no compiler sees a `new` expression
// inlined into this free() and takes it for a mismatched pair.
#include "new_probe.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

#include "../support/interpose.hpp"

namespace
{
std::atomic<bool> probing{false};
std::atomic<int> calls{0};
std::atomic<std::size_t> largest{0};

void note(std::size_t size)
{
  if (probing) {
    ++calls;
    std::size_t seen = largest.load();
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {}
  }
}

#if defined(_WIN32)
// With MinGW the C++ runtime is a DLL of its own. Its strings call its own
// operator new, which this program's replacement does not reach; that one
// calls malloc through the DLL's imports, which are pointed at a probe. In
// the MSVC ABI every library has an operator new of its own, calling the
// UCRT's malloc through its own imports: every library's are probed.
#  if defined(_MSC_VER)
const char * const operator_new_module = nullptr;
#  else
const char * const operator_new_module = "libstdc++-6.dll";
#  endif
using Malloc = void * (*)(std::size_t);
Malloc runtime_malloc = nullptr;
void * probed_malloc(std::size_t size)
{
  note(size);
  return runtime_malloc(size);
}
// Before main: the C++ runtime is loaded by then.
const bool redirected = [] {
    runtime_malloc = reinterpret_cast<Malloc>(
      interpose::redirect("malloc", reinterpret_cast<void *>(&probed_malloc), operator_new_module));
    return runtime_malloc != nullptr;
  }();
#endif
}  // namespace

void * operator new(std::size_t size)
{
  note(size);
  if (void * p = std::malloc(size ? size : 1)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void * p) noexcept {std::free(p);}
void operator delete(void * p, std::size_t) noexcept {std::free(p);}

namespace fastcdr_test
{

void new_probe_start()
{
  calls = 0;
  largest = 0;
  probing = true;
}

NewCalls new_probe_stop()
{
  probing = false;
  return {calls.load(), largest.load()};
}

}  // namespace fastcdr_test
