// KESTAN_SIM_RACK, set for this program by ctest to
// the value in rack_env.cmake.
#include <gtest/gtest.h>

#include "iosim.h"

namespace {

void expect_rack_of_the_variable() {
  EXPECT_EQ(0x300, iosim_card_at(0x300, nullptr, 0));
  EXPECT_EQ(0x3A0, iosim_card_at(0x3A7, nullptr, 0));
  EXPECT_EQ(0x208, iosim_card_at(0x208, nullptr, 0));
  EXPECT_EQ(0x300, iosim_card_at(0x304, nullptr, 0));  // the overlapping entry was left out
  EXPECT_EQ(-1, iosim_card_at(0x200, nullptr, 0));     // no model of that kind
  EXPECT_EQ(-1, iosim_card_at(0x2A8, nullptr, 0));     // the variable replaces the default
}

TEST(RackVariable, ReplacesTheDefaultRackLeavingOutBadEntries) { expect_rack_of_the_variable(); }

TEST(RackVariable, ResetBringsTheSameRackBack) {
  iosim_clear_rack();
  EXPECT_EQ(-1, iosim_card_at(0x300, nullptr, 0));
  iosim_reset();
  expect_rack_of_the_variable();
}

}  // namespace
