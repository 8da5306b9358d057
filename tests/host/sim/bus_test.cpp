// The bus: empty ports, word cycles across card edges, the rack, claims.
#include <gtest/gtest.h>

#include <string>

#include "iosim.h"
#include "journal_check.h"

namespace {

class Bus : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, iosim_load_rack("empty")); }
  void TearDown() override { iosim_reset(); }
};

TEST_F(Bus, UnoccupiedPortsReadAllOnesAndSwallowWrites) {
  EXPECT_EQ(0xFF, io_in8(0x2A8));
  EXPECT_EQ(0xFFFF, io_in16(0x2A8));
  EXPECT_EQ(0xFF, io_in8(0xFFFF));
  EXPECT_EQ(0xFFFF, io_in16(0xFFFF));  // the high byte lies beyond the port space
  io_out8(0x2A8, 0x00);
  io_out16(0x300, 0x0000);
  EXPECT_EQ(0xFF, io_in8(0x2A8));
  EXPECT_EQ(-1, iosim_card_at(0x2A8, nullptr, 0));
}

TEST_F(Bus, WordAccessAcrossACardEdgeIsTwoByteCycles) {
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x2A8));
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x2B0));
  io_out8(0x2A8, 0x5A);
  io_out8(0x2B0, 0xC3);
  // Empty 2A7H below the first card, then the first card's offset 0.
  EXPECT_EQ(0x5AFF, io_in16(0x2A7));
  // The first card's write-only offset 7, then the second card's offset 0.
  EXPECT_EQ(0xC3FF, io_in16(0x2AF));
  // A write splits the same way: the high byte reaches the second card only.
  io_out16(0x2AF, 0x9600);
  unsigned first = 0, second = 0;
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x2A8, 0, &first));
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x2B0, 0, &second));
  EXPECT_EQ(0x5Au, first);
  EXPECT_EQ(0x96u, second);
  io_out16(0x2B7, 0x1234);  // top of the second card, into empty space
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x2B0, 0, &second));
  EXPECT_EQ(0x96u, second);
}

TEST_F(Bus, PlugRefusesOccupiedRangesUnknownKindsAndRangesOffTheEnd) {
  EXPECT_EQ(IOSIM_OK, iosim_plug("kestan", 0x300));
  EXPECT_EQ(IOSIM_BUSY, iosim_plug("kestan", 0x300));
  EXPECT_EQ(IOSIM_BUSY, iosim_plug("orvel", 0x300));
  EXPECT_EQ(IOSIM_BUSY, iosim_plug("pellin", 0x306));
  EXPECT_EQ(IOSIM_OK, iosim_plug("KESTAN", 0x308));
  EXPECT_EQ(IOSIM_UNKNOWN_KIND, iosim_plug("nosuchcard", 0x200));
  EXPECT_EQ(IOSIM_INVALID, iosim_plug(nullptr, 0x200));
  // A base the kind cannot sit at: off its step, or a port outside 200H-3FFH.
  for (unsigned short base : {0x2A9, 0x0, 0x1F8, 0x3FC, 0xFFF8})
    EXPECT_EQ(IOSIM_BAD_BASE, iosim_plug("kestan", base)) << base;
  EXPECT_EQ(IOSIM_BAD_BASE, iosim_plug("dulvar", 0x3F0)) << "its 24 ports reach past 3FFH";
  EXPECT_EQ(IOSIM_OK, iosim_plug("dulvar", 0x3E8));

  char kind[16] = "";
  EXPECT_EQ(0x308, iosim_card_at(0x30F, kind, sizeof kind));
  EXPECT_STREQ("kestan", kind);
  EXPECT_EQ(-1, iosim_card_at(0x310, kind, sizeof kind));
  char small[4] = "";
  EXPECT_EQ(0x300, iosim_card_at(0x300, small, sizeof small));
  EXPECT_STREQ("kes", small);
}

TEST_F(Bus, UnplugEmptiesTheRangeOnlyForTheCardsOwnBase) {
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x300));
  io_out8(0x301, 0x12);
  EXPECT_EQ(0x12, io_in8(0x301));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_unplug(0x301));
  EXPECT_EQ(IOSIM_OK, iosim_unplug(0x300));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_unplug(0x300));
  EXPECT_EQ(0xFF, io_in8(0x301));
  // A card plugged again starts from power-up: outputs 0.
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x300));
  EXPECT_EQ(0x00, io_in8(0x301));
}

