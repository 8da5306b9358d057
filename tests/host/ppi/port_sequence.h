// Port sequences of the port-card library tests: each check compares the
// journal since the previous check with a const table (tests/host/sim's
// journal_check.h) and starts the next stretch.
#ifndef KIT_TESTS_PORT_SEQUENCE_H
#define KIT_TESTS_PORT_SEQUENCE_H

#include "iosim.h"
#include "journal_check.h"

#define EXPECT_PORTS(table)  \
  do {                       \
    EXPECT_JOURNAL(table);   \
    iosim_journal_clear();   \
  } while (0)

#define EXPECT_NO_PORTS()                                          \
  do {                                                             \
    simtest::expect_journal(nullptr, 0, __FILE__, __LINE__);       \
    iosim_journal_clear();                                         \
  } while (0)

constexpr int IN8 = IOSIM_IN8;
constexpr int OUT8 = IOSIM_OUT8;

#endif
