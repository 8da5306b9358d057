// dulvar_panel's mode selector (id 400): 96-bit serves channels 0 to 3,
// 144-bit all six; every notification repaints the rows of channels 4 and
// 5, erased. Linked only into the dulvar suite, next to port_panel_tests.cpp.
#include <gtest/gtest.h>
#include <windows.h>

#include "app_frame.h"
#include "erase_counter.h"
#include "panel_driver.h"
#include "panel_program.h"
#include "port_standin.h"

namespace {

const RECT kRows45 = {5, 228, 631, 320};
const COLORREF kGreen = RGB(0, 255, 0), kDarkGreen = RGB(0, 128, 0), kBlue = RGB(0, 0, 255);

class DulvarMode : public testing::Test {
 protected:
  void SetUp() override {
    port_standin_reset();
    panel = panel_start(&program_frame);
    ASSERT_NE(nullptr, panel);
    count_erases(panel);
    mode = GetDlgItem(panel, 400);
    ASSERT_NE(nullptr, mode);
    panel_close_up_on(panel, 1);  // 200H
  }
  void TearDown() override {
    if (image.dc) image_free(&image);
    if (IsWindow(panel)) DestroyWindow(panel);
  }
  void notify(int code) {
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(400, code), reinterpret_cast<LPARAM>(mode));
  }
  void choose_mode(int entry) {
    SendMessageA(mode, CB_SETCURSEL, entry, 0);
    notify(CBN_CLOSEUP);
  }
  // The update rectangle the last notification left, and whether painting
  // it erased the background.
  void expect_rows_repainted(const char *when) {
    RECT got = {};
    GetUpdateRect(panel, &got, FALSE);
    EXPECT_TRUE(EqualRect(&kRows45, &got))
        << when << ": got (" << got.left << ", " << got.top << ")-(" << got.right << ", "
        << got.bottom << ")";
    erase_count = 0;
    UpdateWindow(panel);
    EXPECT_GT(erase_count, 0) << when << ": erased";
  }
  int pass_calls() {
    call_log_clear(&port_calls);
    panel_tick(panel, 1);
    return port_calls.count;
  }
  void render() {
    if (image.dc) image_free(&image);
    image_render(&image, 632, 400, program_paint);
  }
  HWND panel = nullptr, mode = nullptr;
  PanelImage image = {};
};

