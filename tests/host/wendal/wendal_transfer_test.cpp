// wendal interrupt transfer driven by the card's own sampling clock, as the
// Wendal interrupt sample drives it: pattern out on channel 1 Port A, values
// in on channel 0 Port A (joined by the test cable).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "ioport.h"
#include "iosim.h"
#include "wendal.h"

namespace {

constexpr int kBase = 0x300;
constexpr int kLevel = 5;  // the sample's default
constexpr unsigned long long kTickNs = 500;  // one period of 2,000,000 Hz
constexpr int kMax = 32768;

int g_pattern[kMax];
int g_input[kMax];

struct WendalTransfer : ::testing::Test {
  void SetUp() override {
    for (int card = 0; card < 8; ++card) W_Wendal_Initial(card, 0, 3);
    iosim_reset();
    iosim_clock_manual(1);
    for (int i = 0; i < kMax; ++i) {
      g_pattern[i] = i;
      g_input[i] = -1;
    }
    ASSERT_EQ(No_Error, W_Wendal_Initial(0, kBase, kLevel));
  }
  void TearDown() override {
    W_Wendal_Clock_Stop();
    for (int card = 0; card < 8; ++card) W_Wendal_Initial(card, 0, 3);
    iosim_clock_manual(0);
  }
  // Interrupt Trigger of the sample up to the clock start.
  void start(int n, int d1, int d2) {
    ASSERT_EQ(No_Error, W_Wendal_INT_Setup());
    ASSERT_EQ(No_Error, W_Wendal_INT_Buffer(256, 2, g_pattern, n));
    ASSERT_EQ(No_Error, W_Wendal_INT_Buffer(0, 1, g_input, n));
    ASSERT_EQ(No_Error, W_Wendal_INT_Start(n));
    ASSERT_EQ(No_Error, W_Wendal_Clock_Start(d1, d2));
  }
  int count() {
    int status = -1, n = -1;
    EXPECT_EQ(No_Error, W_Wendal_INT_Status(&status, &n));
    return n;
  }
  // Ticks from now to the next served interrupt, stepping one tick at a time.
  unsigned long long ticks_to_next(unsigned long long limit) {
    const int before = count();
    for (unsigned long long t = 1; t <= limit; ++t) {
      iosim_clock_advance_ns(kTickNs);
      if (count() != before) return t;
    }
    return 0;
  }
};

TEST_F(WendalTransfer, AnInterruptEveryDivisorProductPeriods) {
  const struct {
    int d1, d2;
  } pairs[] = {{3, 7}, {2, 2}, {20, 6}, {5, 100}, {1, 6}};
  for (const auto &p : pairs) {
    start(8, p.d1, p.d2);
    const unsigned long long product = static_cast<unsigned long long>(p.d1) * p.d2;
    ASSERT_NE(0u, ticks_to_next(4 * product)) << p.d1 << " x " << p.d2;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(product, ticks_to_next(4 * product)) << p.d1 << " x " << p.d2;
    W_Wendal_Clock_Stop();
  }
}

TEST_F(WendalTransfer, SampleDefaultsFortyValuesAtFortyHertzInOneSecond) {
  start(40, 20, 2500);
  iosim_clock_advance_ns(999000000ull);
  EXPECT_EQ(39, count());
  iosim_clock_advance_ns(2000000ull);
  EXPECT_EQ(40, count());
  int status = -1, n = -1;
  EXPECT_EQ(No_Error, W_Wendal_INT_Status(&status, &n));
  EXPECT_EQ(0, status);
  EXPECT_EQ(No_Error, W_Wendal_Clock_Stop());
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Wendal_INT_Stop(&stopped));
  EXPECT_EQ(40, stopped);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(i, g_input[i]);
  EXPECT_EQ(-1, g_input[40]) << "nothing past N";
}

TEST_F(WendalTransfer, NoTickLostAt16667HzWhenTimeComesInLargeSteps) {
  start(kMax, 20, 6);  // the sample at 15000 Hz: every 120 periods
  const unsigned long long first = ticks_to_next(1000);
  ASSERT_NE(0u, first);
  unsigned long long ticks = first;
  // 10 ms steps: about 167 interrupts fall due in each and are caught up.
  constexpr unsigned long long kStep = 20000;
  while (count() < kMax && ticks < 5000000) {
    iosim_clock_advance_ns(kStep * kTickNs);
    ticks += kStep;
    const unsigned long long due = 1 + (ticks - first) / 120;
    ASSERT_EQ(due < kMax ? due : kMax, static_cast<unsigned long long>(count())) << "at tick " << ticks;
  }
  EXPECT_EQ(kMax, count());
  int wrong = 0;
  for (int i = 0; i < kMax; ++i) wrong += g_input[i] != (i & 0xFF);
  EXPECT_EQ(0, wrong);
}

TEST_F(WendalTransfer, StoppedClockRaisesNothingAndStopDetaches) {
  start(10, 20, 6);
  iosim_clock_advance_ns((20 + 120 * 3 + 10) * kTickNs);  // counter 2 loads on the first pulse of counter 1
  const int served = count();
  EXPECT_EQ(3, served);
  EXPECT_EQ(No_Error, W_Wendal_Clock_Stop());
  iosim_clock_advance_ns(1000000);
  EXPECT_EQ(served, count());
  EXPECT_EQ(No_Error, W_Wendal_Clock_Start(20, 6));
  int stopped = -1;
  EXPECT_EQ(No_Error, W_Wendal_INT_Stop(&stopped));
  EXPECT_EQ(served, stopped);
  iosim_clock_advance_ns(1000000);
  EXPECT_EQ(served, count()) << "detached: the clock runs on, nothing is served";
  // The stop of WM_DESTROY, with nothing running, just reports.
  EXPECT_EQ(No_Error, W_Wendal_INT_Stop(&stopped));
  EXPECT_EQ(served, stopped);
}

TEST_F(WendalTransfer, RealTimeAcquisitionOf32768ValuesAt16667Hz) {
  iosim_clock_manual(0);
  using clock = std::chrono::steady_clock;
  const auto t0 = clock::now();
  start(kMax, 20, 6);
  while (count() < kMax && clock::now() - t0 < std::chrono::seconds(20)) {
  }
  const double seconds = std::chrono::duration<double>(clock::now() - t0).count();
  W_Wendal_Clock_Stop();
  int stopped = -1;
  W_Wendal_INT_Stop(&stopped);
  ASSERT_EQ(kMax, stopped);
  int wrong = 0;
  for (int i = 0; i < kMax; ++i) wrong += g_input[i] != (i & 0xFF);
  EXPECT_EQ(0, wrong);
  const double ideal = kMax * 120.0 / 2000000.0;
  std::printf("32768 values at 16,667 Hz: %.3f s, %.4f x N/rate\n", seconds, seconds / ideal);
  EXPECT_GT(seconds, ideal * 0.99) << "the card's clock runs in real time";
}

}  // namespace
