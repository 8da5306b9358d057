// The lamp-row panels in-process: the program's real main window, created
// by its own frame, driven with the messages a user causes, checked against
// the program's PanelExpect (calls recorded by the card-library stand-in,
// pixels read back from the shown window or from the paint function drawn
// into a DIB section). Each test runs in a process of its own (the programs
// keep their state in statics, zero at start).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <list>
#include <string>

#include "app_frame.h"
#include "lamp_kit.h"
#include "panel_driver.h"
#include "panel_expect.h"
#include "panel_program.h"
#include "standin.h"

void expect_lamps(POINT *lamps, int count, int x0, int dx, int per_row, int y0, int dy) {
  for (int i = 0; i < count; ++i)
    lamps[i] = {x0 - dx * (i % per_row), y0 + dy * (i / per_row)};
}

const char *expect_scale(const char *left, int blanks, const char *right) {
  static std::list<std::string> texts;  // built on first use: callers are static initialisers
  texts.push_back(left + std::string(blanks, ' ') + right);
  return texts.back().c_str();
}

namespace {

const ExpectedCall kNothing[] = {{0}};

POINT centre(POINT lamp) { return {lamp.x + 8, lamp.y + 8}; }

class Panel : public testing::Test {
 protected:
  void SetUp() override {
    standin_reset();
    panel = panel_start(&program_frame);
    ASSERT_NE(nullptr, panel);
  }
  void TearDown() override {
    if (IsWindow(panel)) DestroyWindow(panel);
  }

  void choose(int index) { panel_close_up_on(panel, index); }
  void choose_address() { choose(expect.address_index); }
  void clear_calls() { call_log_clear(&standin_calls); }
  void click_lamp(int i) {
    POINT c = centre(expect.outputs[i]);
    panel_click(panel, c.x, c.y);
  }
  COLORREF input_lamp(int i) {
    POINT c = centre(expect.inputs[i]);
    return panel_pixel(panel, c.x, c.y);
  }
  COLORREF output_lamp(int i) {
    POINT c = centre(expect.outputs[i]);
    return panel_pixel(panel, c.x, c.y);
  }
  // Every input lamp red where word has a 1, white elsewhere.
  void expect_inputs_show(uint32_t word, const char *when) {
    for (int i = 0; i < expect.lamps; ++i)
      EXPECT_EQ((word >> i) & 1 ? KIT_RED_PIXEL : KIT_WHITE_PIXEL, input_lamp(i))
          << when << ": input lamp " << i;
  }
  void expect_outputs_show(uint32_t word, const char *when) {
    for (int i = 0; i < expect.lamps; ++i)
      EXPECT_EQ((word >> i) & 1 ? KIT_RED_PIXEL : KIT_WHITE_PIXEL, output_lamp(i))
          << when << ": output lamp " << i;
  }
  uint32_t all_channels() const {
    return expect.lamps == 32 ? 0xFFFFFFFFu : (1u << expect.lamps) - 1;
  }

  static constexpr COLORREF KIT_RED_PIXEL = RGB(255, 0, 0);
  static constexpr COLORREF KIT_WHITE_PIXEL = RGB(255, 255, 255);
  HWND panel = nullptr;
};

TEST_F(Panel, FrameGivesClassTitleSizeMenuIconAndBackground) {
  char text[64];
  GetClassNameA(panel, text, sizeof text);
  EXPECT_STREQ(expect.class_name, text);
  GetWindowTextA(panel, text, sizeof text);
  EXPECT_STREQ(expect.title, text);
  RECT outer;
  GetWindowRect(panel, &outer);
  EXPECT_EQ(expect.width, outer.right - outer.left);
  EXPECT_EQ(expect.height, outer.bottom - outer.top);
  EXPECT_EQ(static_cast<LONG>(WS_OVERLAPPEDWINDOW),
            GetWindowLongA(panel, GWL_STYLE) & static_cast<LONG>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(0, GetWindowLongA(panel, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);

  HMENU menu = GetMenu(panel);
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(1, GetMenuItemCount(menu));
  EXPECT_EQ(110u, GetMenuItemID(menu, 0));
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ("E&xit", text);

  EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetStockObject(LTGRAY_BRUSH)),
            GetClassLongPtrA(panel, GCLP_HBRBACKGROUND));
  HICON own = LoadIconA(GetModuleHandleA(nullptr), "MyIcon");
  ASSERT_NE(nullptr, own) << "MyIcon is shipped";
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(own), GetClassLongPtrA(panel, GCLP_HICON));
  EXPECT_EQ(0, GetClassLongA(panel, GCL_STYLE));
}

