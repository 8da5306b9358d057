// Expected port sequences for the port-card library tests: a const table of
// accesses checked against the simulator's journal, reported with the
// caller's file and line and both sequences dumped on a mismatch.
#ifndef KIT_TESTS_JOURNAL_CHECK_H
#define KIT_TESTS_JOURNAL_CHECK_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "iosim.h"

namespace journal_check {

struct Access {
  int op;
  unsigned port;
  unsigned value;
};

constexpr int IN8 = IOSIM_IN8;
constexpr int OUT8 = IOSIM_OUT8;

inline std::vector<iosim_access> take_journal() {
  std::vector<iosim_access> got(4096);
  got.resize(static_cast<size_t>(iosim_journal_read(got.data(), static_cast<int>(got.size()))));
  iosim_journal_clear();
  return got;
}

inline std::string describe(int op, unsigned port, unsigned value) {
  char text[48];
  std::snprintf(text, sizeof text, "  %s %03XH %02XH\n", op == IN8 ? "in " : op == OUT8 ? "out" : "???", port,
                value);
  return text;
}

// Compare the journal since the last check with want[0..n); clears it.
inline void check(const Access *want, size_t n, const char *file, int line) {
  const std::vector<iosim_access> got = take_journal();
  bool same = got.size() == n;
  for (size_t i = 0; same && i < n; ++i)
    same = got[i].op == want[i].op && got[i].port == want[i].port && got[i].value == want[i].value;
  if (same) return;
  std::string text = "port sequence differs\nexpected:\n";
  for (size_t i = 0; i < n; ++i) text += describe(want[i].op, want[i].port, want[i].value);
  text += "got:\n";
  for (const iosim_access &a : got) text += describe(a.op, a.port, a.value);
  ADD_FAILURE_AT(file, line) << text;
}

inline void check_none(const char *file, int line) { check(nullptr, 0, file, line); }

}  // namespace journal_check

#define EXPECT_PORTS(table) journal_check::check(table, sizeof(table) / sizeof((table)[0]), __FILE__, __LINE__)
#define EXPECT_NO_PORTS() journal_check::check_none(__FILE__, __LINE__)

#endif
