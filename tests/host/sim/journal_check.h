// Checking port sequences against the simulator journal: the expected
// accesses are a const table; a mismatch names the caller's file and line
// and dumps both sequences.
#ifndef KIT_TESTS_SIM_JOURNAL_CHECK_H
#define KIT_TESTS_SIM_JOURNAL_CHECK_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "iosim.h"

namespace simtest {

inline const char *op_name(int op) {
  switch (op) {
    case IOSIM_IN8: return "in8";
    case IOSIM_IN16: return "in16";
    case IOSIM_OUT8: return "out8";
    case IOSIM_OUT16: return "out16";
  }
  return "?";
}

inline std::string describe(const iosim_access *a, size_t n) {
  std::string text;
  char line[64];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "  %-5s %04X %04X\n", op_name(a[i].op), a[i].port, a[i].value);
    text += line;
  }
  return text.empty() ? "  (none)\n" : text;
}

inline std::vector<iosim_access> journal() {
  std::vector<iosim_access> got(IOSIM_JOURNAL_CAPACITY);
  got.resize(static_cast<size_t>(iosim_journal_read(got.data(), IOSIM_JOURNAL_CAPACITY)));
  return got;
}

inline void expect_journal(const iosim_access *want, size_t n, const char *file, int line) {
  std::vector<iosim_access> got = journal();
  bool same = got.size() == n;
  for (size_t i = 0; same && i < n; ++i)
    same = got[i].op == want[i].op && got[i].port == want[i].port && got[i].value == want[i].value;
  if (!same)
    ADD_FAILURE_AT(file, line) << "journal differs\nexpected:\n"
                               << describe(want, n) << "got:\n"
                               << describe(got.data(), got.size());
}

}  // namespace simtest

#define EXPECT_JOURNAL(table) \
  simtest::expect_journal(table, sizeof(table) / sizeof(table)[0], __FILE__, __LINE__)

#endif