TEST_F(Panel, StartsOnNoneWithWhiteLampsAndCallsNothing) {
  HWND selector = panel_selector(panel);
  ASSERT_NE(nullptr, selector);
  char text[32];
  GetClassNameA(selector, text, sizeof text);
  EXPECT_STREQ("ComboBox", text);
  EXPECT_EQ(expect.entries, SendMessageA(selector, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageA(selector, CB_GETCURSEL, 0, 0));
  for (int i = 0; i < 4; ++i) {
    SendMessageA(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(expect.entry_texts[i], text) << "entry " << i;
  }
  SendMessageA(selector, CB_GETLBTEXT, expect.entries - 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(expect.last_entry, text);
  LONG style = GetWindowLongA(selector, GWL_STYLE);
  EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST),
            style & (WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT));
  RECT at;
  GetWindowRect(selector, &at);
  MapWindowPoints(nullptr, panel, reinterpret_cast<POINT *>(&at), 2);
  EXPECT_EQ(expect.selector_at.x, at.left);
  EXPECT_EQ(expect.selector_at.y, at.top);
  EXPECT_EQ(64, at.right - at.left);

  expect_inputs_show(0, "at start");
  expect_outputs_show(0, "at start");
  for (int i = 0; i < expect.lamps; ++i) click_lamp(i);
  panel_tick(panel);
  panel_tick(panel);
  ok_sequence(&standin_calls, kNothing, "ticks and clicks on (None)");
  expect_outputs_show(0, "after clicks on (None)");
}

TEST_F(Panel, ChoosingAnAddressInitialisesCardZeroEveryTime) {
  choose_address();
  ok_sequence(&standin_calls, expect.choose, "choosing the address");
  clear_calls();
  choose_address();
  ok_sequence(&standin_calls, expect.choose, "closing the list again on it");
  clear_calls();
  choose(2);  // the first address entry, 200H
  const ExpectedCall first[] = {{1, {0, 0x200}}, {0}};
  ok_sequence(&standin_calls, first, "choosing 200H");
  clear_calls();
  choose(1);
  choose(0);
  ok_sequence(&standin_calls, kNothing, "choosing Demo and (None)");
  // Another notification of the selector does nothing.
  SendMessageA(panel_selector(panel), CB_SETCURSEL, expect.address_index, 0);
  SendMessageA(panel, WM_COMMAND, MAKEWPARAM(200, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(panel_selector(panel)));
  ok_sequence(&standin_calls, kNothing, "CBN_SELCHANGE");
}

TEST_F(Panel, TheListClosingForRealChoosesTheEntry) {
  HWND selector = panel_selector(panel);
  SendMessageA(selector, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(selector, CB_SETCURSEL, expect.address_index, 0);
  SendMessageA(selector, CB_SHOWDROPDOWN, FALSE, 0);
  ok_sequence(&standin_calls, expect.choose, "CBN_CLOSEUP from the control");
}

TEST_F(Panel, PollReadsTheCardAndShowsTheInputs) {
  choose_address();
  clear_calls();
  uint32_t first = 1u | (1u << (expect.lamps - 1));  // lowest and highest channel
  standin_inputs = first;
  panel_tick(panel);
  ok_sequence(&standin_calls, expect.poll, "one poll");
  expect_inputs_show(first, "inputs lowest and highest");
  standin_inputs = all_channels() & 0x5A5A5A5A;
  panel_tick(panel);
  expect_inputs_show(standin_inputs, "inputs 5A5A5A5A");
  expect_outputs_show(0, "outputs untouched by polls");
}

TEST_F(Panel, PollDrawsOnlyTheLampsThatChanged) {
  choose_address();
  standin_inputs = 0x3;
  panel_tick(panel);
  // Mark two lamps whose inputs will not change; a redraw would paint them over.
  HDC dc = GetDC(panel);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  for (int i : {0, 2}) {
    POINT c = centre(expect.inputs[i]);
    RECT mark = {c.x - 2, c.y - 2, c.x + 3, c.y + 3};
    FillRect(dc, &mark, blue);
  }
  DeleteObject(blue);
  ReleaseDC(panel, dc);

  panel_tick(panel);
  EXPECT_EQ(RGB(0, 0, 255), input_lamp(0)) << "same inputs: nothing drawn";
  standin_inputs = 0x1;  // lamp 1 goes off
  panel_tick(panel);
  EXPECT_EQ(KIT_WHITE_PIXEL, input_lamp(1));
  EXPECT_EQ(RGB(0, 0, 255), input_lamp(0));
  EXPECT_EQ(RGB(0, 0, 255), input_lamp(2));
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(panel, &pending, FALSE)) << "a poll invalidates nothing";
}

TEST_F(Panel, ClicksFlipTheOutputAndWriteTheWord) {
  choose_address();
  clear_calls();
  click_lamp(expect.click_lamp);
  ok_sequence(&standin_calls, expect.first_click, "first click");
  EXPECT_EQ(KIT_RED_PIXEL, output_lamp(expect.click_lamp));
  clear_calls();
  click_lamp(expect.click_lamp);
  ok_sequence(&standin_calls, expect.second_click, "second click");
  EXPECT_EQ(KIT_WHITE_PIXEL, output_lamp(expect.click_lamp));
  EXPECT_EQ(KIT_WHITE_PIXEL, input_lamp(expect.click_lamp)) << "input lamps are not hit";
}

TEST_F(Panel, HitTestIsStrictOnEveryLamp) {
  choose_address();
  clear_calls();
  for (int i = 0; i < expect.lamps; ++i) {
    POINT p = expect.outputs[i];
    const POINT edges[] = {{p.x, p.y + 8},  {p.x + 17, p.y + 8}, {p.x + 8, p.y},
                           {p.x + 8, p.y + 17}, {p.x - 1, p.y + 8}, {p.x + 8, p.y + 18}};
    for (POINT e : edges) panel_click(panel, e.x, e.y);
  }
  ok_sequence(&standin_calls, kNothing, "clicks on and outside the lamps' bounding lines");
  for (int i = 0; i < expect.lamps; ++i) {
    POINT p = expect.outputs[i];
    panel_click(panel, p.x + 1, p.y + 1);    // on
    panel_click(panel, p.x + 16, p.y + 16);  // off again
  }
  EXPECT_EQ(2 * expect.lamps * expect.writes_per_click,
            call_log_count(&standin_calls, expect.write_ordinal));
  expect_outputs_show(0, "after two clicks on every lamp");
  clear_calls();
  // Input lamps are not hit.
  click_lamp(0);
  EXPECT_EQ(expect.writes_per_click, call_log_count(&standin_calls, expect.write_ordinal));
  POINT c = centre(expect.inputs[0]);
  panel_click(panel, c.x, c.y);
  EXPECT_EQ(expect.writes_per_click, call_log_count(&standin_calls, expect.write_ordinal));
  // lParam's words are read unsigned: as shorts they would be -32752 and -16.
  int px = 0, py = 0;
  kit_click_point(MAKELPARAM(0x8010, 0xFFF0), &px, &py);
  EXPECT_EQ(0x8010, px);
  EXPECT_EQ(0xFFF0, py);
}

TEST_F(Panel, DemoPollsButRefusesClicks) {
  choose(1);
  ok_sequence(&standin_calls, kNothing, "choosing Demo");
  standin_reads_fail = 1;  // no card chosen before: the library refuses
  panel_tick(panel);
  ok_sequence(&standin_calls, expect.poll, "a poll in Demo");
  expect_inputs_show(0, "failed reads keep the input word");
  standin_reads_fail = 0;
  standin_inputs = 0x5;
  panel_tick(panel);
  expect_inputs_show(0x5, "Demo shows the card's inputs");
  clear_calls();
  click_lamp(0);
  click_lamp(expect.click_lamp);
  ok_sequence(&standin_calls, kNothing, "clicks in Demo");
  expect_outputs_show(0, "clicks in Demo");
}

TEST_F(Panel, FailedReadKeepsThePreviousInputWord) {
  choose_address();
  standin_inputs = 0x6;
  panel_tick(panel);
  standin_reads_fail = 1;
  standin_inputs = 0x9;
  panel_tick(panel);
  expect_inputs_show(0x6, "after a failed read");
}

TEST_F(Panel, NoneFreezesTheLampsAndBackOnRedrawsOnlyChanges) {
  choose_address();
  standin_inputs = 0x3;
  panel_tick(panel);
  clear_calls();
  choose(0);
  standin_inputs = 0xC;
  panel_tick(panel);
  click_lamp(0);
  ok_sequence(&standin_calls, kNothing, "(None) after an address");
  expect_inputs_show(0x3, "frozen");
  choose_address();
  panel_tick(panel);
  expect_inputs_show(0xC, "back on an address");
}

TEST_F(Panel, OutputWordSurvivesANewAddressAndGoesOutWithTheNextClick) {
  choose_address();
  click_lamp(expect.click_lamp);
  clear_calls();
  choose(2);
  const ExpectedCall just_initial[] = {{1, {0, 0x200}}, {0}};
  ok_sequence(&standin_calls, just_initial, "a new address writes no outputs");
  EXPECT_EQ(KIT_RED_PIXEL, output_lamp(expect.click_lamp));
  clear_calls();
  click_lamp(expect.click_lamp);  // clears it: the word is back to 0
  ok_sequence(&standin_calls, expect.second_click, "next click on the new card");
}

TEST_F(Panel, PaintDrawsBoxPanelsTextsAndLampsFromTheWords) {
  choose_address();
  standin_inputs = 0x1;
  panel_tick(panel);
  click_lamp(expect.click_lamp);
  RECT client;
  GetClientRect(panel, &client);
  PanelImage image;
  image_render(&image, client.right, client.bottom, program_paint);

  const COLORREF black = RGB(0, 0, 0), green = RGB(0, 255, 0), dark = RGB(0, 128, 0),
                 yellow = RGB(255, 255, 0), blue = RGB(0, 0, 255);
  struct Box {
    RECT r;
    COLORREF fill;
    const char *what;
  } boxes[] = {{expect.input_panel, green, "input panel"},
               {expect.output_panel, dark, "output panel"},
               {expect.box, yellow, "base-address box"}};
  for (const Box &b : boxes) {
    EXPECT_EQ(black, image_pixel(&image, b.r.left, b.r.top)) << b.what;
    EXPECT_EQ(black, image_pixel(&image, b.r.right - 1, b.r.bottom - 1)) << b.what;
    EXPECT_EQ(b.fill, image_pixel(&image, b.r.right - 2, b.r.bottom - 2)) << b.what;
    EXPECT_EQ(LTGRAY, image_pixel(&image, b.r.right, b.r.bottom)) << b.what;
    EXPECT_EQ(LTGRAY, image_pixel(&image, b.r.left - 1, b.r.top - 1)) << b.what;
  }
  // Titles: opaque blue cells with white and red letters; the label on yellow.
  RECT in_title = {expect.input_title.x, expect.input_title.y, expect.input_title.x + 80,
                   expect.input_title.y + 12};
  RECT out_title = {expect.output_title.x, expect.output_title.y, expect.output_title.x + 80,
                    expect.output_title.y + 12};
  EXPECT_EQ(blue, image_pixel(&image, expect.input_title.x, expect.input_title.y));
  EXPECT_LT(20, image_count_colour(&image, in_title, RGB(255, 255, 255))) << "Digital Input";
  EXPECT_EQ(blue, image_pixel(&image, expect.output_title.x, expect.output_title.y));
  EXPECT_LT(20, image_count_colour(&image, out_title, RGB(255, 0, 0))) << "Digital Output";
  RECT label = {expect.box_label.x, expect.box_label.y, expect.box_label.x + 70,
                expect.box_label.y + 12};
  EXPECT_LT(20, image_count_colour(&image, label, black)) << "Base Address:";
  // Scales: the highest channel number's digits in black at each row's left.
  for (int i = 0; i < expect.scale_count; ++i)
    EXPECT_LT(5, image_count_colour(&image, expect.scales[i], black)) << "scale " << i;
  // Lamps from the words: input 0 and output click_lamp on.
  for (int i = 0; i < expect.lamps; ++i) {
    POINT c = centre(expect.inputs[i]);
    EXPECT_EQ(i == 0 ? RGB(255, 0, 0) : RGB(255, 255, 255), image_pixel(&image, c.x, c.y))
        << "painted input lamp " << i;
    c = centre(expect.outputs[i]);
    EXPECT_EQ(i == expect.click_lamp ? RGB(255, 0, 0) : RGB(255, 255, 255),
              image_pixel(&image, c.x, c.y))
        << "painted output lamp " << i;
    EXPECT_EQ(black, image_pixel(&image, expect.outputs[i].x + 8, expect.outputs[i].y))
        << "rim of output lamp " << i;
  }
  image_free(&image);

  // The window's own paint shows the same.
  InvalidateRect(panel, nullptr, TRUE);
  UpdateWindow(panel);
  EXPECT_EQ(KIT_RED_PIXEL, input_lamp(0));
  EXPECT_EQ(KIT_RED_PIXEL, output_lamp(expect.click_lamp));
  EXPECT_EQ(green, panel_pixel(panel, expect.input_panel.left + 1, expect.input_panel.top + 1));
}

// The layouts are made for the System font, the default font of a device
// context: in it each scale ends inside its block's frame (measured), and
// the screen shows nothing right of the frame on the scale's rows.
TEST_F(Panel, ScalesEndInsideTheirBlocksInTheSystemFont) {
  HDC dc = GetDC(panel);
  char face[LF_FACESIZE] = "";
  GetTextFaceA(dc, sizeof face, face);
  EXPECT_STREQ("System", face) << "the default font of the window's device context";
  InvalidateRect(panel, nullptr, TRUE);
  UpdateWindow(panel);
  RECT client;
  GetClientRect(panel, &client);
  for (int i = 0; i < expect.scale_count; ++i) {
    const RECT &frame = i < expect.scale_count / 2 ? expect.input_panel : expect.output_panel;
    const char *text = expect.scale_texts[i];
    const POINT at = {expect.scales[i].left, expect.scales[i].top};
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size));
    EXPECT_LE(at.x + size.cx, frame.right - 1)
        << "scale " << i << ": " << size.cx << " pixels from x " << at.x;
    int outside = 0;
    for (int y = at.y; y < at.y + size.cy; ++y)
      for (int x = frame.right; x < client.right; ++x) outside += panel_pixel(panel, x, y) != LTGRAY;
    EXPECT_EQ(0, outside) << "pixels drawn right of the frame on the rows of scale " << i;
  }
  ReleaseDC(panel, dc);
}

