// Arming at Setup OK, the trigger pulse, the query and the listing of the
// software-triggered samples, against the stand-in library and the
// simulator's port journal.
#include <gtest/gtest.h>

#include <cstdio>

#include "int_state.h"
#include "int_test_support.h"
#include "program_expect.h"
#include "pulse_expect.h"

namespace {

const int kQuery = 8, kStop = 9, kRegister = 10, kBeginSetup = 11, kArm = 7, kInitialise = 1;

class PulseSample : public testing::Test {
 protected:
  void SetUp() override { window = create_int_window(); }
  void TearDown() override { destroy_int_window(window); }
  void setup_ok(const char *count, int address_index = -2) {
    std::vector<DialogStep> steps;
    if (address_index != -2) steps.push_back(close_up(1004, address_index));
    steps.push_back(set_text(Expected.count_edit, count));
    steps.push_back(post_command(IDOK));
    run_command_with_dialog(window, Expected.setup_command, steps);
  }
  void trigger() { SendMessageA(window, WM_COMMAND, 300, 0); }
  // Clears the journals so that the next command's calls stand alone.
  void forget_calls() {
    cardrec_clear();
    clear_port_journal();
  }
  HWND window = nullptr;
};

std::string text(const char *format, int a, int b = 0) {
  char line[128];
  std::snprintf(line, sizeof line, format, a, b);
  return line;
}

const ExpectedCall query_call() {
  return {kQuery, 2, {address_of(&Int_Status), address_of(&Current_Count)}};
}

std::vector<TextLine> listing(int count, int shown_from_value) {
  std::vector<TextLine> lines = {{20, 50, "only shows at most 15 data:"}};
  for (int i = 0; i < count && i < 15; ++i)
    lines.push_back({20, 70 + 20 * i, text("Input_Buffer[%d] = %d ", i, shown_from_value + i)});
  return lines;
}

// A repaint wipes what the commands drew (the window paints nothing itself).
void erase(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

void append(std::vector<TextLine> &to, const std::vector<TextLine> &more) {
  to.insert(to.end(), more.begin(), more.end());
}

}  // namespace

TEST_F(PulseSample, OkInitialisesRegistersProgramsThePortsAndArms) {
  setup_ok("10", 3);
  const int base = 0x200 + 2 * Expected.address_step;
  EXPECT_CALLS(Expected.card,
               {{kInitialise, 3, {0, base, Expected.start_level}},
                {kBeginSetup, 0, {}},
                {kRegister, 4, {Pulse_Expected.pattern_port, 2, address_of(Pattern_Buffer), 10}},
                {kRegister, 4, {Pulse_Expected.input_port, 1, address_of(Input_Buffer), 10}},
                {kArm, 1, {10}}});
  if (!simulator_present()) GTEST_SKIP() << "port writes need the simulator build of ioport";
  std::vector<int> calls_before;
  const std::vector<PortWrite> writes = port_writes(&calls_before);
  ASSERT_EQ(1u, writes.size());
  EXPECT_EQ(base + 3, writes[0].port);
  EXPECT_EQ(0x80, writes[0].value);
  EXPECT_EQ(4, calls_before[0]) << "the control word goes between the registrations and the arming";
}

TEST_F(PulseSample, TriggersShowTheCountAndTheTotalOnlyAtOne) {
  setup_ok("10");
  forget_calls();
  cardrec_report(1, 1, 0, 1);
  trigger();
  EXPECT_CALLS(Expected.card, {query_call()});
  const std::string total = text(Pulse_Expected.total_format, 10);
  EXPECT_WINDOW_LINES(window, {{20, 10, total}, {20, 30, "The Current Count = 1 "}});

  erase(window);
  cardrec_report(1, 2, 0, 2);
  trigger();
  EXPECT_WINDOW_LINES(window, {{20, 30, "The Current Count = 2 "}});  // no total line at 2

  if (!simulator_present()) GTEST_SKIP() << "port writes need the simulator build of ioport";
  std::vector<int> calls_before;
  const std::vector<PortWrite> writes = port_writes(&calls_before);
  ASSERT_EQ(4u, writes.size());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(0x2C2, writes[i].port) << i;
    EXPECT_EQ(i % 2 ? 0 : Pulse_Expected.pulse, writes[i].value) << i;
    EXPECT_EQ(i / 2, calls_before[i]) << "the pulse comes before the trigger's query";
  }
}

TEST_F(PulseSample, FinishedAcquisitionIsStoppedAndListed) {
  setup_ok("10");
  for (int i = 0; i < 10; ++i) Input_Buffer[i] = 100 + i;
  forget_calls();
  cardrec_report(0, 10, 0, 10);
  trigger();
  EXPECT_CALLS(Expected.card, {query_call(), {kStop, 1, {address_of(&Current_Count)}}});
  std::vector<TextLine> lines = {{20, 30, "The Current Count = 10 "}};
  append(lines, listing(10, 100));
  EXPECT_WINDOW_LINES(window, lines);

  // Later triggers stop and list again while the status reads 0.
  erase(window);
  for (int i = 0; i < 10; ++i) Input_Buffer[i] = 200 + i;
  trigger();
  EXPECT_EQ(4, cardrec_count());
  EXPECT_EQ(kStop, cardrec_call(3).ordinal);
  lines.resize(1);
  append(lines, listing(10, 200));
  EXPECT_WINDOW_LINES(window, lines);
}

TEST_F(PulseSample, ListingStopsAtFifteenValues) {
  setup_ok("20");
  for (int i = 0; i < 20; ++i) Input_Buffer[i] = i;
  cardrec_report(0, 20, 0, 20);
  trigger();
  std::vector<TextLine> lines = {{20, 30, "The Current Count = 20 "}};
  append(lines, listing(20, 0));
  ASSERT_EQ(17u, lines.size());
  EXPECT_EQ(350, lines.back().y);
  EXPECT_WINDOW_LINES(window, lines);
}

TEST_F(PulseSample, CountOfZeroListsOnlyTheHeading) {
  setup_ok("0");
  cardrec_report(0, 0, 0, 0);
  trigger();
  EXPECT_WINDOW_LINES(window, {{20, 30, "The Current Count = 0 "}, {20, 50, "only shows at most 15 data:"}});
}

TEST_F(PulseSample, TriggerBeforeSetupPulsesTheStartingAddress) {
  cardrec_report(1, 0, 0, 0);
  clear_port_journal();
  trigger();
  EXPECT_CALLS(Expected.card, {query_call()});
  EXPECT_WINDOW_LINES(window, {{20, 30, "The Current Count = 0 "}});
  if (!simulator_present()) GTEST_SKIP() << "port writes need the simulator build of ioport";
  const std::vector<PortWrite> writes = port_writes();
  ASSERT_EQ(2u, writes.size());
  EXPECT_EQ(0x2C2, writes[0].port);
  EXPECT_EQ(Pulse_Expected.pulse, writes[0].value);
  EXPECT_EQ(0x2C2, writes[1].port);
  EXPECT_EQ(0, writes[1].value);
}

TEST_F(PulseSample, DestroyStopsWithTheCurrentCount) {
  DestroyWindow(window);
  EXPECT_CALLS(Expected.card, {{kStop, 1, {address_of(&Current_Count)}}});
}
