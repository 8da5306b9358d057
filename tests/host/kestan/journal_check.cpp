#include "journal_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kestan_test {
namespace {

constexpr int kMaxChecked = 64;

const char *op_name(int op) {
  switch (op) {
    case IOSIM_IN8: return "in8";
    case IOSIM_IN16: return "in16";
    case IOSIM_OUT8: return "out8";
    case IOSIM_OUT16: return "out16";
  }
  return "op?";
}

std::string describe(int op, unsigned port, int value) {
  char text[48];
  if (value == kAnyValue)
    std::snprintf(text, sizeof text, "%-5s %03XH  (any)", op_name(op), port);
  else
    std::snprintf(text, sizeof text, "%-5s %03XH  %04XH", op_name(op), port, value);
  return text;
}

bool matches(const Access &want, const iosim_access &got) {
  return want.op == got.op && want.port == got.port &&
         (want.value == kAnyValue || static_cast<unsigned>(want.value) == got.value);
}

}  // namespace

int take_journal(iosim_access *out, int max) {
  int n = iosim_journal_read(out, max);
  iosim_journal_clear();
  return n;
}

void check_journal(const char *file, int line, const Access *expected, size_t count) {
  unsigned long total = iosim_journal_total();
  iosim_access got[kMaxChecked];
  int n = take_journal(got, kMaxChecked);
  bool same = total == count && static_cast<size_t>(n) == count;
  for (size_t i = 0; same && i < count; ++i) same = matches(expected[i], got[i]);
  if (same) return;
  std::string dump = "port accesses differ\n  expected:\n";
  for (size_t i = 0; i < count; ++i)
    dump += "    " + describe(expected[i].op, expected[i].port, expected[i].value) + "\n";
  if (count == 0) dump += "    (none)\n";
  dump += "  journal (" + std::to_string(total) + "):\n";
  for (int i = 0; i < n; ++i) dump += "    " + describe(got[i].op, got[i].port, got[i].value) + "\n";
  if (n == 0) dump += "    (none)\n";
  ADD_FAILURE_AT(file, line) << dump;
}

}  // namespace kestan_test
