// What the fuzz targets share: a check that stops the run with a message
// (libFuzzer then saves the input), and the order of the input's choice byte.
#ifndef FUZZ__FUZZ_SUPPORT_HPP_
#define FUZZ__FUZZ_SUPPORT_HPP_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz
{

[[noreturn]] inline void fail(const char * what, const char * type)
{
  std::fprintf(stderr, "fuzz check failed: %s (%s)\n", what, type);
  std::abort();
}

inline void require(bool condition, const char * what, const char * type = "")
{
  if (!condition) {
    fail(what, type);
  }
}

}  // namespace fuzz

#endif  // FUZZ__FUZZ_SUPPORT_HPP_
