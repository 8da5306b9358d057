// wendal_interrupt as its description has it: the Setup dialog's rate, the
// divisors, and the timer-driven acquisition of each Interrupt Trigger.
#include <gtest/gtest.h>

#include <cstdio>

#include "field_texts.h"
#include "int_state.h"
#include "int_test_support.h"
#include "program_expect.h"
#include "wendal_interrupt.h"

const ProgramExpect Expected = {
    "wendal", "Wendal Interrupt Samples", 300, 11,
    101, "Setup Dialog", 187, 133,
    {{"Button", IDOK, "OK", kButton | BS_DEFPUSHBUTTON, 20, 105, 50, 14},
     {"Button", IDCANCEL, "Cancel", kButton, 109, 105, 50, 14},
     {"Static", -1, "Base Address", kLabel, 23, 14, 60, 10},
     {"Static", -1, "IRQ Level", kLabel, 23, 32, 52, 12},
     {"Static", -1, "Total Count", kLabel, 22, 53, 52, 12},
     {"Static", -1, "Sampling Rate", kLabel, 22, 74, 52, 12},
     {"ComboBox", 1004, nullptr, kCombo, 89, 12, 76, 114},
     {"ComboBox", 1005, nullptr, kCombo, 89, 34, 76, 102},
     {"Edit", 1007, nullptr, kEdit, 89, 50, 76, 15},
     {"Edit", 1008, nullptr, kEdit, 89, 71, 61, 15},
     {"Static", -1, "Hz", kLabel, 154, 73, 11, 13}},
    2, 256, "3FEH", 129,
    {"3", "4", "5", "7", "9", "10", "11", "12", "15"}, 2,
    1007, "40", 1008,
    0x300, 5,
    0x300, 5, 40,
};

namespace {

const int kInitialise = 1, kClockStart = 4, kClockStop = 5, kArm = 9, kQuery = 10, kStop = 11,
          kRegister = 12, kBeginSetup = 13;

class WendalSample : public testing::Test {
 protected:
  void SetUp() override { window = create_int_window(); }
  void TearDown() override { destroy_int_window(window); }
  void setup(const std::vector<DialogStep> &steps) {
    run_command_with_dialog(window, Expected.setup_command, steps);
  }
  void setup_ok(const char *count, const char *rate) {
    setup({set_text(1007, count), set_text(1008, rate), post_command(IDOK)});
  }
  // The library gathers Input_Buffer[i] = i + offset as the count grows by
  // one per query; the test writes the values up front.
  void gather(int count, int offset) {
    for (int i = 0; i < count && i < INT_BUFFER_CAPACITY; ++i) Input_Buffer[i] = i + offset;
    cardrec_clear();
    cardrec_report(1, 0, 1, count);
  }
  void trigger() { SendMessageA(window, WM_COMMAND, 300, 0); }
  HWND window = nullptr;
};

std::vector<TextLine> listing(int shown, int offset) {
  std::vector<TextLine> lines = {{20, 40, "Data from Input port: "},
                                 {20, 60, "** only shows at most 40 data **"}};
  for (int i = 0; i < shown && i < 40; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, i < 10 ? "  %d, " : "%d, ", i + offset);
    lines.push_back({20 + 25 * (i % 10), 85 + 25 * (i / 10), text});
  }
  return lines;
}

std::vector<TextLine> count_then_listing(int count, int shown, int offset) {
  char text[32];
  std::snprintf(text, sizeof text, "Interrupt Count=%d", count);
  std::vector<TextLine> lines = {{20, 20, text}};
  const std::vector<TextLine> rest = listing(shown, offset);
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

}  // namespace

TEST_F(WendalSample, OkComputesTheSecondDivisorFromTheRate) {
  struct Case {
    const char *rate;
    int stored, divisor;
  };
  const Case cases[] = {{"40", 40, 2500}, {"15000", 15000, 6}, {"20000", 15000, 6},
                        {"1", 1, 100000}, {" 7x", 7, 14285}};
  EXPECT_EQ(40, Sampling_Rate);
  EXPECT_EQ(20, Clock_Divisor_1);
  EXPECT_EQ(250, Clock_Divisor_2) << "before any Setup the clock runs at 400 Hz";
  for (const Case &c : cases) {
    SCOPED_TRACE(c.rate);
    cardrec_clear();
    setup_ok("40", c.rate);
    EXPECT_EQ(c.stored, Sampling_Rate);
    EXPECT_EQ(20, Clock_Divisor_1);
    EXPECT_EQ(c.divisor, Clock_Divisor_2);
    EXPECT_CALLS("wendal", {{kInitialise, 3, {0, 0x300, 5}}});
  }
}

TEST_F(WendalSample, RateBelowOneIsRefusedWithAMessage) {
  setup_ok("30", "100");
  for (const char *rate : {"", "abc", "0", "-3"}) {
    SCOPED_TRACE(std::string("rate \"") + rate + "\"");
    BoxSeen box;
    setup({set_text(1007, "25"), set_text(1008, rate), post_command(IDOK), dismiss_box(&box),
           inspect([](HWND dialog) { EXPECT_EQ("Setup Dialog", control_text(dialog)); }),
           post_command(IDCANCEL)});
    EXPECT_EQ("Sampling Rate can be assigned at least 1", box.text);
    EXPECT_EQ("INT", box.caption);
    EXPECT_EQ(30, Total_Count) << "a refused OK stores nothing";
    EXPECT_EQ(100, Sampling_Rate);
    EXPECT_EQ(1000, Clock_Divisor_2);
  }
}

