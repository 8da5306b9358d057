// The text form of a rack (KESTAN_SIM_RACK).
#include <gtest/gtest.h>

#include <string>

#include "rack_config.h"

namespace {

using sim::parse_rack;
using sim::RackText;

TEST(RackText, NoTextOrBlanksMeanTheDefaultRack) {
  RackText rack;
  EXPECT_FALSE(parse_rack(nullptr, &rack));
  EXPECT_FALSE(parse_rack("", &rack));
  EXPECT_FALSE(parse_rack("  \t", &rack));
  EXPECT_TRUE(parse_rack("empty", &rack));
  EXPECT_EQ(0, rack.count);
  EXPECT_EQ(0, rack.bad);
  EXPECT_TRUE(parse_rack(" EMPTY ", &rack));
  EXPECT_EQ(0, rack.count);
}

TEST(RackText, EntriesInTheirOrderWithEveryBaseSpelling) {
  RackText rack;
  ASSERT_TRUE(parse_rack("kestan@2A8, orvel@300h ,Pellin@0x3f0,sarrow@8", &rack));
  ASSERT_EQ(4, rack.count);
  EXPECT_EQ(0, rack.bad);
  const struct { const char *kind; unsigned base; } expected[] = {
      {"kestan", 0x2A8}, {"orvel", 0x300}, {"Pellin", 0x3F0}, {"sarrow", 0x8}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(expected[i].kind, rack.entries[i].kind) << i;
    EXPECT_EQ(expected[i].base, rack.entries[i].base) << i;
  }
}

TEST(RackText, BadEntriesAreCountedAndTheFirstKept) {
  const struct { const char *text; int good; int bad; const char *first_bad; } cases[] = {
      {"kestan", 0, 1, "kestan"},
      {"kestan@", 0, 1, "kestan@"},
      {"@2A8", 0, 1, "@2A8"},
      {"kestan@2G8,orvel@300", 1, 1, "kestan@2G8"},
      {"kestan@12345", 0, 1, "kestan@12345"},
      {"kestan@0x", 0, 1, "kestan@0x"},
      {"kestan@h", 0, 1, "kestan@h"},
      {"kes tan@2A8", 0, 1, "kes tan@2A8"},
      {"averyveryverylongkind@300", 0, 1, "averyveryverylongkind@300"},
      {"kestan@2A8,,orvel@300", 2, 1, ""},
      {"kestan@2A8,", 1, 0, ""},
      {"x@1,y@2,empty,z", 2, 1, "z"},
  };
  for (const auto &c : cases) {
    RackText rack;
    ASSERT_TRUE(parse_rack(c.text, &rack)) << c.text;
    EXPECT_EQ(c.good, rack.count) << c.text;
    EXPECT_EQ(c.bad, rack.bad) << c.text;
    EXPECT_STREQ(c.first_bad, rack.first_bad) << c.text;
  }
}

TEST(RackText, EntriesBeyondTheRackSizeAreBad) {
  std::string text;
  for (int i = 0; i < RackText::kMaxEntries + 2; ++i) text += "kestan@" + std::to_string(i) + "00,";
  RackText rack;
  ASSERT_TRUE(parse_rack(text.c_str(), &rack));
  EXPECT_EQ(RackText::kMaxEntries, rack.count);
  EXPECT_EQ(2, rack.bad);
}

}  // namespace
