// The 8255 model against the chip's rules.
#include <gtest/gtest.h>

#include "chips/ppi8255.h"

namespace {

using sim::Ppi8255;

// The world outside the chip: pin levels per port.
struct Pins {
  uint8_t level[3] = {0xFF, 0xFF, 0xFF};
};

uint8_t pins_of(void *context, int port) { return static_cast<Pins *>(context)->level[port]; }

struct Chip : ::testing::Test {
  Pins pins;
  Ppi8255 chip{pins_of, &pins};
};

TEST_F(Chip, ResetStateIsAllInputsReadingThePins) {
  EXPECT_EQ(0x9B, chip.control());
  for (int p = 0; p < 3; ++p) EXPECT_EQ(0, chip.drive_mask(p)) << p;
  pins.level[0] = 0x12;
  pins.level[1] = 0x34;
  pins.level[2] = 0x56;
  EXPECT_EQ(0x12, chip.read(0));
  EXPECT_EQ(0x34, chip.read(1));
  EXPECT_EQ(0x56, chip.read(2));
  Ppi8255 unwired;
  EXPECT_EQ(0xFF, unwired.read(0)) << "nothing on the pins: they float high";
}

TEST_F(Chip, OutputsReadBackTheirLatchNotThePins) {
  chip.write(3, 0x80);  // all outputs
  chip.write(0, 0xA5);
  chip.write(1, 0x3C);
  chip.write(2, 0x81);
  pins.level[0] = pins.level[1] = pins.level[2] = 0x00;
  EXPECT_EQ(0xA5, chip.read(0));
  EXPECT_EQ(0x3C, chip.read(1));
  EXPECT_EQ(0x81, chip.read(2));
  EXPECT_EQ(0xFF, chip.drive_mask(0));
  EXPECT_EQ(0xA5, chip.latch(0));
}

TEST_F(Chip, EveryModeSetWordClearsAllLatches) {
  chip.write(3, 0x80);
  chip.write(0, 0xFF);
  chip.write(1, 0xFF);
  chip.write(2, 0xFF);
  chip.write(3, 0x80);  // the same directions again still clears
  EXPECT_EQ(0, chip.read(0));
  EXPECT_EQ(0, chip.read(1));
  EXPECT_EQ(0, chip.read(2));
  // A latch written while its port is input is cleared too.
  chip.write(3, 0x9B);
  chip.write(0, 0x77);
  chip.write(3, 0x80);
  EXPECT_EQ(0, chip.read(0));
}

TEST_F(Chip, DirectionBitsPerGroupAndPortCHalvesMixLatchAndPins) {
  const struct {
    uint8_t word;
    uint8_t a, b, c;  // drive masks
  } cases[] = {
      {0x80, 0xFF, 0xFF, 0xFF}, {0x90, 0x00, 0xFF, 0xFF}, {0x82, 0xFF, 0x00, 0xFF},
      {0x88, 0xFF, 0xFF, 0x0F}, {0x81, 0xFF, 0xFF, 0xF0}, {0x9B, 0x00, 0x00, 0x00},
  };
  for (const auto &k : cases) {
    chip.write(3, k.word);
    EXPECT_EQ(k.a, chip.drive_mask(0)) << std::hex << int(k.word);
    EXPECT_EQ(k.b, chip.drive_mask(1)) << std::hex << int(k.word);
    EXPECT_EQ(k.c, chip.drive_mask(2)) << std::hex << int(k.word);
  }
  chip.write(3, 0x88);  // C upper input, C lower output
  chip.write(2, 0x5A);
  pins.level[2] = 0xC3;
  EXPECT_EQ(0xCA, chip.read(2)) << "upper half from the pins, lower from the latch";
  chip.write(3, 0x81);  // C upper output, C lower input
  chip.write(2, 0x5A);
  EXPECT_EQ(0x53, chip.read(2));
}

TEST_F(Chip, BitSetResetTouchesOnePortCLatchBitOnly) {
  chip.write(3, 0x80);
  chip.write(0, 0x11);
  chip.write(2, 0x00);
  chip.write(3, 0x07);  // set bit 3
  EXPECT_EQ(0x08, chip.read(2));
  chip.write(3, 0x0F);  // set bit 7
  chip.write(3, 0x01);  // set bit 0
  EXPECT_EQ(0x89, chip.read(2));
  chip.write(3, 0x06);  // reset bit 3
  EXPECT_EQ(0x81, chip.read(2));
  chip.write(3, 0x7B);  // bits 6-4 set: still a bit set/reset (set bit 5)
  chip.write(3, 0x70);  // reset bit 0
  EXPECT_EQ(0xA0, chip.read(2));
  EXPECT_EQ(0x80, chip.control()) << "bit set/reset is no mode set";
  EXPECT_EQ(0x11, chip.read(0)) << "and clears no latch";
}

TEST_F(Chip, OtherModesRunAsModeZeroWithTheirDirections) {
  chip.write(3, 0xA0 | 0x04 | 0x10);  // group A mode 1, group B mode 1, A input
  EXPECT_EQ(0x00, chip.drive_mask(0));
  EXPECT_EQ(0xFF, chip.drive_mask(1));
  chip.write(1, 0x42);
  EXPECT_EQ(0x42, chip.read(1));
  chip.write(3, 0xC0);  // group A mode 2
  EXPECT_EQ(0xFF, chip.drive_mask(0));
}

TEST_F(Chip, ControlRegisterIsWriteOnlyAndResetRestoresPowerUp) {
  chip.write(3, 0x80);
  chip.write(0, 0x55);
  EXPECT_EQ(0xFF, chip.read(3));
  chip.reset();
  EXPECT_EQ(0x9B, chip.control());
  EXPECT_EQ(0, chip.latch(0));
}

}  // namespace
