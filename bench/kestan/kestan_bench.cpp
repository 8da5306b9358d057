// How much an entry point of the kestan driver costs over the port
// operations it makes, on the simulator's card at 2A8H with the journal off:
//   W_Kestan_DI_16       one io_in16
//   W_Kestan_DO_Channel  one io_out8
//   W_Kestan_Timer_Read  one io_out8 and two io_in8
// Both of each pair run in the same program run, their repetitions
// interleaved; the ratios of the medians are printed at the end ("DI_16 / raw = 1.07"). Benchmark options pass through
// (--benchmark_min_time=..., --benchmark_repetitions=...).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "iosim.h"
#include "kestan.h"

namespace {

constexpr unsigned short kBase = 0x2A8;
constexpr unsigned short kCounter0 = kBase + 4;
constexpr unsigned short kControl = kBase + 7;
constexpr unsigned char kLatchCounter0 = 0x00;

void prepare_card() {
  iosim_reset();
  iosim_journal_enable(0);
  if (W_Kestan_Initial(0, kBase) != No_Error || W_Kestan_Timer_Start(0, 2, 50000) != No_Error)
    std::fprintf(stderr, "kestan bench: the card at %XH did not take its set-up\n", kBase);
}

void DI_16(benchmark::State &state) {
  unsigned value = 0;
  for (auto _ : state) {
    W_Kestan_DI_16(0, &value);
    benchmark::DoNotOptimize(value);
  }
}

void DI_16_raw(benchmark::State &state) {
  unsigned value = 0;
  for (auto _ : state) {
    value = io_in16(kBase);
    benchmark::DoNotOptimize(value);
  }
}

void DO_Channel(benchmark::State &state) {
  unsigned level = 0;
  for (auto _ : state) {
    W_Kestan_DO_Channel(5, level);
    level ^= 1;
  }
}

void DO_Channel_raw(benchmark::State &state) {
  unsigned char byte = 0;
  for (auto _ : state) {
    io_out8(kBase, byte);
    byte ^= 0x20;
  }
}

void Timer_Read(benchmark::State &state) {
  unsigned count = 0;
  for (auto _ : state) {
    W_Kestan_Timer_Read(0, &count);
    benchmark::DoNotOptimize(count);
  }
}

void Timer_Read_raw(benchmark::State &state) {
  unsigned count = 0;
  for (auto _ : state) {
    io_out8(kControl, kLatchCounter0);
    unsigned low = io_in8(kCounter0);
    count = low + 256u * io_in8(kCounter0);
    benchmark::DoNotOptimize(count);
  }
}

using Body = void (*)(benchmark::State &);

struct Pair {
  const char *entry;
  Body entry_body;
  const char *raw;
  Body raw_body;
};
const Pair kPairs[] = {{"DI_16", DI_16, "DI_16_raw", DI_16_raw},
                       {"DO_Channel", DO_Channel, "DO_Channel_raw", DO_Channel_raw},
                       {"Timer_Read", Timer_Read, "Timer_Read_raw", Timer_Read_raw}};
constexpr int kRepetitions = 9;

// The console report, plus the median CPU time per iteration of each
// benchmark (the thread's own time: other work on the machine does not count).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> median_ns;

  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        median_ns[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }
};

}  // namespace

int main(int argc, char **argv) {
  prepare_card();
  for (const Pair &pair : kPairs) {
    benchmark::RegisterBenchmark(pair.entry, pair.entry_body)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark(pair.raw, pair.raw_body)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true);
  }
  // Repetitions of all benchmarks run interleaved in random order, so that an
  // entry point and its raw operations see the same load of the machine.
  std::vector<char *> args(argv, argv + argc);
  static char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nCost of each entry point over its raw port operations (median CPU time, journal off):\n");
  bool all_within = true;
  for (const Pair &pair : kPairs) {
    auto entry = reporter.median_ns.find(pair.entry);
    auto raw = reporter.median_ns.find(pair.raw);
    if (entry == reporter.median_ns.end() || raw == reporter.median_ns.end() || raw->second <= 0)
      continue;
    double ratio = entry->second / raw->second;
    all_within = all_within && ratio <= 1.3;
    std::printf("%s / raw = %.2f   (%.1f ns / %.1f ns)\n", pair.entry, ratio, entry->second,
                raw->second);
  }
  std::printf("target: each at most 1.30 -> %s\n", all_within ? "met" : "NOT met");
  benchmark::Shutdown();
  return 0;
}