TEST_F(Bus, ClaimOfAnEmptyRangePlugsACardOfThatKind) {
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "kestan"));
  char kind[16] = "";
  EXPECT_EQ(0x300, iosim_card_at(0x304, kind, sizeof kind));
  EXPECT_STREQ("kestan", kind);
  io_out8(0x300, 0x81);
  EXPECT_EQ(0x81, io_in8(0x300));
  // The same base and kind again: fine, and the card keeps its state.
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "Kestan"));
  EXPECT_EQ(0x81, io_in8(0x300));
  // Releasing leaves the card in the slot until a claim needs its ports.
  io_release(0x300);
  EXPECT_EQ(0x300, iosim_card_at(0x300, nullptr, 0));
  EXPECT_EQ(0x81, io_in8(0x300));
}

// A library that moves its card to an overlapping range (release the old
// claim, claim the new) gets a card there, as it would on a real PC once the
// card's jumpers are moved; a card of the rack stays where it was put.
TEST_F(Bus, AClaimTakesOutReleasedCardsThatClaimsPlugged) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x200, 24, "dulvar"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x210, 24, "dulvar")) << "still claimed";
  io_release(0x200);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x210, 24, "dulvar"));
  char kind[16] = "";
  EXPECT_EQ(0x210, iosim_card_at(0x220, kind, sizeof kind));
  EXPECT_STREQ("dulvar", kind);
  EXPECT_EQ(-1, iosim_card_at(0x200, nullptr, 0));

  // Taking the old range back finds the card as it was left.
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "kestan"));
  io_out8(0x300, 0x5A);
  io_release(0x300);
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "kestan"));
  EXPECT_EQ(0x5A, io_in8(0x300));

  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x2A8));
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x2A8, 8, "kestan"));
  io_out8(0x2A8, 0x81);
  io_release(0x2A8);
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2A0, 16, "kestan")) << "a rack card stays";
  EXPECT_EQ(0x2A8, iosim_card_at(0x2A8, nullptr, 0));
  EXPECT_EQ(0x81, io_in8(0x2A8));
}

TEST_F(Bus, ClaimOverACardOfAnotherKindOrBaseIsRefused) {
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x2A8));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2A8, 8, "orvel"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2A0, 16, "kestan"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2AC, 4, "kestan"));
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x2A8, 8, "kestan"));
  // Claims also refuse each other, card or not.
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x200, 4, "nosuchcard"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x202, 8, "kestan"));
  EXPECT_EQ(-1, iosim_card_at(0x202, nullptr, 0));
  EXPECT_EQ(IO_CLAIM_INVALID, io_claim(0x300, 0, "kestan"));
  EXPECT_EQ(IO_CLAIM_INVALID, io_claim(0xFFFC, 8, "kestan"));
}

// With no rack given, the PC of a user whose card a library claims over
// 2A8H holds that card there, not the default Kestan card.
TEST_F(Bus, TheDefaultRacksCardMakesWayForAClaimOverItsPorts) {
  ASSERT_EQ(0, iosim_load_rack(nullptr));
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x2A8, 8, "kestan"));
  io_out8(0x2A8, 0x81);
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2A0, 16, "orvel")) << "while its library holds it";
  EXPECT_EQ(0x81, io_in8(0x2A8));
  io_release(0x2A8);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x2A0, 16, "orvel"));
  char kind[16] = "";
  EXPECT_EQ(0x2A0, iosim_card_at(0x2A8, kind, sizeof kind));
  EXPECT_STREQ("orvel", kind);
  iosim_reset();
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x2AE, 2, "pellin"));
  EXPECT_EQ(0x2AE, iosim_card_at(0x2AE, kind, sizeof kind));
  EXPECT_EQ(-1, iosim_card_at(0x2A8, nullptr, 0)) << "the whole card made way";
}

TEST_F(Bus, ClaimOfAnUnknownKindIsRecordedButPlugsNothing) {
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x240, 8, "nosuchcard"));
  EXPECT_EQ(-1, iosim_card_at(0x240, nullptr, 0));
  EXPECT_EQ(0xFF, io_in8(0x240));
  // Recorded: another kind may not claim it, but after release it may.
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x240, 8, "kestan"));
  io_release(0x240);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x240, 8, "kestan"));
  EXPECT_EQ(0x240, iosim_card_at(0x240, nullptr, 0));
}

TEST_F(Bus, ClearRackForgetsCardsClaimsAndTheJournal) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "kestan"));
  io_in8(0x300);
  iosim_clear_rack();
  EXPECT_EQ(-1, iosim_card_at(0x300, nullptr, 0));
  EXPECT_EQ(0ul, iosim_journal_total());
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x300, 8, "nosuchcard"));  // the old claim is gone
}

