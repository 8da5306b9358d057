// The Setup dialog and the main window as every interrupt sample has them,
// checked against the program's Expected description.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "int_state.h"
#include "int_test_support.h"
#include "program_expect.h"

namespace {

class IntSample : public testing::Test {
 protected:
  void SetUp() override { window = create_int_window(); }
  void TearDown() override { destroy_int_window(window); }
  void setup(const std::vector<DialogStep> &steps) {
    run_command_with_dialog(window, Expected.setup_command, steps);
  }
  HWND window = nullptr;
};

std::string address_text(int address) {
  char text[16];
  std::snprintf(text, sizeof text, "%XH", address);
  return text;
}

RECT dialog_units(HWND dialog, int x, int y, int cx, int cy) {
  RECT r = {x, y, x + cx, y + cy};
  MapDialogRect(dialog, &r);
  return r;
}

// Dialog resource 101 as the program carries it (a DLGTEMPLATE).
struct TemplateItem {
  DWORD style;
  int x, y, cx, cy, id;
  std::string class_name;
  std::string text;
};
struct DialogTemplate {
  DWORD style;
  int cx, cy;
  std::string caption;
  int font_size;
  std::string font;
  std::vector<TemplateItem> items;
};

const WORD *skip_to_dword(const WORD *p) {
  return reinterpret_cast<const WORD *>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
}

// A name or ordinal field: 0 (none), FFFF and an ordinal, or a UTF-16 string.
const WORD *read_name(const WORD *p, std::string *text, int *ordinal) {
  *ordinal = -1;
  text->clear();
  if (*p == 0xFFFF) {
    *ordinal = p[1];
    return p + 2;
  }
  for (; *p; ++p) text->push_back(static_cast<char>(*p));
  return p + 1;
}

std::string atom_class(int atom) {
  switch (atom) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x85: return "ComboBox";
    default: return "atom " + std::to_string(atom);
  }
}

DialogTemplate load_template(void) {
  DialogTemplate t = {};
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(101), reinterpret_cast<LPCSTR>(RT_DIALOG));
  EXPECT_NE(nullptr, found);
  if (!found) return t;
  const DLGTEMPLATE *head = static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(nullptr, found)));
  t.style = head->style;
  t.cx = head->cx;
  t.cy = head->cy;
  const WORD *p = reinterpret_cast<const WORD *>(head + 1);
  std::string name;
  int ordinal;
  p = read_name(p, &name, &ordinal);  // menu
  p = read_name(p, &name, &ordinal);  // class
  p = read_name(p, &t.caption, &ordinal);
  if (t.style & DS_SETFONT) {
    t.font_size = *p++;
    p = read_name(p, &t.font, &ordinal);
  }
  for (int i = 0; i < head->cdit; ++i) {
    p = skip_to_dword(p);
    const DLGITEMTEMPLATE *item = reinterpret_cast<const DLGITEMTEMPLATE *>(p);
    TemplateItem got = {item->style, item->x, item->y, item->cx, item->cy,
                        static_cast<short>(item->id), "", ""};
    p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(item) + sizeof(DLGITEMTEMPLATE));
    p = read_name(p, &got.class_name, &ordinal);
    if (ordinal >= 0) got.class_name = atom_class(ordinal);
    p = read_name(p, &got.text, &ordinal);
    const WORD extra = *p++;
    p = reinterpret_cast<const WORD *>(reinterpret_cast<const BYTE *>(p) + extra);
    t.items.push_back(got);
  }
  return t;
}

// The style a control of the template must have: its type exactly, the
// listed bits set, and nothing that restricts input further.
void check_item(const TemplateItem &got, const ExpectedControl &want) {
  SCOPED_TRACE(got.class_name + " \"" + got.text + "\" " + std::to_string(got.id));
  EXPECT_STRCASEEQ(want.class_name, got.class_name.c_str());
  EXPECT_EQ(want.id, got.id);
  if (want.text) { EXPECT_EQ(std::string(want.text), got.text); }
  EXPECT_EQ(want.style | WS_CHILD | WS_VISIBLE, got.style & (want.style | WS_CHILD | WS_VISIBLE))
      << std::hex << got.style;
  const std::string kind = want.class_name;
  if (kind == "Button") { EXPECT_EQ(want.style & BS_TYPEMASK, got.style & BS_TYPEMASK); }
  if (kind == "Edit") { EXPECT_EQ(0u, got.style & (ES_NUMBER | ES_READONLY | ES_MULTILINE)); }
  if (kind == "Static") { EXPECT_EQ(static_cast<DWORD>(SS_LEFT), got.style & SS_TYPEMASK); }
  if (kind == "ComboBox") {
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST), got.style & 3u);
    EXPECT_EQ(static_cast<DWORD>(WS_VSCROLL), got.style & WS_VSCROLL);
  }
  EXPECT_EQ(want.x, got.x);
  EXPECT_EQ(want.y, got.y);
  EXPECT_EQ(want.cx, got.cx);
  EXPECT_EQ(want.cy, got.cy);
}

}  // namespace

