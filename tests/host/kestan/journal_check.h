// Expected port-access sequences for the kestan host suites, in the manner
// of message-sequence tests: a const table per case, checked against the
// simulator journal with the caller's file and line, both dumped on mismatch.
#ifndef KESTAN_TEST_JOURNAL_CHECK_H
#define KESTAN_TEST_JOURNAL_CHECK_H

#include <cstddef>
#include <iterator>

#include "iosim.h"

namespace kestan_test {

constexpr int kAnyValue = -1;  // a read whose value the case does not fix

struct Access {
  int op;        // IOSIM_IN8 ... IOSIM_OUT16
  unsigned port;
  int value;     // or kAnyValue
};

// Compares the journal since the last clear with expected[0..count) and then
// clears it. Reports a failure at file:line.
void check_journal(const char *file, int line, const Access *expected, size_t count);

// The journal since the last clear (at most max entries); clears it.
int take_journal(iosim_access *out, int max);

}  // namespace kestan_test

#define EXPECT_JOURNAL(table) \
  ::kestan_test::check_journal(__FILE__, __LINE__, table, std::size(table))
#define EXPECT_NO_PORT_ACCESS() ::kestan_test::check_journal(__FILE__, __LINE__, nullptr, 0)

#endif