TEST_F(Bus, ResetGivesTheDefaultRackAgain) {
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x300));
  iosim_reset();
  EXPECT_EQ(-1, iosim_card_at(0x300, nullptr, 0));
  char kind[16] = "";
  EXPECT_EQ(0x2A8, iosim_card_at(0x2A8, kind, sizeof kind));
  EXPECT_STREQ("kestan", kind);
}

TEST_F(Bus, LoadRackPlugsTheGoodEntriesAndCountsTheRest) {
  EXPECT_EQ(3, iosim_load_rack("kestan@300, kestan@2a8h,kestan@304,nosuchcard@200,junk"));
  EXPECT_EQ(0x300, iosim_card_at(0x307, nullptr, 0));
  EXPECT_EQ(0x2A8, iosim_card_at(0x2A8, nullptr, 0));
  EXPECT_EQ(-1, iosim_card_at(0x200, nullptr, 0));
  EXPECT_EQ(0, iosim_load_rack(nullptr));
  EXPECT_EQ(0x2A8, iosim_card_at(0x2A8, nullptr, 0));
  EXPECT_EQ(-1, iosim_card_at(0x300, nullptr, 0));
  EXPECT_EQ(0, iosim_load_rack("empty"));
  EXPECT_EQ(-1, iosim_card_at(0x2A8, nullptr, 0));
}

// A rack is checked whole, as plugging would find it, and nothing changes.
TEST_F(Bus, CheckRackSaysTheFirstProblem) {
  const struct {
    const char *rack;
    int result;
    const char *says;
  } cases[] = {
      {nullptr, IOSIM_OK, ""},
      {"empty", IOSIM_OK, ""},
      {"kestan@2A8, orvel@300h, dulvar@3E8", IOSIM_OK, ""},
      {"bogus@300", IOSIM_UNKNOWN_KIND, "bogus@300: no model of that kind"},
      {"kestan@XYZ", IOSIM_INVALID, "\"kestan@XYZ\" is no entry"},
      {"kestan@2A8;", IOSIM_INVALID, "\"kestan@2A8;\" is no entry"},
      {"kestan@2A9", IOSIM_BAD_BASE, "kestan@2A9: a kestan card sits at a multiple of 8H from 200H to 3F8H"},
      {"wendal@3F6", IOSIM_BAD_BASE, "wendal@3F6: a wendal card sits at a multiple of 2H from 200H to 3F4H"},
      {"kestan@2A8,pellin@2AC", IOSIM_BUSY, "pellin@2AC overlaps kestan@2A8"},
  };
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x300));
  for (const auto &c : cases) {
    char why[256] = "x";
    EXPECT_EQ(c.result, iosim_check_rack(c.rack, why, sizeof why)) << c.rack;
    EXPECT_EQ(0, std::string(why).rfind(c.says, 0)) << why;
  }
  EXPECT_EQ(0x300, iosim_card_at(0x300, nullptr, 0)) << "only checked";
}

TEST_F(Bus, ControlsOnAnEmptyBaseSayNoCard) {
  unsigned value = 0;
  EXPECT_EQ(IOSIM_NO_CARD, iosim_read_outputs(0x2A8, 0, &value));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_read_inputs(0x2A8, 0, &value));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_drive_inputs(0x2A8, 0, 1, 1));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_release_inputs(0x2A8, 0, 1));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_set_loopback(0x2A8, 0));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_set_card_irq(0x2A8, 5));
  ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", 0x2A8));
  EXPECT_EQ(IOSIM_NO_CARD, iosim_read_outputs(0x2A9, 0, &value));  // controls go by base
  EXPECT_EQ(IOSIM_INVALID, iosim_read_outputs(0x2A8, 0, nullptr));
  EXPECT_EQ(IOSIM_INVALID, iosim_set_card_irq(0x2A8, 16));
  EXPECT_EQ(IOSIM_INVALID, iosim_set_card_irq(0x2A8, -2));
}

TEST(BusClock, ManualClockStandsStillAndStepsExactly) {
  iosim_clock_manual(1);
  unsigned long long t = iosim_clock_now_ns();
  EXPECT_EQ(t, iosim_clock_now_ns());
  iosim_clock_advance_ns(1500);
  EXPECT_EQ(t + 1500, iosim_clock_now_ns());
  iosim_clock_manual(0);
  EXPECT_GE(iosim_clock_now_ns(), t + 1500);  // real time goes on from there
  unsigned long long before = iosim_clock_now_ns();
  iosim_clock_advance_ns(1000000000ull);  // in real time a jump ahead
  EXPECT_GE(iosim_clock_now_ns(), before + 1000000000ull);
}

}  // namespace
