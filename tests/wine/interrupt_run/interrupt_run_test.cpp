// The three interrupt samples as whole programs on the simulated PC: the
// real .exe, the real card library, the simulator's cards with their test
// cables, driven from outside as a user would. With KIT_SCREENSHOT_DIR set,
// each test leaves a picture of the window after its acquisition there.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "program_session.h"

namespace {

const int kCaptureAttempts = 10;
const DWORD kSettleMs = 100;

class WholeProgram : public testing::Test {
 protected:
  void TearDown() override { kill_program(&session); }
  void start(const char *program) {
    name = program;
    ASSERT_TRUE(start_program(&session, program)) << program;
  }
  void expect_screen(const std::vector<TextLine> &lines, const char *shot_suffix = "") {
    RECT client;
    GetClientRect(session.window, &client);
    Canvas picture(client.right, client.bottom);
    // The program draws into its window surface; the screen shows it once
    // Wine has flushed the surface to the display, a moment later.
    std::string report;
    bool shown = false;
    for (int attempt = 0; attempt < kCaptureAttempts && !shown; ++attempt) {
      Sleep(kSettleMs);
      ASSERT_TRUE(capture_client(&session, &picture));
      shown = canvas_shows_lines(picture, lines, &report);
    }
    EXPECT_TRUE(shown) << report;
    if (const char *folder = std::getenv("KIT_SCREENSHOT_DIR")) {
      const std::string path = std::string(folder) + "\\" + name + shot_suffix + ".bmp";
      EXPECT_TRUE(save_window(&session, path.c_str())) << path;
    }
  }
  void expect_exit_zero() { EXPECT_EQ(0, exit_program(&session)); }
  ProgramSession session;
  std::string name;
};

std::string format(const char *pattern, int a, int b = 0) {
  char text[128];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

// Ten software triggers; the cable brings the pattern 0, 1, 2, ... back.
std::vector<TextLine> ten_triggers_listing(const char *total_format) {
  std::vector<TextLine> lines = {{20, 10, format(total_format, 10)},
                                 {20, 30, "The Current Count = 10 "},
                                 {20, 50, "only shows at most 15 data:"}};
  for (int i = 0; i < 10; ++i) lines.push_back({20, 70 + 20 * i, format("Input_Buffer[%d] = %d ", i, i)});
  return lines;
}

}  // namespace

TEST_F(WholeProgram, WendalGathersFortyValuesAtFortyHertzInAboutASecond) {
  start("wendal_interrupt");
  ASSERT_TRUE(run_setup(&session, 101, {{1007, "40"}, {1008, "40"}}));
  const double ms = run_command(&session, 300);
  std::printf("wendal_interrupt: 40 values at 40 Hz took %.0f ms\n", ms);
  EXPECT_GT(ms, 900.0);
  EXPECT_LT(ms, 1300.0);
  std::vector<TextLine> lines = {{20, 20, "Interrupt Count=40"},
                                 {20, 40, "Data from Input port: "},
                                 {20, 60, "** only shows at most 40 data **"}};
  for (int i = 0; i < 40; ++i)
    lines.push_back({20 + 25 * (i % 10), 85 + 25 * (i / 10), format(i < 10 ? "  %d, " : "%d, ", i)});
  expect_screen(lines);
  expect_exit_zero();
}

TEST_F(WholeProgram, DulvarListsTheBufferAfterTenTriggers) {
  start("dulvar_interrupt");
  ASSERT_TRUE(run_setup(&session, 301, {{1002, "10"}}));
  for (int i = 0; i < 10; ++i) run_command(&session, 300);
  expect_screen(ten_triggers_listing("** The total count is %d **"));
  expect_exit_zero();
}

// Before any Setup the library knows no card: the query says nothing is
// armed, so the window shows the count and lists nothing.
TEST_F(WholeProgram, TriggersBeforeSetupListNothing) {
  for (const char *program : {"dulvar_interrupt", "fenmar_interrupt"}) {
    SCOPED_TRACE(program);
    start(program);
    run_command(&session, 300);
    run_command(&session, 300);
    expect_screen({{20, 30, "The Current Count = 0 "}}, "_before_setup");
    expect_exit_zero();
    kill_program(&session);
  }
}

TEST_F(WholeProgram, FenmarListsTheBufferAfterTenTriggers) {
  start("fenmar_interrupt");
  ASSERT_TRUE(run_setup(&session, 40001, {{1002, "10"}}));
  for (int i = 0; i < 10; ++i) run_command(&session, 300);
  expect_screen(ten_triggers_listing("**The total count is %d**"));
  expect_exit_zero();
}