// Every kind of rate text: below 1 refused with the dialog left open, 1 to
// 15000 stored as parsed, above 15000 stored as 15000; the divisor always
// follows the stored rate.
TEST_F(WendalSample, EveryRateTextEndsInItsDocumentedResult) {
  int tried = 0;
  for (const char *text : field_texts::kFieldTexts) {
    SCOPED_TRACE(std::string("rate text \"") + text + "\"");
    const int value = field_texts::documented_value(text);
    setup_ok("30", "100");
    if (value < 1) {
      BoxSeen box;
      setup({set_text(1008, text), post_command(IDOK), dismiss_box(&box), post_command(IDCANCEL)});
      EXPECT_EQ("Sampling Rate can be assigned at least 1", box.text);
      EXPECT_EQ(100, Sampling_Rate);
    } else {
      setup({set_text(1008, text), post_command(IDOK)});
      EXPECT_EQ(value > 15000 ? 15000 : value, Sampling_Rate);
    }
    EXPECT_EQ(2000000 / (20 * Sampling_Rate), Clock_Divisor_2);
    ++tried;
  }
  std::printf("rate texts tried: %d\n", tried);
}

TEST_F(WendalSample, RefusedCountLeavesTheRateUnread) {
  setup_ok("30", "100");
  BoxSeen box;
  setup({set_text(1007, "32769"), set_text(1008, "0"), post_command(IDOK), dismiss_box(&box),
         post_command(IDCANCEL)});
  EXPECT_EQ("Count can be assigned at most 32768", box.text);
  EXPECT_EQ(100, Sampling_Rate);
  EXPECT_EQ(1000, Clock_Divisor_2);
}

TEST_F(WendalSample, TriggerRunsAWholeAcquisitionAndListsForty) {
  setup_ok("40", "40");
  gather(40, 0);
  trigger();
  const std::vector<CardCall> calls = recorded_calls();
  ASSERT_EQ(5u + 41u + 2u, calls.size()) << "one query before the loop, one per value";
  std::vector<ExpectedCall> expected = {
      {kBeginSetup, 0, {}},
      {kRegister, 4, {256, 2, address_of(Pattern_Buffer), 40}},
      {kRegister, 4, {0, 1, address_of(Input_Buffer), 40}},
      {kArm, 1, {40}},
      {kClockStart, 2, {20, 2500}}};
  const intptr_t status = calls[5].args[0], count = calls[5].args[1];
  for (int i = 0; i < 41; ++i) expected.push_back({kQuery, 2, {status, count}});
  expected.push_back({kClockStop, 0, {}});
  expected.push_back({kStop, 1, {count}});
  EXPECT_CALLS("wendal", expected);
  EXPECT_EQ(40, calls.back().pointee);
  EXPECT_NE(status, count);
  EXPECT_WINDOW_LINES(window, count_then_listing(40, 40, 0));
}

TEST_F(WendalSample, RowsHoldTenValuesAndAtMostFortyAreListed) {
  setup_ok("25", "40");
  gather(25, 7);
  trigger();
  EXPECT_WINDOW_LINES(window, count_then_listing(25, 25, 7));
  destroy_int_window(window);

  window = create_int_window();
  setup_ok("100", "40");
  gather(100, 0);
  trigger();
  EXPECT_WINDOW_LINES(window, count_then_listing(100, 40, 0));
}

TEST_F(WendalSample, CountOfZeroSkipsTheLoop) {
  setup_ok("0", "40");
  gather(0, 0);
  trigger();
  EXPECT_CALLS("wendal", {{kBeginSetup, 0, {}},
                          {kRegister, 4, {256, 2, address_of(Pattern_Buffer), 0}},
                          {kRegister, 4, {0, 1, address_of(Input_Buffer), 0}},
                          {kArm, 1, {0}},
                          {kClockStart, 2, {20, 2500}},
                          {kQuery, 2, {ANY_ARG, ANY_ARG}},
                          {kClockStop, 0, {}},
                          {kStop, 1, {ANY_ARG}}});
  EXPECT_WINDOW_LINES(window, listing(0, 0));
}

TEST_F(WendalSample, TriggerBeforeSetupRunsTheClockAt400Hz) {
  gather(40, 0);
  trigger();
  ASSERT_GE(cardrec_count(), 5);
  const CardCall clock = cardrec_call(4);
  EXPECT_EQ(kClockStart, clock.ordinal);
  EXPECT_EQ(20, clock.args[0]);
  EXPECT_EQ(250, clock.args[1]);
}

TEST_F(WendalSample, SilentCardEndsTheLoopAfterTwoSeconds) {
  setup_ok("40", "40");
  for (int i = 0; i < 40; ++i) Input_Buffer[i] = 50 + i;
  cardrec_clear();
  cardrec_report(1, 3, 0, 3);  // three values in, then no more interrupts
  const DWORD start = GetTickCount();
  trigger();
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, static_cast<DWORD>(WENDAL_SILENCE_MS));
  EXPECT_LT(waited, static_cast<DWORD>(WENDAL_SILENCE_MS + 1500));
  const std::vector<CardCall> calls = recorded_calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(kClockStop, calls[calls.size() - 2].ordinal);
  EXPECT_EQ(kStop, calls.back().ordinal);
  std::vector<TextLine> lines = count_then_listing(3, 3, 50);
  lines.insert(lines.begin() + 1, TextLine{20, 190, "Interrupts stopped coming: 3 of 40"});
  EXPECT_WINDOW_LINES(window, lines);
}

TEST_F(WendalSample, DestroyStopsWithACountOfZero) {
  DestroyWindow(window);
  EXPECT_CALLS("wendal", {{kStop, 1, {ANY_ARG}}});
  EXPECT_EQ(0, cardrec_call(0).pointee);
}
