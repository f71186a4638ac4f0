// Failure injection for tests of the C message libraries. A test executable
// linking injection.cpp (with exported symbols) replaces the rcutils default
// allocator and the std_msgs Header functions that the libraries import, counts
// their calls and makes chosen calls fail.
#ifndef TESTS__SUPPORT__INJECTION_HPP_
#define TESTS__SUPPORT__INJECTION_HPP_

#include <cstddef>
#include <vector>

namespace injection
{

struct Calls
{
  int allocate = 0;
  int deallocate = 0;  // non-null pointers only
  int zero_allocate = 0;
  int any = 0;  // allocate, zero_allocate and reallocate together
  int header_init = 0;
  int header_fini = 0;
  int header_copy = 0;
  int header_are_equal = 0;
};

struct Plan
{
  int fail_allocate_at = 0;  // 1-based index of the allocate call that fails; 0: none
  int fail_zero_allocate_at = 0;
  int fail_any_at = 0;  // 1-based index among allocate, zero_allocate and reallocate calls
  bool fail_header_copy = false;
};

extern Calls calls;
extern Plan plan;
extern std::vector<void *> deallocated;  // every non-null pointer given to deallocate
// Blocks from the allocator not given back yet (a block the C runtime's
// realloc moved still counts once).
extern long live;

// Clears counters and plan.
void reset();

// Counts, while alive, every call; restores a clean state afterwards.
struct Scope
{
  Scope() {reset();}
  ~Scope() {reset();}
};

}  // namespace injection

#endif  // TESTS__SUPPORT__INJECTION_HPP_
