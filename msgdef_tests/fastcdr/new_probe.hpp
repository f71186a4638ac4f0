// A replacement of the global operator new, linked into the programs that
// watch the heap use of the libraries (new_probe.cpp). It sees every call in
// the process made through the program's operator new.
#ifndef FASTCDR_TEST__NEW_PROBE_HPP_
#define FASTCDR_TEST__NEW_PROBE_HPP_

#include <cstddef>

namespace fastcdr_test
{

struct NewCalls
{
  int calls = 0;
  std::size_t largest = 0;  // the largest single size asked for
};

// Counts from zero until new_probe_stop(), which gives what was seen.
void new_probe_start();
NewCalls new_probe_stop();

}  // namespace fastcdr_test

#endif  // FASTCDR_TEST__NEW_PROBE_HPP_