TEST_F(IntSample, MainWindowHasTitleSizeMenuAndClass) {
  EXPECT_EQ(std::string(Expected.title), control_text(window));
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(200, r.left);
  EXPECT_EQ(100, r.top);
  EXPECT_EQ(300, r.right - r.left);
  EXPECT_EQ(Expected.window_height, r.bottom - r.top);
  char name[32] = "";
  GetClassNameA(window, name, sizeof name);
  EXPECT_STREQ("IntClass", name);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(GetStockObject(WHITE_BRUSH)), GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadIconA(nullptr, IDI_APPLICATION)), GetClassLongPtrA(window, GCLP_HICON));

  HMENU menu = GetMenu(window);
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(3, GetMenuItemCount(menu));
  const char *texts[] = {"Setup", "Interrupt Trigger", "Exit"};
  const UINT ids[] = {static_cast<UINT>(Expected.setup_command), 300, 305};
  for (int i = 0; i < 3; ++i) {
    char text[64] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(texts[i], text);
    EXPECT_EQ(ids[i], GetMenuItemID(menu, i));
    EXPECT_EQ(nullptr, GetSubMenu(menu, i));
  }
  EXPECT_EQ(Expected.start_base, Base_Address);
  EXPECT_EQ(Expected.start_level, IRQ_Level);
  EXPECT_EQ(Expected.start_count, Total_Count);
}

TEST_F(IntSample, DialogTemplateHasItsControlsInOrder) {
  const DialogTemplate t = load_template();
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), t.style);
  EXPECT_EQ(Expected.width, t.cx);
  EXPECT_EQ(Expected.height, t.cy);
  EXPECT_EQ(std::string(Expected.caption), t.caption);
  EXPECT_EQ(10, t.font_size);
  EXPECT_EQ("System", t.font);
  ASSERT_EQ(Expected.controls.size(), t.items.size());
  for (size_t i = 0; i < t.items.size(); ++i) check_item(t.items[i], Expected.controls[i]);

  // The dialog made from it: its caption, size and the controls in that order.
  setup({inspect([](HWND dialog) {
           EXPECT_EQ(std::string(Expected.caption), control_text(dialog));
           RECT client;
           GetClientRect(dialog, &client);
           const RECT size = dialog_units(dialog, 0, 0, Expected.width, Expected.height);
           EXPECT_EQ(size.right, client.right);
           EXPECT_EQ(size.bottom, client.bottom);
           HWND control = GetWindow(dialog, GW_CHILD);
           for (const ExpectedControl &want : Expected.controls) {
             ASSERT_NE(nullptr, control);
             EXPECT_EQ(want.id & 0xFFFF, GetDlgCtrlID(control) & 0xFFFF);
             const RECT at = dialog_units(dialog, want.x, want.y, 0, 0);
             RECT got;
             GetWindowRect(control, &got);
             MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&got), 2);
             EXPECT_EQ(at.left, got.left) << want.id;
             EXPECT_EQ(at.top, got.top) << want.id;
             control = GetWindow(control, GW_HWNDNEXT);
           }
           EXPECT_EQ(nullptr, control) << "more controls than expected";
         }),
         post_command(IDCANCEL)});
}

