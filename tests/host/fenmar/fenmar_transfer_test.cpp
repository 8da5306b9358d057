// fenmar interrupt transfer on the simulated PC, driven as the Fenmar
// interrupt sample drives it: pattern out on Port C, values in on Port A
// (joined by the test cable), one interrupt per pulse on Port C line 0.
#include <gtest/gtest.h>

#include "fenmar.h"
#include "ioport.h"
#include "iosim.h"

namespace {

constexpr int kBase = 0x2C0;
constexpr int kLevel = 2;  // the sample's default
constexpr int kN = 10;

int g_pattern[32768];
int g_input[32768];

void IOPORT_API ignore(void *) {}

struct FenmarTransfer : ::testing::Test {
  void SetUp() override {
    for (int card = 0; card < 8; ++card) W_Fenmar_Initial(card, 0, 3);
    iosim_reset();
    for (int i = 0; i < kN; ++i) {
      g_pattern[i] = i;
      g_input[i] = 0;
    }
  }
  void TearDown() override {
    for (int card = 0; card < 8; ++card) W_Fenmar_Initial(card, 0, 3);
  }
  // Setup OK of the sample.
  void arm(int n) {
    ASSERT_EQ(No_Error, W_Fenmar_Initial(0, kBase, kLevel));
    ASSERT_EQ(No_Error, W_Fenmar_INT_Setup());
    W_Fenmar_INT_Buffer(2, 2, g_pattern, n);
    W_Fenmar_INT_Buffer(0, 1, g_input, n);
    io_out8(kBase + 3, 0x80);
    ASSERT_EQ(No_Error, W_Fenmar_INT_Start(n));
  }
  // Interrupt Trigger of the sample: pulse, then one query.
  void trigger(int *status, int *count) {
    io_out8(kBase + 2, 0x01);
    io_out8(kBase + 2, 0x00);
    ASSERT_EQ(No_Error, W_Fenmar_INT_Status(status, count));
  }
};

TEST_F(FenmarTransfer, EachPulseMovesOneValueAndTheLastFinishes) {
  arm(kN);
  int status = -1, count = -1;
  ASSERT_EQ(No_Error, W_Fenmar_INT_Status(&status, &count));
  EXPECT_EQ(1, status);
  EXPECT_EQ(0, count);
  for (int i = 1; i <= kN; ++i) {
    trigger(&status, &count);
    EXPECT_EQ(i, count);
    EXPECT_EQ(i < kN ? 1 : 0, status) << i;
    EXPECT_EQ(i - 1, g_input[i - 1]) << "slot " << i - 1 << " holds the value sent with it";
    if (i < kN) {
      EXPECT_EQ(0, g_input[i]) << "and the next slot is untouched";
    }
  }
  trigger(&status, &count);
  EXPECT_EQ(kN, count) << "a finished transfer ignores further interrupts";
  EXPECT_EQ(0, status);
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Fenmar_INT_Stop(&stopped));
  EXPECT_EQ(kN, stopped);
  for (int i = 0; i < kN; ++i) EXPECT_EQ(i, g_input[i]);
}

TEST_F(FenmarTransfer, StopEndsTheTransferAndArmingAgainStartsFromSlotZero) {
  arm(kN);
  int status = -1, count = -1;
  for (int i = 0; i < 3; ++i) trigger(&status, &count);
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Fenmar_INT_Stop(&stopped));
  EXPECT_EQ(3, stopped);
  trigger(&status, &count);
  EXPECT_EQ(3, count) << "stopped: the handler is detached";
  EXPECT_EQ(0, status);
  EXPECT_EQ(0, g_input[3]);

  for (int i = 0; i < kN; ++i) g_pattern[i] = 100 + i;
  EXPECT_EQ(No_Error, W_Fenmar_INT_Start(kN));
  ASSERT_EQ(No_Error, W_Fenmar_INT_Status(&status, &count));
  EXPECT_EQ(1, status);
  EXPECT_EQ(0, count);
  for (int i = 0; i < kN; ++i) trigger(&status, &count);
  EXPECT_EQ(0, status);
  for (int i = 0; i < kN; ++i) EXPECT_EQ(100 + i, g_input[i]);
}

