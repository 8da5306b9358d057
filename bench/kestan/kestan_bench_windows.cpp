// How much an entry point of kestan.dll costs over the port operations it
// makes, as a Windows program (32-bit or 64-bit build) on the simulator's
// card at 2A8H with the journal off; the Windows twin of kestan_bench.cpp,
// whose pairs it times (Google Benchmark has no MinGW build):
//   W_Kestan_DI_16       one io_in16
//   W_Kestan_DO_Channel  one io_out8
//   W_Kestan_Timer_Read  one io_out8 and two io_in8
// Each pair runs in rounds of 20,000 calls, entry point and raw operations
// in turns, 15 rounds; the ratio of the median rounds is printed
// ("DI_16 / raw = 1.07") and the status is 2 when one is above 1.3.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "iosim.h"
#include "kestan.h"

namespace {

constexpr unsigned short kBase = 0x2A8;
constexpr unsigned short kCounter0 = kBase + 4;
constexpr unsigned short kControl = kBase + 7;
constexpr unsigned char kLatchCounter0 = 0x00;
constexpr int kCalls = 20000;
constexpr int kRounds = 15;
constexpr double kTarget = 1.3;

volatile unsigned g_sink;

void DI_16() {
  unsigned value = 0;
  for (int i = 0; i < kCalls; ++i) W_Kestan_DI_16(0, &value);
  g_sink = value;
}
void DI_16_raw() {
  unsigned value = 0;
  for (int i = 0; i < kCalls; ++i) value += io_in16(kBase);
  g_sink = value;
}
void DO_Channel() {
  for (int i = 0; i < kCalls; ++i) W_Kestan_DO_Channel(5, i & 1);
}
void DO_Channel_raw() {
  for (int i = 0; i < kCalls; ++i) io_out8(kBase, (i & 1) ? 0x20 : 0);
}
void Timer_Read() {
  unsigned count = 0;
  for (int i = 0; i < kCalls; ++i) W_Kestan_Timer_Read(0, &count);
  g_sink = count;
}
void Timer_Read_raw() {
  unsigned count = 0;
  for (int i = 0; i < kCalls; ++i) {
    io_out8(kControl, kLatchCounter0);
    unsigned low = io_in8(kCounter0);
    count += low + 256u * io_in8(kCounter0);
  }
  g_sink = count;
}

struct Pair {
  const char *entry;
  void (*entry_body)();
  void (*raw_body)();
};
const Pair kPairs[] = {{"DI_16", DI_16, DI_16_raw},
                       {"DO_Channel", DO_Channel, DO_Channel_raw},
                       {"Timer_Read", Timer_Read, Timer_Read_raw}};

double ns_per_call(void (*body)(), const LARGE_INTEGER &frequency) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  body();
  QueryPerformanceCounter(&end);
  return 1e9 * static_cast<double>(end.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart) / kCalls;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  iosim_reset();
  iosim_journal_enable(0);
  if (W_Kestan_Initial(0, kBase) != No_Error || W_Kestan_Timer_Start(0, 2, 50000) != No_Error) {
    std::fprintf(stderr, "kestan bench: the card at %XH did not take its set-up\n", kBase);
    return 1;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::printf("Cost of each entry point over its raw port operations (%d-bit Windows build, median of %d rounds, journal off):\n",
              static_cast<int>(8 * sizeof(void *)), kRounds);
  bool all_within = true;
  for (const Pair &pair : kPairs) {
    pair.entry_body();  // warm up
    pair.raw_body();
    std::vector<double> entry, raw;
    for (int round = 0; round < kRounds; ++round) {
      entry.push_back(ns_per_call(pair.entry_body, frequency));
      raw.push_back(ns_per_call(pair.raw_body, frequency));
    }
    double e = median(entry), r = median(raw), ratio = e / r;
    all_within = all_within && ratio <= kTarget;
    std::printf("%s / raw = %.2f   (%.1f ns / %.1f ns)\n", pair.entry, ratio, e, r);
  }
  std::printf("target: each at most %.2f -> %s\n", kTarget, all_within ? "met" : "NOT met");
  return all_within ? 0 : 2;
}
