// Shared checks of the fuzz targets.
#include "fuzz_check.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {
constexpr int kSmallBelow = 3;   // a small number strays this far below the range
constexpr int kSmallAbove = 3;   // ... and above it
constexpr int kNullOneIn = 16;
constexpr int kJournalMax = 256;  // far more than any call makes

const char *op_name(int op) {
  switch (op) {
    case IOSIM_IN8: return "in8";
    case IOSIM_IN16: return "in16";
    case IOSIM_OUT8: return "out8";
    case IOSIM_OUT16: return "out16";
  }
  return "?";
}

void dump(const std::vector<iosim_access> &accesses) {
  for (const iosim_access &a : accesses)
    std::fprintf(stderr, "  %s %03XH %04XH\n", op_name(a.op), a.port, a.value);
}
}  // namespace

void fail(const char *call, const char *format, ...) {
  std::fprintf(stderr, "\nINVARIANT BROKEN in %s: ", call);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fprintf(stderr, "\n");
  std::abort();
}

int any_int(FuzzedDataProvider &in, int low, int high, const int *edges, int edge_count) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
    case 1: return in.ConsumeIntegralInRange<int>(low - kSmallBelow, high + kSmallAbove);
    case 2:
      if (edge_count > 0) return edges[in.ConsumeIntegralInRange<int>(0, edge_count - 1)];
      return low;
    default: return in.ConsumeIntegral<int>();
  }
}

bool null_pointer(FuzzedDataProvider &in) {
  return in.ConsumeIntegralInRange<int>(0, kNullOneIn - 1) == 0;
}

bool g_interrupts_live = false;

void journal_begin() { iosim_journal_clear(); }

std::vector<iosim_access> journal_take() {
  static iosim_access kept[kJournalMax];
  int n = iosim_journal_read(kept, kJournalMax);
  std::vector<iosim_access> accesses(kept, kept + n);
  if (!g_interrupts_live && iosim_journal_total() != static_cast<unsigned long>(n))
    fail("journal", "%lu accesses in one call", iosim_journal_total());
  iosim_journal_clear();
  return accesses;
}

bool is_read(const iosim_access &a) { return a.op == IOSIM_IN8 || a.op == IOSIM_IN16; }

void expect_accesses_within(const char *call, const std::vector<iosim_access> &accesses,
                            const PortRange *ranges, int range_count) {
  for (const iosim_access &a : accesses) {
    // A word access covers the port and the next one.
    unsigned last = a.port + (a.op == IOSIM_IN16 || a.op == IOSIM_OUT16 ? 1 : 0);
    const PortRange *home = nullptr;
    for (int r = 0; r < range_count; ++r)
      if (a.port >= ranges[r].first && last < ranges[r].first + ranges[r].length) home = &ranges[r];
    if (!home) {
      dump(accesses);
      fail(call, "%s at %03XH lies outside the card's ports", op_name(a.op), a.port);
    }
    if (home->no_read_offset >= 0 && is_read(a)) {
      unsigned banned = home->first + home->no_read_offset;
      if (a.port <= banned && banned <= last) {
        dump(accesses);
        fail(call, "read of offset %d (%03XH)", home->no_read_offset, banned);
      }
    }
  }
}

void expect_no_access(const char *call, const std::vector<iosim_access> &accesses) {
  if (!accesses.empty()) {
    dump(accesses);
    fail(call, "a failed call made %zu port accesses", accesses.size());
  }
}

void expect_code_in(const char *call, int code, const int *allowed) {
  for (const int *c = allowed; *c >= 0; ++c)
    if (*c == code) return;
  fail(call, "returned %d, not a code this call documents", code);
}

void expect_result_kept(const char *call, int code, bool kept) {
  if (!kept) fail(call, "wrote an out-parameter although it returned %d", code);
}

}  // namespace fuzz
