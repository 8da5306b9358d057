// The port panels in-process: the program's real main window, created by its
// own frame, driven with the messages a user causes, checked against the
// program's PortExpect and against the group geometry every port panel
// shares (calls recorded by the card-library stand-in, update rectangles
// taken before painting, pixels read from the shown window or from the paint
// function drawn into a DIB section). Each test runs in a process of its own
// (the programs keep their state in statics, zero at start).
#include <gtest/gtest.h>
#include <windows.h>

#include "app_frame.h"
#include "erase_counter.h"
#include "panel_driver.h"
#include "panel_program.h"
#include "port_expect.h"
#include "port_standin.h"

namespace {

// The groups as the poll visits them, with the x of their bit-0 lamp.
enum Group { A, B, C_LOWER, C_UPPER };
struct GroupGeometry {
  int number, lines, x0;
};
const GroupGeometry kGroup[4] = {{0, 8, 180}, {1, 8, 480}, {4, 4, 590}, {3, 4, 290}};

int row(int channel) { return 40 + 50 * channel; }
int code(int channel, Group g) { return channel * 256 + kGroup[g].number; }
int leftmost(Group g) { return kGroup[g].x0 - 20 * (kGroup[g].lines - 1); }

const COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kGreen = RGB(0, 255, 0),
               kDarkGreen = RGB(0, 128, 0), kBlue = RGB(0, 0, 255), kBlack = RGB(0, 0, 0);
const ExpectedCall kNothing[] = {{0}};

class PortPanel : public testing::Test {
 protected:
  void SetUp() override {
    port_standin_reset();
    panel = panel_start(&program_frame);
    ASSERT_NE(nullptr, panel);
    count_erases(panel);
  }
  void TearDown() override {
    if (IsWindow(panel)) DestroyWindow(panel);
  }

  void choose_address() { panel_close_up_on(panel, expect.address_index); }
  void clear() { call_log_clear(&port_calls); }
  void tick() { panel_tick(panel, expect.timer_id); }
  void click(int x, int y) { panel_click(panel, x, y); }
  // Inside the hit areas, away from their edges.
  void click_output(int channel, Group g) { click(kGroup[g].x0 + 33, row(channel) + 16); }
  void click_input(int channel, Group g) { click(kGroup[g].x0 + 33, row(channel) - 2); }
  POINT lamp_centre(int channel, Group g, int bit) {
    return {kGroup[g].x0 - 20 * bit + 8, row(channel) + 8};
  }
  void click_lamp(int channel, Group g, int bit) {
    POINT c = lamp_centre(channel, g, bit);
    click(c.x, c.y);
  }
  COLORREF lamp_pixel(int channel, Group g, int bit) {
    POINT c = lamp_centre(channel, g, bit);
    return panel_pixel(panel, c.x, c.y);
  }

  // What the next pass does with the group: the ordinal it calls for its
  // code (read: input, write: output), or 0 when it is not visited.
  int pass_treats(int channel, Group g) {
    clear();
    tick();
    int found = 0;
    for (int i = 0; i < port_calls.count; ++i)
      if (port_calls.calls[i].id != 2 && port_calls.calls[i].args[0] == code(channel, g))
        found = port_calls.calls[i].id;
    clear();
    return found;
  }

  // The update region's bounding box; empties it so that the next check
  // starts afresh.
  RECT take_update_rect() {
    RECT r = {};
    GetUpdateRect(panel, &r, FALSE);
    ValidateRect(panel, nullptr);
    return r;
  }

  // The mixed set-up of PortExpect::mixed.
  void set_up_mixed_directions() {
    click_output(0, B);
    click_lamp(0, B, 2);
    click_output(0, C_UPPER);
    click_lamp(0, C_UPPER, 3);
    if (expect.channels > 1) {
      click_output(1, A);
      click_lamp(1, A, 0);
      click_output(1, C_LOWER);
      click_lamp(1, C_LOWER, 1);
    }
  }

