#include <gtest/gtest.h>

#include "ioport.h"
#include "port_claims.h"

namespace {

TEST(PortClaims, SameBaseAndKindMayClaimAgainOthersMayNotOverlap) {
  ioport::PortClaims claims;
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x2A8, 8, "kestan"));
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x2A8, 8, "kestan"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, claims.claim(0x2A8, 8, "orvel"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, claims.claim(0x2AF, 1, "pellin"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, claims.claim(0x2A0, 9, "pellin"));
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x2A0, 8, "pellin"));
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x2B0, 4, "pellin"));
  ASSERT_NE(nullptr, claims.find(0x2A8));
  EXPECT_STREQ("kestan", claims.find(0x2A8)->card);
}

TEST(PortClaims, ReleaseFreesTheRangeAndBadRangesAreRefused) {
  ioport::PortClaims claims;
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x300, 16, "dulvar"));
  claims.release(0x300);
  EXPECT_EQ(nullptr, claims.find(0x300));
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0x304, 4, "fenmar"));
  EXPECT_EQ(IO_CLAIM_INVALID, claims.claim(0x300, 0, "fenmar"));
  EXPECT_EQ(IO_CLAIM_INVALID, claims.claim(0xFFF8, 9, "kestan"));
  EXPECT_EQ(IO_CLAIM_OK, claims.claim(0xFFF8, 8, "kestan"));
}

TEST(PortClaims, TableFullIsRefusedNotOverwritten) {
  ioport::PortClaims claims;
  for (int i = 0; i < ioport::PortClaims::kMaxClaims; ++i)
    ASSERT_EQ(IO_CLAIM_OK, claims.claim(0x200 + 8 * i, 8, "kestan"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, claims.claim(0x380, 8, "kestan"));
  EXPECT_NE(nullptr, claims.find(0x200));
}

}  // namespace