TEST_F(IntSample, DialogOpensWithListsAndDefaults) {
  setup({inspect([](HWND dialog) {
           const std::vector<std::string> addresses = combo_entries(dialog, 1004);
           ASSERT_EQ(static_cast<size_t>(1 + Expected.address_entries), addresses.size());
           EXPECT_EQ("(NONE)", addresses[0]);
           for (int k = 1; k <= Expected.address_entries; ++k)
             EXPECT_EQ(address_text(0x200 + (k - 1) * Expected.address_step), addresses[k]) << k;
           EXPECT_EQ(std::string(Expected.last_address), addresses.back());
           EXPECT_EQ(Expected.levels, combo_entries(dialog, 1005));
           EXPECT_EQ(Expected.default_address_index, combo_selection(dialog, 1004));
           EXPECT_EQ(Expected.default_level_index, combo_selection(dialog, 1005));
           EXPECT_EQ(std::string(Expected.count_text), item_text(dialog, Expected.count_edit));
           if (Expected.rate_edit) { EXPECT_EQ("40", item_text(dialog, Expected.rate_edit)); }
         }),
         post_command(IDCANCEL)});
  EXPECT_EQ(0, cardrec_count()) << "opening and cancelling calls no library operation";
}

TEST_F(IntSample, ListCloseUpStoresTheChoice) {
  const int second = 0x200 + Expected.address_step;
  const std::string second_level = Expected.levels[1];  // differs from every start and none level
  setup({close_up(1004, 0),
         inspect([](HWND) { EXPECT_EQ(Expected.none_base, Base_Address) << "(NONE)"; }),
         close_up(1004, 1),
         inspect([](HWND) { EXPECT_EQ(0x200, Base_Address) << "first entry"; }),
         close_up(1004, 2),
         inspect([second](HWND) { EXPECT_EQ(second, Base_Address); }),
         close_up(1004, -1),
         inspect([](HWND) { EXPECT_EQ(Expected.none_base, Base_Address) << "no selection"; }),
         close_up(1005, 1),
         inspect([second_level](HWND) { EXPECT_EQ(std::atoi(second_level.c_str()), IRQ_Level); }),
         close_up(1005, -1),
         inspect([](HWND) { EXPECT_EQ(Expected.none_level, IRQ_Level) << "no level selected"; }),
         close_up(1005, 1),
         // A selection changed from the keyboard (no close-up) is not stored.
         inspect([](HWND dialog) {
           HWND combo = GetDlgItem(dialog, 1004);
           SendMessageA(combo, CB_SETCURSEL, 5, 0);
           SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1004, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
           EXPECT_EQ(Expected.none_base, Base_Address);
         }),
         post_command(IDCANCEL)});
  EXPECT_EQ(Expected.none_base, Base_Address);
  EXPECT_EQ(std::atoi(Expected.levels[1].c_str()), IRQ_Level);
}

TEST_F(IntSample, CancelKeepsAStoredAddressAndCallsNothing) {
  setup({close_up(1004, 3), post_command(IDCANCEL)});
  EXPECT_EQ(0x200 + 2 * Expected.address_step, Base_Address);
  EXPECT_EQ(Expected.start_count, Total_Count);
  EXPECT_EQ(0, cardrec_count());
}

TEST_F(IntSample, CountTextsParseAsDecimal) {
  struct Case {
    const char *text;
    int count;
  };
  const Case cases[] = {{"", 0},     {"abc", 0}, {"12abc", 12},       {" 7", 7},
                        {"-5", -5}, {"+9", 9},  {"32768", 32768},    {"0012", 12},
                        // 4294967306 is 2^32 + 10: the parse wraps around.
                        {"4294967306", 10}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string("count text \"") + c.text + "\"");
    setup({set_text(Expected.count_edit, c.text), post_command(IDOK)});
    EXPECT_EQ(c.count, Total_Count);
  }
}

TEST_F(IntSample, AcceptedCountRefillsExactlyThatManySlots) {
  for (int i = 0; i < INT_BUFFER_CAPACITY; ++i) Input_Buffer[i] = Pattern_Buffer[i] = -1;
  setup({set_text(Expected.count_edit, "3"), post_command(IDOK)});
  EXPECT_EQ(0, Pattern_Buffer[0]);
  EXPECT_EQ(2, Pattern_Buffer[2]);
  EXPECT_EQ(0, Input_Buffer[2]);
  EXPECT_EQ(-1, Pattern_Buffer[3]);
  EXPECT_EQ(-1, Input_Buffer[3]);

  setup({set_text(Expected.count_edit, "32768"), post_command(IDOK)});
  int wrong = 0;
  for (int i = 0; i < INT_BUFFER_CAPACITY; ++i) wrong += Pattern_Buffer[i] != i || Input_Buffer[i] != 0;
  EXPECT_EQ(0, wrong);

  for (int i = 0; i < INT_BUFFER_CAPACITY; ++i) Input_Buffer[i] = Pattern_Buffer[i] = -1;
  setup({set_text(Expected.count_edit, "-5"), post_command(IDOK)});
  EXPECT_EQ(-5, Total_Count);
  EXPECT_EQ(-1, Pattern_Buffer[0]) << "a negative count touches neither buffer";
  EXPECT_EQ(-1, Input_Buffer[0]);
}