  HWND panel = nullptr;
};

void expect_rect(RECT want, RECT got, const char *what) {
  EXPECT_TRUE(EqualRect(&want, &got))
      << what << ": expected (" << want.left << ", " << want.top << ")-(" << want.right << ", "
      << want.bottom << "), got (" << got.left << ", " << got.top << ")-(" << got.right << ", "
      << got.bottom << ")";
}

// --- start and selection --------------------------------------------------------

TEST_F(PortPanel, StartsWithoutACardAndIgnoresTicksAndClicks) {
  char text[64];
  GetWindowTextA(panel, text, sizeof text);
  EXPECT_STREQ(expect.title, text);
  RECT outer;
  GetWindowRect(panel, &outer);
  EXPECT_EQ(expect.width, outer.right - outer.left);
  EXPECT_EQ(expect.height, outer.bottom - outer.top);
  ASSERT_NE(nullptr, GetMenu(panel));
  EXPECT_EQ(110u, GetMenuItemID(GetMenu(panel), 0));
  TimerRequest timer = panel_last_timer_request();
  EXPECT_EQ(panel, timer.window);
  EXPECT_EQ(expect.timer_id, timer.id);
  EXPECT_EQ(50u, timer.period_ms);

  HWND selector = panel_selector(panel);
  EXPECT_EQ(expect.entries, SendMessageA(selector, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageA(selector, CB_GETCURSEL, 0, 0));
  const char *first[] = {"(None)", "200H"};
  for (int i = 0; i < 2; ++i) {
    SendMessageA(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(first[i], text);
  }
  SendMessageA(selector, CB_GETLBTEXT, expect.entries - 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(expect.last_entry, text);
  RECT at;
  GetWindowRect(selector, &at);
  MapWindowPoints(nullptr, panel, reinterpret_cast<POINT *>(&at), 2);
  EXPECT_EQ(expect.selector_at.x, at.left);
  EXPECT_EQ(expect.selector_at.y, at.top);

  for (int c = 0; c < expect.channels; ++c)
    for (Group g : {A, B, C_LOWER, C_UPPER}) {
      EXPECT_EQ(kWhite, lamp_pixel(c, g, 0));
      click_output(c, g);
    }
  tick();
  ok_sequence(&port_calls, kNothing, "ticks and O-box clicks on (None)");
  EXPECT_EQ(0, erase_count + take_update_rect().right) << "nothing repainted";

  choose_address();
  clear();
  tick();
  ok_sequence(&port_calls, expect.all_inputs, "first pass: the O clicks on (None) changed nothing");
}

TEST_F(PortPanel, EveryAddressChoiceInitialisesCardZeroWithLevelThree) {
  choose_address();
  ok_sequence(&port_calls, expect.choose, "choosing an address");
  clear();
  choose_address();
  ok_sequence(&port_calls, expect.choose, "the same address again");
  clear();
  panel_close_up_on(panel, 1);
  const ExpectedCall first[] = {{1, {0, 0x200, 3}}, {0}};
  ok_sequence(&port_calls, first, "200H, the first address entry");
  clear();
  panel_close_up_on(panel, 0);
  tick();
  click_output(0, A);
  ok_sequence(&port_calls, kNothing, "(None) stops polling and clicks");
}

TEST_F(PortPanel, NoneKeepsDirectionsAndValuesForTheNextCard) {
  choose_address();
  set_up_mixed_directions();
  panel_close_up_on(panel, 0);
  panel_close_up_on(panel, expect.address_index);
  clear();
  tick();
  ok_sequence(&port_calls, expect.mixed, "after (None) and back");
}

// --- polling pass ---------------------------------------------------------------

TEST_F(PortPanel, PassReadsEveryInputGroupInVisitingOrder) {
  choose_address();
  clear();
  tick();
  ok_sequence(&port_calls, expect.all_inputs, "pass with every group input");
}

TEST_F(PortPanel, PassRewritesOutputGroupsEveryTime) {
  choose_address();
  set_up_mixed_directions();
  clear();
  tick();
  ok_sequence(&port_calls, expect.mixed, "first pass with mixed directions");
  clear();
  tick();
  ok_sequence(&port_calls, expect.mixed, "second pass, nothing clicked");
}

TEST_F(PortPanel, PassDrawsOnlyChangedInputLampsWithoutInvalidating) {
  choose_address();
  int last = expect.channels - 1;
  port_inputs[0][0] = 0x81;           // Port A bits 0 and 7
  port_inputs[last][4] = 0x0A;        // Port C lower bits 1 and 3
  port_inputs[last][3] = 0xF5;        // Port C upper: lamps show bits 0 to 3
  take_update_rect();
  tick();
  EXPECT_EQ(0, take_update_rect().right) << "a pass invalidates nothing";
  EXPECT_EQ(kRed, lamp_pixel(0, A, 0));
  EXPECT_EQ(kWhite, lamp_pixel(0, A, 1));
  EXPECT_EQ(kRed, lamp_pixel(0, A, 7));
  EXPECT_EQ(kWhite, lamp_pixel(last, C_LOWER, 0));
  EXPECT_EQ(kRed, lamp_pixel(last, C_LOWER, 1));
  EXPECT_EQ(kRed, lamp_pixel(last, C_LOWER, 3));
  EXPECT_EQ(kRed, lamp_pixel(last, C_UPPER, 0));
  EXPECT_EQ(kWhite, lamp_pixel(last, C_UPPER, 1));

  // A lamp that did not change is not drawn again: paint it over and see it
  // stay so through a pass.
  HDC dc = GetDC(panel);
  POINT c = lamp_centre(0, A, 0);
  SetPixel(dc, c.x, c.y, kBlue);
  ReleaseDC(panel, dc);
  port_inputs[0][0] = 0x80;  // bit 0 goes to 0
  tick();
  EXPECT_EQ(kWhite, lamp_pixel(0, A, 0)) << "bit 0 changed: redrawn";
  dc = GetDC(panel);
  SetPixel(dc, c.x, c.y, kBlue);
  ReleaseDC(panel, dc);
  tick();
  EXPECT_EQ(kBlue, lamp_pixel(0, A, 0)) << "bit 0 unchanged: not drawn";
}

// --- direction boxes --------------------------------------------------------------

// The hit areas are strict and not the drawn boxes: I for Y - 11 to Y + 6,
// O for Y + 8 to Y + 25, both for x0 + 26 to x0 + 40.
TEST_F(PortPanel, DirectionHitAreasOnAndBesideTheirEdges) {
  choose_address();
  int out = expect.write, in = expect.read;
  for (int c : {0, expect.channels - 1})
    for (Group g : {A, C_LOWER}) {
      int x0 = kGroup[g].x0, y = row(c);
      SCOPED_TRACE(testing::Message() << "channel " << c << " group " << kGroup[g].number);
      click(x0 + 26, y + 7);
      EXPECT_EQ(in, pass_treats(c, g)) << "Y + 7 is in neither area";
      click(x0 + 25, y + 16);
      click(x0 + 41, y + 16);
      EXPECT_EQ(in, pass_treats(c, g)) << "x0 + 25 and x0 + 41 are outside";
      click(x0 + 26, y + 26);
      EXPECT_EQ(in, pass_treats(c, g)) << "Y + 26 is below the O area";
      click(x0 + 26, y + 8);
      EXPECT_EQ(out, pass_treats(c, g)) << "Y + 8, on the drawn I box, selects output";
      click(x0 + 40, y - 12);
      click(x0 + 40, y + 7);
      EXPECT_EQ(out, pass_treats(c, g)) << "Y - 12 and Y + 7 are outside the I area";
      click(x0 + 40, y + 6);
      EXPECT_EQ(in, pass_treats(c, g)) << "Y + 6 selects input";
      click(x0 + 33, y + 9);
      EXPECT_EQ(out, pass_treats(c, g)) << "Y + 9";
      click(x0 + 33, y - 11);
      EXPECT_EQ(in, pass_treats(c, g)) << "Y - 11";
      click(x0 + 33, y + 25);
      EXPECT_EQ(out, pass_treats(c, g)) << "Y + 25";
      click_input(c, g);
    }
}

TEST_F(PortPanel, DirectionChangesOnlyItsOwnGroupAndChannel) {
  choose_address();
  click_output(0, C_UPPER);
  EXPECT_EQ(expect.write, pass_treats(0, C_UPPER));
  EXPECT_EQ(expect.read, pass_treats(0, C_LOWER));
  if (expect.channels > 1) {
    EXPECT_EQ(expect.read, pass_treats(1, C_UPPER));
  }
}

TEST_F(PortPanel, DirectionClickRepaintsWithoutErasing) {
  RECT client;
  GetClientRect(panel, &client);
  choose_address();
  UpdateWindow(panel);
  struct Case {
    int channel;
    Group g;
    int output;
    RECT group;  // what dulvar repaints
  };
  int last = expect.channels - 1, y = row(last);
  const Case cases[] = {
      {0, A, 1, {35, 28, 221, 70}},
      {0, A, 1, {35, 28, 221, 70}},  // already output: repainted all the same
      {0, B, 0, {335, 28, 521, 70}},
      {last, C_UPPER, 1, {225, y - 12, 631, y + 30}},
      {last, C_LOWER, 1, {225, y - 12, 631, y + 30}},
  };
  for (const Case &k : cases) {
    take_update_rect();
    erase_count = 0;
    if (k.output)
      click_output(k.channel, k.g);
    else
      click_input(k.channel, k.g);
    SCOPED_TRACE(testing::Message() << "channel " << k.channel << " group " << kGroup[k.g].number);
    RECT got = {};
    GetUpdateRect(panel, &got, FALSE);
    expect_rect(expect.repaints_group ? k.group : client, got, "update rectangle");
    UpdateWindow(panel);
    EXPECT_EQ(0, erase_count) << "invalidated without erasing";
  }
  take_update_rect();
  click(kGroup[A].x0 + 50, row(0) + 16);
  EXPECT_EQ(0, take_update_rect().right) << "a click beside the boxes repaints nothing";
}

// --- output lamps -------------------------------------------------------------------

TEST_F(PortPanel, LampClickTogglesItsLineAndWritesItsGroup) {
  choose_address();
  click_output(0, C_LOWER);
  UpdateWindow(panel);
  clear();
  click_lamp(0, C_LOWER, 1);
  EXPECT_EQ(kRed, lamp_pixel(0, C_LOWER, 1));
  click_lamp(0, C_LOWER, 1);
  EXPECT_EQ(kWhite, lamp_pixel(0, C_LOWER, 1));
  const ExpectedCall twice[] = {{expect.write, {4, 2}}, {expect.write, {4, 0}}, {0}};
  ok_sequence(&port_calls, twice, "lamp 1 of Port C lower, twice");

  int last = expect.channels - 1;
  click_output(last, B);
  UpdateWindow(panel);
  clear();
  click_lamp(last, B, 1);
  click_lamp(last, B, 7);
  const ExpectedCall last_b[] = {{expect.write, {code(last, B), 2}},
                                 {expect.write, {code(last, B), 0x82}}, {0}};
  ok_sequence(&port_calls, last_b, "lamps 1 and 7 of Port B, last channel");
  EXPECT_EQ(0, take_update_rect().right) << "a lamp click invalidates nothing";
}

TEST_F(PortPanel, LampClicksOnInputGroupsEdgesAndGapsDoNothing) {
  choose_address();
  click_output(0, A);
  clear();
  click_lamp(0, B, 0);  // input group
  int x = kGroup[A].x0, y = row(0);
  click(x, y + 8);       // on the left edge of lamp 0
  click(x + 17, y + 8);  // right edge
  click(x + 8, y);       // top edge
  click(x + 8, y + 17);  // bottom edge
  click(x - 2, y + 8);   // between lamps 0 and 1
  ok_sequence(&port_calls, kNothing, "clicks beside output lamps");
  click(x + 1, y + 1);
  click(x + 16, y + 16);
  const ExpectedCall inside[] = {{expect.write, {0, 1}}, {expect.write, {0, 0}}, {0}};
  ok_sequence(&port_calls, inside, "clicks just inside lamp 0");
}

// --- painting ---------------------------------------------------------------------

class PortPaint : public PortPanel {
 protected:
  void render() {
    if (image.dc) image_free(&image);
    RECT client;
    GetClientRect(panel, &client);
    image_render(&image, client.right, client.bottom, program_paint);
  }
  void TearDown() override {
    if (image.dc) image_free(&image);
    PortPanel::TearDown();
  }
  COLORREF at(int x, int y) { return image_pixel(&image, x, y); }
  int count(RECT r, COLORREF colour) { return image_count_colour(&image, r, colour); }
  // Top row of the "O" glyph inside the O box of a group, relative to Y.
  int o_glyph_top(int channel, Group g) {
    int x0 = kGroup[g].x0, y = row(channel);
    for (int yy = y + 10; yy < y + 29; ++yy)
      for (int xx = x0 + 26; xx < x0 + 40; ++xx)
        if (at(xx, yy) == kBlack) return yy - y;
    return -1;
  }
  PanelImage image = {};
};

TEST_F(PortPaint, FramesAndBoxesInBothColours) {
  choose_address();
  click_output(0, A);
  render();
  for (int c = 0; c < expect.channels; ++c)
    for (Group g : {A, B, C_LOWER, C_UPPER}) {
      int x0 = kGroup[g].x0, xl = leftmost(g), y = row(c);
      int w = g == A || g == B ? 26 : 21;
      SCOPED_TRACE(testing::Message() << "channel " << c << " group " << kGroup[g].number);
      COLORREF frame = c == 0 && g == A ? kDarkGreen : kGreen;
      EXPECT_EQ(frame, at(xl - 3, y + 8)) << "frame inside, left of the lamps";
      EXPECT_EQ(frame, at(x0 + w - 3, y + 4)) << "frame inside, right of lamp 0";
      EXPECT_EQ(kBlack, at(xl - 5, y + 8)) << "frame's left edge";
      EXPECT_EQ(LTGRAY, at(xl - 6, y + 8));
      EXPECT_EQ(kBlack, at(x0 + 4, y + 29)) << "frame's bottom edge";
      EXPECT_EQ(LTGRAY, at(x0 + 4, y + 30));
      EXPECT_EQ(kGreen, at(x0 + 38, y + 4)) << "I box (its top half lies under the labels)";
      EXPECT_EQ(kDarkGreen, at(x0 + 38, y + 27)) << "O box";
      EXPECT_EQ(kBlack, at(x0 + 25, y + 9)) << "between the boxes";
      EXPECT_EQ(kBlack, at(x0 + 40, y + 12)) << "O box's right edge";
      EXPECT_EQ(LTGRAY, at(x0 + 41, y + 12));
      EXPECT_EQ(kWhite, at(x0 + 8, y + 8)) << "lamp 0";
    }
  int below = row(expect.channels - 1) + 31;
  EXPECT_EQ(0, count({0, below, 640, below + 20}, kGreen)) << "no row below the last channel";
}

TEST_F(PortPaint, LampsShowOutputValueOfOutputsAndInputValueOfInputs) {
  choose_address();
  port_inputs[0][0] = 0x02;
  port_inputs[0][1] = 0x40;
  tick();
  click_output(0, B);
  click_lamp(0, B, 0);
  render();
  EXPECT_EQ(kRed, at(kGroup[A].x0 - 20 + 8, 48)) << "Port A input bit 1";
  EXPECT_EQ(kWhite, at(kGroup[A].x0 + 8, 48));
  EXPECT_EQ(kRed, at(kGroup[B].x0 + 8, 48)) << "Port B output bit 0";
  EXPECT_EQ(kWhite, at(kGroup[B].x0 - 120 + 8, 48)) << "Port B's input bit 6 is not shown";
  click_input(0, B);
  render();
  EXPECT_EQ(kWhite, at(kGroup[B].x0 + 8, 48));
  EXPECT_EQ(kRed, at(kGroup[B].x0 - 120 + 8, 48)) << "back to input: its last input value";
}

TEST_F(PortPaint, LabelsAndCaptionsOnChannelZeroOnly) {
  render();
  for (Group g : {A, B, C_LOWER, C_UPPER}) {
    int xl = leftmost(g);
    SCOPED_TRACE(testing::Message() << "group " << kGroup[g].number);
    EXPECT_EQ(kBlue, at(xl, 20)) << "label background at (xL, Y - 20)";
    EXPECT_GT(count({xl, 40 + 18, kGroup[g].x0 + 17, 40 + 29}, kBlack), 0) << "bit caption";
    for (int c = 1; c < expect.channels; ++c) {
      int y = row(c);
      EXPECT_EQ(0, count({xl, y - 20, xl + 30, y - 13}, kBlue)) << "no label, channel " << c;
      EXPECT_EQ(0, count({xl + 1, y + 18, kGroup[g].x0 + 16, y + 29}, kBlack))
          << "no caption, channel " << c;
    }
  }
  for (int c = 0; c < expect.channels; ++c) {
    int y = expect.channel_label_y[c];
    EXPECT_EQ(kBlue, at(5, y)) << "CH" << c << " at (5, " << y << ")";
    EXPECT_EQ(LTGRAY, at(5, y - 1)) << "CH" << c << " starts at y " << y;
  }
  EXPECT_EQ(LTGRAY, at(5, row(expect.channels)));
}

TEST_F(PortPaint, PortAOTextSitsWhereTheProgramPutsIt) {
  render();
  int a = o_glyph_top(0, A), b = o_glyph_top(0, B);
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  EXPECT_EQ(expect.port_a_o_dy - 9, a - b) << "Port A's O against Port B's";
  EXPECT_EQ(b, o_glyph_top(0, C_LOWER)) << "Port C halves at Y + 9 as Port B";
  if (expect.channels > 1) {
    EXPECT_EQ(a, o_glyph_top(1, A)) << "the same on channel 1";
  }
}

TEST_F(PortPanel, ExitReleasesAndEndsWithZero) {
  EXPECT_EQ(0, panel_exit(panel));
  EXPECT_FALSE(IsWindow(panel));
}

}  // namespace
