// Wiring of the Fenmar and Dulvar card models: the test cable, floating
// lines, lines driven from outside, and the interrupt line.
#include <gtest/gtest.h>

#include <memory>

#include "cards/port_cards.h"
#include "card_model.h"

namespace {

using sim::CardModel;

constexpr unsigned kControl = 3;

uint32_t inputs_of(CardModel &card, int bank) {
  uint32_t v = 0xDEAD;
  EXPECT_TRUE(card.inputs(bank, &v));
  return v;
}

uint32_t outputs_of(CardModel &card, int bank) {
  uint32_t v = 0xDEAD;
  EXPECT_TRUE(card.outputs(bank, &v));
  return v;
}

struct Counted {
  std::unique_ptr<CardModel> card;
  int interrupts = 0;
  explicit Counted(std::unique_ptr<CardModel> c) : card(std::move(c)) {
    card->connect_interrupt([this] { ++interrupts; });
  }
};

TEST(FenmarCard, PortAAndPortCAreJoinedPortBIsOpen) {
  auto card = sim::make_fenmar_card();
  EXPECT_STREQ("fenmar", card->kind());
  EXPECT_EQ(4u, card->length());
  EXPECT_EQ(0xFF, card->read8(0)) << "nothing drives: every line floats high";
  EXPECT_EQ(0xFF, card->read8(1));
  EXPECT_EQ(0xFF, card->read8(2));

  card->write8(kControl, 0x92);  // A in, B in, C out
  card->write8(2, 0x5A);
  EXPECT_EQ(0x5A, card->read8(0)) << "Port A reads what Port C drives";
  EXPECT_EQ(0xFF, card->read8(1)) << "Port B joins nothing";
  EXPECT_EQ(0x5Au, outputs_of(*card, 2));
  EXPECT_EQ(0x5Au, inputs_of(*card, 0));

  card->write8(kControl, 0x89);  // A out, B out, C both halves in
  card->write8(0, 0x3C);
  EXPECT_EQ(0x3C, card->read8(2)) << "and the other way round";
  card->write8(kControl, 0x81);  // C upper out, C lower in, A out
  card->write8(0, 0x0F);
  card->write8(2, 0xA0);
  EXPECT_EQ(0xAF, card->read8(2)) << "upper half its latch, lower half from Port A";
  EXPECT_EQ(0x0F, card->read8(0)) << "Port A is output: its latch, though Port C drives the upper lines";
  EXPECT_FALSE(card->outputs(3, nullptr)) << "one chip: three banks";
}

TEST(FenmarCard, OutsideDriveTakesALineOffTheCable) {
  auto card = sim::make_fenmar_card();
  card->write8(kControl, 0x92);
  card->write8(2, 0xFF);
  ASSERT_TRUE(card->drive_inputs(0, 0x0F, 0x05));
  EXPECT_EQ(0xF5, card->read8(0));
  card->write8(2, 0x00);
  EXPECT_EQ(0x05, card->read8(0));
  ASSERT_TRUE(card->release_inputs(0, 0x0F));
  EXPECT_EQ(0x00, card->read8(0));
  card->set_loopback(false);
  EXPECT_EQ(0xFF, card->read8(0)) << "cable out: Port A floats";
  card->set_loopback(true);
  EXPECT_EQ(0x00, card->read8(0));
}

TEST(FenmarCard, RisingEdgeOfPortCLineZeroRequestsTheInterrupt) {
  Counted c(sim::make_fenmar_card());
  c.card->write8(kControl, 0x90);  // A in, C out at 0: the line falls, no request
  EXPECT_EQ(0, c.interrupts);
  c.card->write8(2, 0x01);
  EXPECT_EQ(1, c.interrupts);
  c.card->write8(2, 0x03);  // stays high
  EXPECT_EQ(1, c.interrupts);
  c.card->write8(2, 0x00);
  c.card->write8(kControl, 0x01);  // bit set/reset: set C line 0
  EXPECT_EQ(2, c.interrupts);
  c.card->write8(2, 0xFE);
  c.card->write8(2, 0xFE);
  EXPECT_EQ(2, c.interrupts);
  c.card->write8(kControl, 0x9B);  // C to input: the line floats up
  EXPECT_EQ(3, c.interrupts);
  c.card->write8(kControl, 0x80);  // A and C both outputs at 0
  c.card->write8(2, 0x01);
  EXPECT_EQ(3, c.interrupts) << "Port A, an output too, holds the joined line low";
}

TEST(DulvarCard, SixChannelsJoinedInPairsPortForPort) {
  auto card = sim::make_dulvar_card();
  EXPECT_STREQ("dulvar", card->kind());
  EXPECT_EQ(24u, card->length());
  // Every even channel all outputs, each port its own pattern.
  for (unsigned ch = 0; ch < 6; ch += 2) {
    card->write8(4 * ch + kControl, 0x80);
    for (unsigned p = 0; p < 3; ++p) card->write8(4 * ch + p, static_cast<uint8_t>(0x10 * ch + p + 1));
  }
  for (unsigned ch = 1; ch < 6; ch += 2)
    for (unsigned p = 0; p < 3; ++p)
      EXPECT_EQ(0x10 * (ch - 1) + p + 1, card->read8(4 * ch + p)) << "channel " << ch << " port " << p;
  // Banks are 3 x chip + port.
  EXPECT_EQ(0x43u, outputs_of(*card, 3 * 4 + 2));
  EXPECT_EQ(0x43u, inputs_of(*card, 3 * 5 + 2));
  EXPECT_EQ(0u, outputs_of(*card, 3 * 5 + 2)) << "an input bank drives nothing";
  EXPECT_FALSE(card->inputs(18, nullptr));
  EXPECT_EQ(0xFF, card->read8(24)) << "past the last chip";
}

TEST(DulvarCard, OutputAgainstOutputGivesTheAndAndLinesFloatWhenUndriven) {
  auto card = sim::make_dulvar_card();
  EXPECT_EQ(0xFF, card->read8(4));
  card->write8(kControl, 0x80);
  card->write8(4 + kControl, 0x80);
  card->write8(0, 0xF0);
  card->write8(4, 0x3C);
  EXPECT_EQ(0x30u, inputs_of(*card, 0));
  EXPECT_EQ(0xF0, card->read8(0)) << "an output still reads its latch";
}

TEST(DulvarCard, InterruptOnRisingEdgeOfChannelZeroPortCLineThree) {
  Counted c(sim::make_dulvar_card());
  c.card->write8(kControl, 0x80);
  c.card->write8(2, 0x08);
  c.card->write8(2, 0x00);
  c.card->write8(2, 0x08);
  EXPECT_EQ(2, c.interrupts);
  c.card->write8(2, 0x00);
  c.card->write8(4 + 2, 0x08);  // channel 1 Port C is input: no effect
  c.card->write8(2, 0x07);      // other lines
  EXPECT_EQ(2, c.interrupts);
  // Channel 0 Port C input: channel 1 drives the line through the cable.
  c.card->write8(4 + kControl, 0x80);
  c.card->write8(kControl, 0x89);
  EXPECT_EQ(2, c.interrupts) << "channel 1's latch was cleared: the line stays low";
  c.card->write8(4 + 2, 0x08);
  EXPECT_EQ(3, c.interrupts);
}

}  // namespace