TEST_F(Panel, TimerPollsEveryFiftyMilliseconds) {
  TimerRequest timer = panel_last_timer_request();
  EXPECT_EQ(panel, timer.window);
  EXPECT_EQ(1u, timer.id);
  EXPECT_EQ(50u, timer.period_ms);
  choose_address();
  clear_calls();
  panel_run_for(panel, 500);
  EXPECT_LE(5, call_log_count(&standin_calls, 2)) << "the timer drives the polls";
}

TEST_F(Panel, ExitClosesTheWindowAndQuitsWithZero) {
  EXPECT_EQ(0, panel_exit(panel));
  EXPECT_FALSE(IsWindow(panel));
  ok_sequence(&standin_calls, kNothing, "closing calls no card library");
}

HWND g_started;

void CALLBACK exit_started_panel(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND panel = panel_find_own(expect.class_name);
  if (!panel) return;
  KillTimer(nullptr, timer);
  g_started = panel;
  PostMessageA(panel, WM_COMMAND, 110, 0);
}

TEST(PanelEntry, RunsTheMessageLoopUntilExitAndReturnsZero) {
  standin_reset();
  SetTimer(nullptr, 0, 100, exit_started_panel);
  EXPECT_EQ(0, frame_main(&program_frame, GetModuleHandleA(nullptr), nullptr, SW_SHOWNORMAL));
  EXPECT_NE(nullptr, g_started);
}

TEST(PanelEntry, AGivenPreviousInstanceSkipsRegistration) {
  // No class registered: creation fails and the entry returns 0 at once.
  HINSTANCE instance = GetModuleHandleA(nullptr);
  EXPECT_EQ(0, frame_main(&program_frame, instance, instance, SW_SHOWNORMAL));
}

}  // namespace
