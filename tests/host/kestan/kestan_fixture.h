// Common ground of the kestan host cases.
//
// The driver keeps its card table for the life of the process, so every case
// starts by running the driver's own load-time reset (card_table.h, not part
// of the public header and not exported by kestan.dll): all slots free. The
// output shadows and the current card survive that reset, as they survive a
// load, so a case that looks at a shadow writes it first. What holds only
// right after a real load is checked by the separate host_kestan_load
// program, which runs in a fresh process.
#ifndef KESTAN_TEST_FIXTURE_H
#define KESTAN_TEST_FIXTURE_H

#include <gtest/gtest.h>

#include <climits>

#include "card_table.h"
#include "iosim.h"
#include "journal_check.h"
#include "kestan.h"

namespace kestan_test {

// The simulator's default rack holds a Kestan card here.
constexpr int kRackBase = 0x2A8;

// Values an out-parameter holds before a call, to show that it stayed unwritten.
constexpr unsigned char kByteSentinel = 0xA5;
constexpr int kIntSentinel = 0x5A5A5A5A;
constexpr unsigned kWordSentinel = 0xDEADBEEF;

class KestanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    iosim_reset();
    iosim_journal_enable(1);
    kestan_reset_card_table();
    iosim_journal_clear();
  }
  void TearDown() override { iosim_reset(); }

  // Registers card at base (current from then on) and forgets the journal.
  static void use_card(int card, int base) {
    ASSERT_EQ(No_Error, W_Kestan_Initial(card, base));
    iosim_journal_clear();
  }

  // Drives all 32 input lines of the card at base.
  static void drive_inputs(int base, unsigned value) {
    ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(static_cast<unsigned short>(base), 0, 0xFFFFFFFFu, value));
    iosim_journal_clear();
  }

  static unsigned outputs_of(int base) {
    unsigned value = 0;
    EXPECT_EQ(IOSIM_OK, iosim_read_outputs(static_cast<unsigned short>(base), 0, &value));
    return value;
  }

  // The current card's shadow byte of port, read through the library.
  static unsigned shadow(int port) {
    unsigned char byte = kByteSentinel;
    EXPECT_EQ(No_Error, W_Kestan_Read_Back(port, &byte));
    return byte;
  }
};

}  // namespace kestan_test

#endif
