// Digital input and output: exact port, width and value of the one access
// each call makes, the refusals, and the output shadow.
#include "kestan_fixture.h"

namespace kestan_test {
namespace {

constexpr unsigned kB = kRackBase;
// An input pattern with a different byte in every port.
constexpr unsigned kInputs = 0x89ABCDEF;

class DigitalIo : public KestanTest {
 protected:
  void SetUp() override {
    KestanTest::SetUp();
    use_card(0, kRackBase);
  }
  // Gives the current card's shadow a known value through the library.
  static void set_shadow(unsigned four_bytes) {
    ASSERT_EQ(No_Error, W_Kestan_DO_16(0, four_bytes & 0xFFFF));
    ASSERT_EQ(No_Error, W_Kestan_DO_16(1, four_bytes >> 16));
    iosim_journal_clear();
  }
};

const int kBadPorts[] = {-1, 4, 7, 8, 256, INT_MIN, INT_MAX};
const int kBadPorts16[] = {-1, 2, 3, 0x10000, INT_MIN, INT_MAX};
const int kBadChannels[] = {-1, 32, 33, 255, INT_MIN, INT_MAX};

// --- W_Kestan_DI_8 ----------------------------------------------------------

TEST_F(DigitalIo, DI8ReadsOneByteAtBasePlusPort) {
  drive_inputs(kB, kInputs);
  for (int port = 0; port < 4; ++port) {
    unsigned char byte = kByteSentinel;
    EXPECT_EQ(No_Error, W_Kestan_DI_8(port, &byte));
    unsigned want = (kInputs >> (8 * port)) & 0xFF;
    EXPECT_EQ(want, byte) << "port " << port;
    const Access expected[] = {{IOSIM_IN8, kB + port, static_cast<int>(want)}};
    EXPECT_JOURNAL(expected);
  }
}

TEST_F(DigitalIo, DI8RefusesBadPortsThenANullPointer) {
  for (int port : kBadPorts) {
    unsigned char byte = kByteSentinel;
    EXPECT_EQ(Invalid_Port_Number, W_Kestan_DI_8(port, &byte)) << port;
    EXPECT_EQ(Invalid_Port_Number, W_Kestan_DI_8(port, nullptr)) << port;
    EXPECT_EQ(kByteSentinel, byte);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_DI_8(3, nullptr));
  EXPECT_NO_PORT_ACCESS();
}

// --- W_Kestan_DI_16 ---------------------------------------------------------

TEST_F(DigitalIo, DI16ReadsOneWordAtOffset0Or2) {
  drive_inputs(kB, kInputs);
  static const Access expected[] = {{IOSIM_IN16, kB, 0xCDEF}, {IOSIM_IN16, kB + 2, 0x89AB}};
  unsigned low = kWordSentinel, high = kWordSentinel;
  EXPECT_EQ(No_Error, W_Kestan_DI_16(0, &low));
  EXPECT_EQ(No_Error, W_Kestan_DI_16(1, &high));
  EXPECT_EQ(0xCDEFu, low);
  EXPECT_EQ(0x89ABu, high);
  EXPECT_JOURNAL(expected);
}

TEST_F(DigitalIo, DI16DeliversNoBitAbove15) {
  drive_inputs(kB, 0xFFFFFFFF);
  unsigned value = kWordSentinel;
  EXPECT_EQ(No_Error, W_Kestan_DI_16(1, &value));
  EXPECT_EQ(0xFFFFu, value);
}

TEST_F(DigitalIo, DI16RefusesBadPortsThenANullPointer) {
  for (int port : kBadPorts16) {
    unsigned value = kWordSentinel;
    EXPECT_EQ(Invalid_Port16_Number, W_Kestan_DI_16(port, &value)) << port;
    EXPECT_EQ(Invalid_Port16_Number, W_Kestan_DI_16(port, nullptr)) << port;
    EXPECT_EQ(kWordSentinel, value);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_DI_16(1, nullptr));
  EXPECT_NO_PORT_ACCESS();
}

// --- W_Kestan_DI_Channel ----------------------------------------------------

TEST_F(DigitalIo, DIChannelReadsTheChannelsBitWithOneByteRead) {
  static const unsigned patterns[] = {kInputs, ~kInputs};
  for (unsigned pattern : patterns) {
    drive_inputs(kB, pattern);
    for (int channel = 0; channel < 32; ++channel) {
      int value = kIntSentinel;
      EXPECT_EQ(No_Error, W_Kestan_DI_Channel(channel, &value));
      EXPECT_EQ(static_cast<int>((pattern >> channel) & 1), value) << "channel " << channel;
      const Access expected[] = {
          {IOSIM_IN8, kB + channel / 8, static_cast<int>((pattern >> (channel / 8 * 8)) & 0xFF)}};
      EXPECT_JOURNAL(expected);
    }
  }
}

TEST_F(DigitalIo, DIChannelRefusesBadChannelsThenANullPointer) {
  for (int channel : kBadChannels) {
    int value = kIntSentinel;
    EXPECT_EQ(Invalid_Channel_Number, W_Kestan_DI_Channel(channel, &value)) << channel;
    EXPECT_EQ(Invalid_Channel_Number, W_Kestan_DI_Channel(channel, nullptr)) << channel;
    EXPECT_EQ(kIntSentinel, value);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_DI_Channel(31, nullptr));
  EXPECT_NO_PORT_ACCESS();
}

// --- W_Kestan_DO_8 ----------------------------------------------------------

TEST_F(DigitalIo, DO8WritesTheLowByteToBasePlusPortAndRecordsIt) {
  set_shadow(0);
  static const Access expected[] = {{IOSIM_OUT8, kB + 1, 0x5A}, {IOSIM_OUT8, kB + 3, 0x34}};
  EXPECT_EQ(No_Error, W_Kestan_DO_8(1, 0x5A));
  EXPECT_EQ(No_Error, W_Kestan_DO_8(3, 0xFFFF1234));
  EXPECT_JOURNAL(expected);
  EXPECT_EQ(0x5Au, shadow(1));
  EXPECT_EQ(0x34u, shadow(3));
  EXPECT_EQ(0x34005A00u, outputs_of(kB));
}

TEST_F(DigitalIo, DO8RefusesBadPortsAndWritesNothing) {
  set_shadow(0x11223344);
  for (int port : kBadPorts) EXPECT_EQ(Invalid_Port_Number, W_Kestan_DO_8(port, 0x99)) << port;
  EXPECT_NO_PORT_ACCESS();
  for (int port = 0; port < 4; ++port) EXPECT_EQ((0x11223344u >> (8 * port)) & 0xFF, shadow(port));
}

// --- W_Kestan_DO_16 ---------------------------------------------------------

TEST_F(DigitalIo, DO16WritesOneWordAndRecordsBothBytes) {
  set_shadow(0);
  static const Access expected[] = {{IOSIM_OUT16, kB + 2, 0xABCD}, {IOSIM_OUT16, kB, 0x5678}};
  EXPECT_EQ(No_Error, W_Kestan_DO_16(1, 0xABCD));
  EXPECT_EQ(No_Error, W_Kestan_DO_16(0, 0x12345678));
  EXPECT_JOURNAL(expected);
  EXPECT_EQ(0x78u, shadow(0));
  EXPECT_EQ(0x56u, shadow(1));
  EXPECT_EQ(0xCDu, shadow(2));
  EXPECT_EQ(0xABu, shadow(3));
  EXPECT_EQ(0xABCD5678u, outputs_of(kB));
}

TEST_F(DigitalIo, DO16RefusesBadPortsAndWritesNothing) {
  set_shadow(0x11223344);
  for (int port : kBadPorts16) EXPECT_EQ(Invalid_Port16_Number, W_Kestan_DO_16(port, 0)) << port;
  EXPECT_NO_PORT_ACCESS();
  EXPECT_EQ(0x44u, shadow(0));
  EXPECT_EQ(0x11u, shadow(3));
}

// --- W_Kestan_DO_Channel ----------------------------------------------------

TEST_F(DigitalIo, DOChannelChangesOnlyItsBitOfTheShadowedPort) {
  static const unsigned shadows[] = {0x00000000, 0xFFFFFFFF, 0x5AA5C33C};
  for (unsigned start : shadows) {
    for (int channel = 0; channel < 32; ++channel) {
      for (unsigned level = 0; level < 2; ++level) {
        set_shadow(start);
        int port = channel / 8;
        unsigned bit = 1u << (channel % 8);
        unsigned old_byte = (start >> (8 * port)) & 0xFF;
        unsigned want = level ? (old_byte | bit) : (old_byte & ~bit);
        EXPECT_EQ(No_Error, W_Kestan_DO_Channel(channel, level));
        const Access expected[] = {{IOSIM_OUT8, kB + port, static_cast<int>(want)}};
        EXPECT_JOURNAL(expected);
        EXPECT_EQ(want, shadow(port)) << "channel " << channel << " level " << level;
        unsigned want_all = (start & ~(0xFFu << (8 * port))) | (want << (8 * port));
        EXPECT_EQ(want_all, outputs_of(kB)) << "channel " << channel << " level " << level;
      }
    }
  }
}

TEST_F(DigitalIo, DOChannelBuildsOnTheShadowNotOnTheCard) {
  set_shadow(0x00000001);
  // Something else drives the card's outputs behind the library's back.
  io_out8(kB, 0xF0);
  iosim_journal_clear();
  EXPECT_EQ(No_Error, W_Kestan_DO_Channel(5, 1));
  static const Access expected[] = {{IOSIM_OUT8, kB, 0x21}};
  EXPECT_JOURNAL(expected);
}

TEST_F(DigitalIo, DOChannelUsesTheLowByteOfTheValue) {
  set_shadow(0);
  static const Access expected[] = {{IOSIM_OUT8, kB + 3, 0x80}, {IOSIM_OUT8, kB + 3, 0x00}};
  EXPECT_EQ(No_Error, W_Kestan_DO_Channel(31, 0x101));
  EXPECT_EQ(No_Error, W_Kestan_DO_Channel(31, 0xFFFFFF00));
  EXPECT_JOURNAL(expected);
}

TEST_F(DigitalIo, DOChannelRefusesTheChannelFirstThenTheValue) {
  set_shadow(0x12345678);
  static const unsigned bad_values[] = {2, 3, 0x80, 0xFF, 0x102, 0xFFFFFFFF};
  for (unsigned value : bad_values) {
    EXPECT_EQ(Invalid_DO_Value, W_Kestan_DO_Channel(0, value)) << value;
    for (int channel : kBadChannels)
      EXPECT_EQ(Invalid_Channel_Number, W_Kestan_DO_Channel(channel, value)) << channel;
  }
  for (int channel : kBadChannels)
    EXPECT_EQ(Invalid_Channel_Number, W_Kestan_DO_Channel(channel, 1)) << channel;
  EXPECT_NO_PORT_ACCESS();
  EXPECT_EQ(0x78u, shadow(0));
}

// --- W_Kestan_Read_Back and the shadow ----------------------------------------

TEST_F(DigitalIo, ReadBackTouchesNoPort) {
  set_shadow(0xCAFEF00D);
  static const unsigned want[] = {0x0D, 0xF0, 0xFE, 0xCA};
  for (int port = 0; port < 4; ++port) {
    unsigned char byte = kByteSentinel;
    EXPECT_EQ(No_Error, W_Kestan_Read_Back(port, &byte));
    EXPECT_EQ(want[port], byte);
  }
  EXPECT_NO_PORT_ACCESS();
}

TEST_F(DigitalIo, ReadBackRefusesBadPortsThenANullPointer) {
  for (int port : kBadPorts) {
    unsigned char byte = kByteSentinel;
    EXPECT_EQ(Invalid_Port_Number, W_Kestan_Read_Back(port, &byte)) << port;
    EXPECT_EQ(Invalid_Port_Number, W_Kestan_Read_Back(port, nullptr)) << port;
    EXPECT_EQ(kByteSentinel, byte);
  }
  EXPECT_EQ(Invalid_Pointer, W_Kestan_Read_Back(0, nullptr));
}

TEST_F(DigitalIo, TheShadowBelongsToTheCardNumberNotToTheAddress) {
  set_shadow(0x11111111);
  use_card(1, 0x300);
  set_shadow(0x22222222);

  // Card 0 moves away; card 1 takes its old address: each keeps its own bytes.
  use_card(0, 0x3F8);
  EXPECT_EQ(0x11u, shadow(2));
  ASSERT_EQ(No_Error, W_Kestan_Initial(1, kRackBase));
  EXPECT_EQ(0x22u, shadow(2));

  // And a channel write on card 1 at its new address builds on card 1's bytes.
  iosim_journal_clear();
  EXPECT_EQ(No_Error, W_Kestan_DO_Channel(1, 0));
  static const Access expected[] = {{IOSIM_OUT8, kB, 0x20}};
  EXPECT_JOURNAL(expected);

  // A load-time reset and a new Initial do not clear it either.
  kestan_reset_card_table();
  use_card(1, 0x200);
  EXPECT_EQ(0x22u, shadow(3));
  EXPECT_EQ(0x20u, shadow(0));
}

TEST_F(DigitalIo, OutputsAreWrittenOnlyAtTheCurrentCardsBase) {
  set_shadow(0);
  use_card(3, 0x300);
  set_shadow(0);
  ASSERT_EQ(No_Error, W_Kestan_Set_Card(0));
  static const Access expected[] = {
      {IOSIM_OUT8, kB + 2, 0x04}, {IOSIM_OUT8, 0x300 + 1, 0x77}, {IOSIM_OUT16, 0x300 + 2, 0xBEEF}};
  EXPECT_EQ(No_Error, W_Kestan_DO_Channel(18, 1));
  ASSERT_EQ(No_Error, W_Kestan_Set_Card(3));
  EXPECT_EQ(No_Error, W_Kestan_DO_8(1, 0x77));
  EXPECT_EQ(No_Error, W_Kestan_DO_16(1, 0xBEEF));
  EXPECT_JOURNAL(expected);
}

}  // namespace
}  // namespace kestan_test
