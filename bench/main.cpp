// msgdef_bench: every case of cases.hpp, timed by Google Benchmark (its usual
// options apply), or with --count [repeat], run under callgrind, each case
// run `repeat` times between a reset of the counters and a dump named
// "<case>@<repeat>[@reset]" that bench/report.py reads.
#include <benchmark/benchmark.h>
#include <valgrind/callgrind.h>

#include <iostream>
#include <string>

#include "cases.hpp"

namespace bench
{

std::vector<Case> & cases()
{
  static std::vector<Case> all;
  return all;
}

namespace
{

int count_instructions(std::size_t repeat)
{
  if (!RUNNING_ON_VALGRIND) {
    std::cerr << "--count runs under valgrind --tool=callgrind (see scripts/run bench-count)\n";
    return 2;
  }
  for (const Case & c : cases()) {
    for (int warm_up = 0; warm_up < 3; ++warm_up) {
      c.run();
    }
    // Named first: only the repeated calls fall between zeroing and dumping.
    const std::string dump = c.name + "@" + std::to_string(repeat) + (c.resets_stream ? "@reset" : "");
    CALLGRIND_ZERO_STATS;
    for (std::size_t i = 0; i < repeat; ++i) {
      c.run();
    }
    CALLGRIND_DUMP_STATS_AT(dump.c_str());
  }
  return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char ** argv)
{
  bench::add_serializer_cases();
  bench::add_sequence_cases();
  if (argc >= 2 && std::string(argv[1]) == "--count") {
    return bench::count_instructions(argc >= 3 ? std::stoul(argv[2]) : 100);
  }
  for (const bench::Case & c : bench::cases()) {
    const std::string name = c.name + (c.resets_stream ? "@reset" : "");
    benchmark::RegisterBenchmark(name.c_str(), [&c](benchmark::State & state) {
        for (auto _ : state) {
          c.run();
        }
      });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
