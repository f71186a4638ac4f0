// The measured operations, each one call of a closure, shared by the two
// ways of running them (main.cpp): timed by Google Benchmark, or counted in
// instructions under callgrind.
#ifndef BENCH__CASES_HPP_
#define BENCH__CASES_HPP_

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <vector>

namespace bench
{

struct Case
{
  // "<subject>/<operation>/<contender>", e.g. "Zodizu610/serialize/c"; cases
  // sharing subject and operation are compared with their "peer" contender.
  std::string name;
  std::function<void()> run;
  // Cases that first reset a stream have that reset's cost taken off their counts.
  bool resets_stream = false;
};

std::vector<Case> & cases();

inline void add(std::string name, std::function<void()> run, bool resets_stream = false)
{
  cases().push_back({std::move(name), std::move(run), resets_stream});
}

// Registration of each group of cases (one per source file).
void add_serializer_cases();
void add_sequence_cases();

// Keeps the compiler from dropping a result.
template<class T>
inline void keep(T && value)
{
  benchmark::DoNotOptimize(value);
}

}  // namespace bench

#endif  // BENCH__CASES_HPP_