TEST_F(FenmarTransfer, ASecondSetupAfterAnOddLastValueLosesNoPulse) {
  int status = -1, count = -1;
  for (int round = 0; round < 2; ++round) {
    arm(kN - 1);  // ends on 8, an even value
    for (int i = 1; i < kN; ++i) trigger(&status, &count);
    EXPECT_EQ(kN - 1, count) << round;
    EXPECT_EQ(0, status) << round;
    arm(kN);  // the last value 9 leaves Port C line 0 high in the shadow
    for (int i = 1; i <= kN; ++i) {
      trigger(&status, &count);
      ASSERT_EQ(i, count) << "round " << round << " pulse " << i;
    }
  }
}

TEST_F(FenmarTransfer, CountOfZeroOrBelowFinishesAtOnce) {
  for (int n : {0, -5}) {
    arm(n);
    int status = -1, count = -1;
    ASSERT_EQ(No_Error, W_Fenmar_INT_Status(&status, &count));
    EXPECT_EQ(0, status) << n;
    EXPECT_EQ(0, count) << n;
    trigger(&status, &count);
    EXPECT_EQ(0, count) << "nothing attached";
  }
}

TEST_F(FenmarTransfer, ALevelThatCannotBeAttachedNeverProgressesAndNeverReportsDone) {
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, ignore, nullptr));  // someone else holds it
  ASSERT_EQ(No_Error, W_Fenmar_Initial(0, kBase, kLevel));
  W_Fenmar_INT_Setup();
  W_Fenmar_INT_Buffer(2, 2, g_pattern, kN);
  W_Fenmar_INT_Buffer(0, 1, g_input, kN);
  EXPECT_EQ(Interrupt_Unavailable, W_Fenmar_INT_Start(kN));
  int status = -1, count = -1;
  for (int i = 0; i < 3; ++i) trigger(&status, &count);
  EXPECT_EQ(1, status);
  EXPECT_EQ(0, count);
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Fenmar_INT_Stop(&stopped));
  EXPECT_EQ(0, stopped);
  EXPECT_EQ(IO_IRQ_OK, io_irq_detach(kLevel)) << "stop left the other handler alone";
}

TEST_F(FenmarTransfer, RegistrationAndArmingCheckTheirArguments) {
  int status = 7, count = 7;
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_INT_Setup());
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_INT_Stop(&count));
  EXPECT_EQ(7, count);
  EXPECT_EQ(Card_Not_Initial, W_Fenmar_INT_Status(&status, &count));
  EXPECT_EQ(Transfer_Not_Armed, status) << "a free slot has nothing armed, not a finished transfer";
  EXPECT_EQ(0, count);
  count = 7;
  ASSERT_EQ(No_Error, W_Fenmar_Initial(0, kBase, kLevel));
  EXPECT_EQ(Invalid_Port_Code, W_Fenmar_INT_Buffer(5, 1, g_input, kN));
  EXPECT_EQ(Invalid_Direction, W_Fenmar_INT_Buffer(0, 3, g_input, kN));
  EXPECT_EQ(Invalid_Direction, W_Fenmar_INT_Buffer(0, 0, g_input, kN));
  EXPECT_EQ(Invalid_Count, W_Fenmar_INT_Buffer(0, 1, g_input, 0));
  EXPECT_EQ(Invalid_Pointer, W_Fenmar_INT_Buffer(0, 1, nullptr, kN));
  EXPECT_EQ(Invalid_Pointer, W_Fenmar_INT_Status(nullptr, &count));
  EXPECT_EQ(Invalid_Pointer, W_Fenmar_INT_Stop(nullptr));
  EXPECT_EQ(7, count);
  EXPECT_EQ(No_Error, W_Fenmar_INT_Buffer(0, 1, g_input, 4));
  EXPECT_EQ(Invalid_Count, W_Fenmar_INT_Start(5)) << "more values than the buffer holds";
  EXPECT_EQ(No_Error, W_Fenmar_INT_Start(4));
  EXPECT_EQ(Transfer_Running, W_Fenmar_INT_Buffer(2, 2, g_pattern, 4));
  EXPECT_EQ(No_Error, W_Fenmar_INT_Setup()) << "a new set-up ends the running transfer";
  EXPECT_EQ(No_Error, W_Fenmar_INT_Status(&status, &count));
  EXPECT_EQ(Transfer_Not_Armed, status);
  EXPECT_EQ(0, count);
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Fenmar_INT_Stop(&stopped));
  EXPECT_EQ(No_Error, W_Fenmar_INT_Status(&status, &count));
  EXPECT_EQ(Transfer_Not_Armed, status) << "stopping nothing arms nothing";
}

}  // namespace
