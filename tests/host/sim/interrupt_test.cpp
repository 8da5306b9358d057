// Interrupt delivery: the controller's rules, handlers run after the access
// that raised the request on the same thread with the bus free, ticker
// delivery, and no lost request when they come faster than the ticker wakes.
// The source is the Kestan card's counter 2 with its jumper on a level.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "iosim.h"

namespace {

const unsigned short kBase = 0x2A8;
const unsigned short kControl = kBase + 7;
const unsigned short kCounter2 = kBase + 6;
const int kLevel = 5;
const unsigned long long kMicrosecond = 1000;

struct Calls {
  std::atomic<int> count{0};
  std::atomic<bool> other_thread{false};
  std::thread::id caller;
  unsigned long journal_at_first_call = 0;
  int port_value_in_handler = -1;
};

void IOPORT_API count_call(void *context) {
  Calls *calls = static_cast<Calls *>(context);
  if (calls->count.fetch_add(1) == 0) {
    calls->journal_at_first_call = iosim_journal_total();
    calls->port_value_in_handler = io_in8(kBase);  // the bus must be free here
  }
  if (std::this_thread::get_id() != calls->caller) calls->other_thread = true;
}

void IOPORT_API do_nothing(void *) {}

void start_counter2(int mode, unsigned count) {
  io_out8(kControl, static_cast<unsigned char>(0xB0 | mode << 1));
  io_out8(kCounter2, static_cast<unsigned char>(count));
  io_out8(kCounter2, static_cast<unsigned char>(count >> 8));
}

class Interrupts : public ::testing::Test {
 protected:
  // manual: plug the card on a stopped clock (its oscillator phase known).
  void plug(bool manual) {
    ASSERT_EQ(0, iosim_load_rack("empty"));
    iosim_clock_manual(manual ? 1 : 0);
    ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", kBase));
    ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kBase, kLevel));
    calls.caller = std::this_thread::get_id();
  }
  void TearDown() override {
    io_irq_detach(kLevel);
    iosim_reset();
  }
  Calls calls;
};

TEST_F(Interrupts, OneHandlerPerLevelAndOnlyLevelsZeroToFifteen) {
  EXPECT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, do_nothing, nullptr));
  EXPECT_EQ(IO_IRQ_BUSY, io_irq_attach(kLevel, count_call, &calls));
  EXPECT_EQ(IO_IRQ_OK, io_irq_attach(15, do_nothing, nullptr));
  EXPECT_EQ(IO_IRQ_OK, io_irq_attach(0, do_nothing, nullptr));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_attach(16, do_nothing, nullptr));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_attach(-1, do_nothing, nullptr));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_attach(3, nullptr, nullptr));
  EXPECT_EQ(IO_IRQ_OK, io_irq_detach(kLevel));
  EXPECT_EQ(IO_IRQ_NOT_ATTACHED, io_irq_detach(kLevel));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_detach(16));
  EXPECT_EQ(IO_IRQ_OK, io_irq_detach(15));
  EXPECT_EQ(IO_IRQ_OK, io_irq_detach(0));
  EXPECT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
}

TEST_F(Interrupts, RequestOfAnAccessRunsRightAfterItOnTheSameThread) {
  plug(true);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  io_out8(kBase, 0x5A);
  io_out8(kControl, 0xB0);  // counter 2, mode 0: OUT low
  iosim_journal_clear();
  io_out8(kControl, 0xB4);  // mode 2: OUT high at once, a request
  EXPECT_EQ(1, calls.count.load());
  EXPECT_FALSE(calls.other_thread.load());
  EXPECT_EQ(1ul, calls.journal_at_first_call);  // after the access, not during it
  EXPECT_EQ(0x5A, calls.port_value_in_handler);
}

TEST_F(Interrupts, ClockStepsDeliverEveryRequestInTheCallersThread) {
  plug(true);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  start_counter2(2, 10);  // 100 kHz at 1 MHz
  iosim_clock_advance_ns(1000 * kMicrosecond);
  // OUT rises at the mode-2 control word (power-up OUT is low), then after
  // the load pulse at each of 99 reloads in 1000 pulses.
  EXPECT_EQ(1 + 99, calls.count.load());
  iosim_clock_advance_ns(10 * kMicrosecond);
  EXPECT_EQ(1 + 100, calls.count.load());
  EXPECT_FALSE(calls.other_thread.load());
}

TEST_F(Interrupts, CardWithoutJumperOrLevelWithoutHandlerDropsRequests) {
  plug(true);
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kBase, -1));
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kBase, 8, "kestan"));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  start_counter2(2, 10);
  iosim_clock_advance_ns(100 * kMicrosecond);
  EXPECT_EQ(0, calls.count.load());  // the Kestan card follows no driver: no jumper, no line
  // Requests of a level with no handler are not kept for a later attach.
  ASSERT_EQ(IO_IRQ_OK, io_irq_detach(kLevel));
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kBase, kLevel));
  iosim_clock_advance_ns(100 * kMicrosecond);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  EXPECT_EQ(0, calls.count.load());
  iosim_clock_advance_ns(10 * kMicrosecond);
  EXPECT_EQ(1, calls.count.load());
}

TEST_F(Interrupts, TickerDeliversTimedRequestsWithoutAnyAccess) {
  plug(false);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  start_counter2(2, 1000);  // 1 kHz
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  int seen = calls.count.load();
  EXPECT_GE(seen, 50);
  EXPECT_LE(seen, 200);
  EXPECT_TRUE(calls.other_thread.load());
}