TEST_F(DulvarMode, SelectorStartsOn144Bit) {
  char text[32];
  GetClassNameA(mode, text, sizeof text);
  EXPECT_STREQ("ComboBox", text);
  EXPECT_EQ(2, SendMessageA(mode, CB_GETCOUNT, 0, 0));
  SendMessageA(mode, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("96-bit", text);
  SendMessageA(mode, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ("144-bit", text);
  EXPECT_EQ(1, SendMessageA(mode, CB_GETCURSEL, 0, 0));
  RECT at;
  GetWindowRect(mode, &at);
  MapWindowPoints(nullptr, panel, reinterpret_cast<POINT *>(&at), 2);
  EXPECT_EQ(450, at.left);
  EXPECT_EQ(340, at.top);
  EXPECT_EQ(80, at.right - at.left);
  EXPECT_EQ(25, pass_calls()) << "ordinal 2 and 24 group calls";

  render();
  EXPECT_EQ(RGB(255, 255, 0), image_pixel(&image, 372, 337)) << "mode box";
  EXPECT_EQ(RGB(0, 0, 0), image_pixel(&image, 370, 350)) << "its left edge";
  EXPECT_EQ(LTGRAY, image_pixel(&image, 369, 350));
  EXPECT_EQ(RGB(0, 0, 0), image_pixel(&image, 539, 350)) << "its right edge";
  EXPECT_EQ(LTGRAY, image_pixel(&image, 540, 350));
}

TEST_F(DulvarMode, NinetySixBitStopsChannelsFourAndFiveAndKeepsTheirState) {
  // Channel 4 Port A output with bit 0 set; channel 5 Port B input at 0x11.
  SendMessageA(panel, WM_LBUTTONDOWN, 0, MAKELPARAM(213, 256));
  SendMessageA(panel, WM_LBUTTONDOWN, 0, MAKELPARAM(188, 248));
  port_inputs[5][1] = 0x11;
  pass_calls();
  UpdateWindow(panel);

  choose_mode(0);
  expect_rows_repainted("96-bit");
  EXPECT_EQ(17, pass_calls()) << "ordinal 2 and 16 group calls";
  for (int i = 0; i < port_calls.count; ++i)
    EXPECT_LT(port_calls.calls[i].args[0], 1024) << "call " << i << " for channel 4 or 5";
  render();
  EXPECT_EQ(0, image_count_colour(&image, kRows45, kGreen)) << "rows 4 and 5 gone";
  EXPECT_EQ(0, image_count_colour(&image, kRows45, kDarkGreen));
  EXPECT_EQ(0, image_count_colour(&image, kRows45, kBlue)) << "CH4 and CH5 gone";
  EXPECT_GT(image_count_colour(&image, {5, 178, 631, 220}, kGreen), 0) << "channel 3 stays";

  call_log_clear(&port_calls);
  SendMessageA(panel, WM_LBUTTONDOWN, 0, MAKELPARAM(188, 248));  // lamp of channel 4
  SendMessageA(panel, WM_LBUTTONDOWN, 0, MAKELPARAM(513, 256));  // Port B O box, channel 5
  SendMessageA(panel, WM_LBUTTONDOWN, 0, MAKELPARAM(213, 238));  // Port A I box, channel 4
  EXPECT_EQ(0, port_calls.count) << "channels 4 and 5 are not clickable";

  choose_mode(1);
  expect_rows_repainted("144-bit");
  call_log_clear(&port_calls);
  panel_tick(panel, 1);
  ASSERT_EQ(25, port_calls.count);
  const ExpectedCall channel4_a[] = {{5, {1024, 1}}, {0}};
  CallLog tail = {};
  call_log_add(&tail, port_calls.calls[17].id, port_calls.calls[17].args[0],
               port_calls.calls[17].args[1]);
  ok_sequence(&tail, channel4_a, "channel 4 Port A written again, unchanged");
  EXPECT_EQ(4, port_calls.calls[22].id) << "channel 5 Port B still input";
  render();
  EXPECT_EQ(kDarkGreen, image_pixel(&image, 37, 248)) << "channel 4 Port A output again";
  EXPECT_EQ(RGB(255, 0, 0), image_pixel(&image, 188, 248)) << "its lamp 0 still on";
  EXPECT_EQ(RGB(255, 0, 0), image_pixel(&image, 488, 298)) << "channel 5 Port B bit 0";
  EXPECT_EQ(RGB(255, 0, 0), image_pixel(&image, 408, 298)) << "channel 5 Port B bit 4";
  EXPECT_EQ(kBlue, image_pixel(&image, 5, 240)) << "CH4";
  EXPECT_EQ(kBlue, image_pixel(&image, 5, 290)) << "CH5";
}

TEST_F(DulvarMode, EveryNotificationRepaintsTheRowsAndOnlyCloseUpChanges) {
  UpdateWindow(panel);
  call_log_clear(&port_calls);
  int initialisations = 0;  // made by the notifications, before each pass clears the log
  auto pass = [&] {
    initialisations += call_log_count(&port_calls, 1);
    return pass_calls();
  };
  for (int code : {CBN_DROPDOWN, CBN_SELCHANGE, CBN_SETFOCUS}) {
    SendMessageA(mode, CB_SETCURSEL, 0, 0);
    notify(code);
    expect_rows_repainted("a notification other than CBN_CLOSEUP");
    EXPECT_EQ(25, pass()) << "still six channels";
  }
  SendMessageA(mode, CB_SETCURSEL, 1, 0);
  notify(CBN_CLOSEUP);
  expect_rows_repainted("closing up on the same entry");
  EXPECT_EQ(25, pass());
  SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  notify(CBN_CLOSEUP);
  expect_rows_repainted("closing up on no entry");
  EXPECT_EQ(25, pass()) << "no selection keeps the count";
  EXPECT_EQ(0, initialisations) << "no initialise on a mode notification";
}

}  // namespace
