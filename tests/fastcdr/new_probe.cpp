// Kept apart from the tests so that no compiler sees a `new` expression
// inlined into this free() and takes it for a mismatched pair.
#include "new_probe.hpp"

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{
std::atomic<bool> probing{false};
std::atomic<int> calls{0};
std::atomic<std::size_t> largest{0};
}  // namespace

void * operator new(std::size_t size)
{
  if (probing) {
    ++calls;
    std::size_t seen = largest.load();
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {}
  }
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