TEST_F(Interrupts, NoRequestIsLostWhenTheyComeFasterThanTheTickerWakes) {
  plug(false);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_call, &calls));
  unsigned long long before = iosim_clock_now_ns();
  start_counter2(2, 20);  // 50 kHz: some 50 requests per ticker wake-up
  unsigned long long after = iosim_clock_now_ns();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  iosim_clock_manual(1);  // time stops here...
  unsigned long long end = iosim_clock_now_ns();
  iosim_clock_advance_ns(0);  // ...and every card has caught up with it
  // The control word's rising edge, then one at each reload, every 20 us
  // after the load pulse.
  long long most = 1 + static_cast<long long>((end - before) / (20 * kMicrosecond));
  long long least = 1 + static_cast<long long>((end - after) / (20 * kMicrosecond)) - 1;
  EXPECT_GE(calls.count.load(), least);
  EXPECT_LE(calls.count.load(), most);
  EXPECT_GT(least, 5000);
}

struct SlowHandler {
  std::atomic<bool> inside{false};
  std::atomic<int> runs{0};
};

void IOPORT_API slow_handler(void *context) {
  SlowHandler *h = static_cast<SlowHandler *>(context);
  h->inside = true;
  h->runs.fetch_add(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  h->inside = false;
}

TEST_F(Interrupts, DetachWaitsForARunningHandlerAndNoneRunsAfterIt) {
  plug(false);
  SlowHandler slow;
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, slow_handler, &slow));
  start_counter2(2, 1000);
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!slow.inside && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
  ASSERT_TRUE(slow.inside.load());
  ASSERT_EQ(IO_IRQ_OK, io_irq_detach(kLevel));
  EXPECT_FALSE(slow.inside.load());
  int runs = slow.runs.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(runs, slow.runs.load());
}

void IOPORT_API detach_self(void *context) {
  static_cast<Calls *>(context)->count.fetch_add(1);
  io_irq_detach(kLevel);
}

TEST_F(Interrupts, HandlerMayDetachItsOwnLevel) {
  plug(true);
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, detach_self, &calls));
  start_counter2(2, 10);
  iosim_clock_advance_ns(100 * kMicrosecond);
  EXPECT_EQ(1, calls.count.load());
  EXPECT_EQ(IO_IRQ_NOT_ATTACHED, io_irq_detach(kLevel));
}

}  // namespace

// --- which level a card's request goes to ----------------------------------------
// The Fenmar card requests on a rising edge of its Port C line 0 (bank 2, bit 0).

namespace {

const unsigned short kFenmar = 0x300;
const unsigned short kDulvar = 0x320;

struct LevelCalls {
  std::atomic<int> at[16] = {};
};

LevelCalls *g_levels = nullptr;

template <int Level>
void IOPORT_API count_level(void *) {
  g_levels->at[Level].fetch_add(1);
}

void pulse_fenmar_line() {
  ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(kFenmar, 2, 1, 0));
  ASSERT_EQ(IOSIM_OK, iosim_drive_inputs(kFenmar, 2, 1, 1));
}

class InterruptRouting : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, iosim_load_rack("empty"));
    g_levels = &calls;
  }
  void TearDown() override {
    for (int level : {3, 7, 9}) io_irq_detach(level);
    iosim_reset();
    g_levels = nullptr;
  }
  LevelCalls calls;
};

TEST_F(InterruptRouting, TheOnlyClaimedSourceFollowsTheLevelItsDriverAttaches) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kFenmar, 4, "fenmar"));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(7, count_level<7>, nullptr));
  pulse_fenmar_line();
  EXPECT_EQ(1, calls.at[7].load());
  // The most recent attach wins.
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(9, count_level<9>, nullptr));
  pulse_fenmar_line();
  EXPECT_EQ(1, calls.at[7].load());
  EXPECT_EQ(1, calls.at[9].load());
}

TEST_F(InterruptRouting, AnUnclaimedCardFollowsNoAttach) {
  ASSERT_EQ(IOSIM_OK, iosim_plug("fenmar", kFenmar));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(7, count_level<7>, nullptr));
  pulse_fenmar_line();
  EXPECT_EQ(0, calls.at[7].load());
  // A claim after the attach does not reach back to it.
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kFenmar, 4, "fenmar"));
  pulse_fenmar_line();
  EXPECT_EQ(0, calls.at[7].load());
}

TEST_F(InterruptRouting, WithTwoClaimedSourcesOnlyJumpersRoute) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kFenmar, 4, "fenmar"));
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kDulvar, 24, "dulvar"));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(7, count_level<7>, nullptr));
  pulse_fenmar_line();
  EXPECT_EQ(0, calls.at[7].load());
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kFenmar, 7));
  pulse_fenmar_line();
  EXPECT_EQ(1, calls.at[7].load());
}

TEST_F(InterruptRouting, AJumperOverridesTheFollowedLevel) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(kFenmar, 4, "fenmar"));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(3, count_level<3>, nullptr));
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(7, count_level<7>, nullptr));
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kFenmar, 3));
  pulse_fenmar_line();
  EXPECT_EQ(1, calls.at[3].load());
  EXPECT_EQ(0, calls.at[7].load());
  // Back to following the driver: level 7, attached last.
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kFenmar, -1));
  pulse_fenmar_line();
  EXPECT_EQ(1, calls.at[3].load());
  EXPECT_EQ(1, calls.at[7].load());
}

}  // namespace
