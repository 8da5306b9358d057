// What every fuzzed library shares: decoding numbers from the input, the
// simulator journal of one call, and failing loudly on a broken invariant.
#ifndef KIT_FUZZ_CHECK_H
#define KIT_FUZZ_CHECK_H

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "iosim.h"

namespace fuzz {

// What an out-parameter holds before a call: a failing call must leave it so.
constexpr int kCanary = static_cast<int>(0xA5A5A5A5u);
constexpr uint8_t kByteCanary = 0xA5;

// A table of edge values as the last two arguments of any_int.
#define FUZZ_EDGES(table) table, static_cast<int>(sizeof table / sizeof *table)

// Prints the broken invariant with the call and aborts: libFuzzer keeps the input.
[[noreturn]] void fail(const char *call, const char *format, ...)
  __attribute__((format(printf, 2, 3)));

// A number for an argument: most often a small one near the valid range,
// sometimes a boundary from the table, sometimes any 32-bit value.
int any_int(FuzzedDataProvider &in, int low, int high, const int *edges, int edge_count);
// 1 in 16: a null result pointer.
bool null_pointer(FuzzedDataProvider &in);

// Set once an input may have armed an interrupt transfer: a handler may
// then also run on the simulator's ticker thread, at any moment, so the
// accesses journalled during a call are not all the call's own.
extern bool g_interrupts_live;

// The port accesses of one call: clear before, take after.
void journal_begin();
std::vector<iosim_access> journal_take();

// An access-range rule: every access lies in [first, first + length) for
// one of the ranges; with no_read_offset >= 0 no read touches that offset of
// the range it falls in.
struct PortRange {
  unsigned first, length;
  int no_read_offset;
};
void expect_accesses_within(const char *call, const std::vector<iosim_access> &accesses,
                            const PortRange *ranges, int range_count);
void expect_no_access(const char *call, const std::vector<iosim_access> &accesses);
// The code is one of the allowed list (terminated by -1).
void expect_code_in(const char *call, int code, const int *allowed);
// A call that returned code (not success) left its out-parameters as they were.
void expect_result_kept(const char *call, int code, bool kept);

bool is_read(const iosim_access &a);

// The library (or family of libraries) of one fuzz target: begin() runs
// before every input; step() runs one decoded call; reaches_simulator() is
// the start-up check that the library talks to the simulated PC, not to
// real ports: on a fresh simulator, a write through the library shows in
// the journal. Each target program has its own, so that its run reports
// the coverage of its libraries alone; the kestan library, which claims no
// ports, never meets another family's card and its interrupt handler.
struct Library {
  const char *name;
  void (*begin)();
  void (*step)(FuzzedDataProvider &in);
  bool (*reaches_simulator)();
};

extern const Library kTarget;

}  // namespace fuzz

#endif