TEST_F(IntSample, CountAboveTheLimitIsRefusedWithAMessage) {
  for (int i = 0; i < INT_BUFFER_CAPACITY; ++i) Pattern_Buffer[i] = -1;
  BoxSeen box;
  HWND setup_dialog = nullptr;
  setup({inspect([&setup_dialog](HWND dialog) { setup_dialog = dialog; }),
         set_text(Expected.count_edit, "32769"), post_command(IDOK), dismiss_box(&box),
         inspect([&setup_dialog](HWND dialog) {
           EXPECT_EQ(setup_dialog, dialog) << "the Setup dialog stays open";
         }),
         post_command(IDCANCEL)});
  EXPECT_EQ("Count can be assigned at most 32768", box.text);
  EXPECT_EQ("INT", box.caption);
  EXPECT_EQ(setup_dialog, box.owner);
  EXPECT_EQ(Expected.start_count, Total_Count);
  EXPECT_EQ(-1, Pattern_Buffer[0]);
  ASSERT_EQ(1, cardrec_count()) << "only the initialise operation, before the count is read";
  EXPECT_EQ(1, cardrec_call(0).ordinal);
}

TEST_F(IntSample, SecondOpeningShowsTheDefaultsAgain) {
  const int stored_level = Expected.default_level_index == 0 ? 1 : 0;  // not the default
  setup({close_up(1004, 1), close_up(1005, stored_level), set_text(Expected.count_edit, "5"),
         post_command(IDOK)});
  ASSERT_EQ(0x200, Base_Address);
  setup({inspect([](HWND dialog) {
           EXPECT_EQ(Expected.default_address_index, combo_selection(dialog, 1004));
           EXPECT_EQ(Expected.default_level_index, combo_selection(dialog, 1005));
           EXPECT_EQ(std::string(Expected.count_text), item_text(dialog, Expected.count_edit));
         }),
         post_command(IDOK)});
  EXPECT_EQ(0x200, Base_Address) << "the stored address stays";
  EXPECT_EQ(std::atoi(Expected.levels[stored_level].c_str()), IRQ_Level) << "and the stored level";
  EXPECT_EQ(std::atoi(Expected.count_text), Total_Count);
}

TEST_F(IntSample, OkInitialisesTheCardFirst) {
  setup({close_up(1004, 2), close_up(1005, 1), post_command(IDOK)});
  ASSERT_GE(cardrec_count(), 1);
  const CardCall first = cardrec_call(0);
  EXPECT_STREQ(Expected.card, first.card);
  EXPECT_EQ(1, first.ordinal);
  ASSERT_EQ(3, first.argc);
  EXPECT_EQ(0, first.args[0]);
  EXPECT_EQ(0x200 + Expected.address_step, first.args[1]);
  EXPECT_EQ(std::atoi(Expected.levels[1].c_str()), first.args[2]);
}

TEST_F(IntSample, ExitStopsTheLibraryAndQuitsWithZero) {
  SendMessageA(window, WM_COMMAND, 305, 0);
  EXPECT_FALSE(IsWindow(window));
  ASSERT_EQ(1, cardrec_count());
  EXPECT_EQ(Expected.stop_ordinal, cardrec_call(0).ordinal);
  int code = -1;
  EXPECT_TRUE(pump_messages(&code));
  EXPECT_EQ(0, code);
}

TEST_F(IntSample, CloseBoxStopsTheLibraryAndQuitsWithZero) {
  SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(window));
  ASSERT_EQ(1, cardrec_count());
  EXPECT_EQ(Expected.stop_ordinal, cardrec_call(0).ordinal);
  int code = -1;
  EXPECT_TRUE(pump_messages(&code));
  EXPECT_EQ(0, code);
}

TEST_F(IntSample, CommandsAreComparedWithTheWholeWParam) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(300, 1), 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(305, 1), 0);
  SendMessageA(window, WM_COMMAND, 302, 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(0, cardrec_count());
}
