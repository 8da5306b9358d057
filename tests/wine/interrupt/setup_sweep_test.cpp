// The Setup dialog under every kind of input a person can give it: each
// edit field fed empty and blank texts, signs alone, 15-character numbers,
// numbers that overflow 32 bits, letters and mixed texts; each list closed
// on every entry and with no selection. Every input must end in the
// documented result: the value stored (decimal parse of the first 15
// characters, wrapping modulo 2^32 as int_parse.h says) or the refusal
// message with the dialog left open; no crash and no dialog left hanging.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "field_texts.h"
#include "int_state.h"
#include "int_test_support.h"
#include "program_expect.h"

namespace {

using field_texts::documented_value;
using field_texts::kFieldTexts;

const int kMostCount = 32768;
const int kBaseCombo = 1004, kLevelCombo = 1005;

class SetupSweep : public testing::Test {
 protected:
  void SetUp() override { window = create_int_window(); }
  void TearDown() override { destroy_int_window(window); }
  HWND window = nullptr;
};

TEST_F(SetupSweep, EveryCountTextEndsInItsDocumentedResult) {
  int tried = 0;
  for (const char *text : kFieldTexts) {
    SCOPED_TRACE(std::string("count text \"") + text + "\"");
    const int value = documented_value(text);
    Total_Count = 12345;
    if (value > kMostCount) {
      BoxSeen box;
      run_command_with_dialog(window, Expected.setup_command,
                              {set_text(Expected.count_edit, text), post_command(IDOK),
                               dismiss_box(&box), post_command(IDCANCEL)});
      EXPECT_EQ("Count can be assigned at most 32768", box.text);
      EXPECT_EQ(12345, Total_Count) << "a refused count is not stored";
    } else {
      run_command_with_dialog(window, Expected.setup_command,
                              {set_text(Expected.count_edit, text), post_command(IDOK)});
      EXPECT_EQ(value, Total_Count);
      if (value > 0) {
        EXPECT_EQ(value - 1, Pattern_Buffer[value - 1]);
      }
    }
    ++tried;
  }
  std::printf("count texts tried: %d\n", tried);
}

// Each list closed on each entry in turn, then with no selection, all in one
// opening of the dialog; Cancel keeps what the last close-up stored.
TEST_F(SetupSweep, EveryListEntryAndNoSelectionStoreTheirValue) {
  int tried = 0, last_level = -1;
  run_command_with_dialog(window, Expected.setup_command, {
    inspect([&tried, &last_level](HWND dialog) {
      HWND combo = GetDlgItem(dialog, kBaseCombo);
      std::vector<std::string> entries = combo_entries(dialog, kBaseCombo);
      for (int i = -1; i < static_cast<int>(entries.size()); ++i) {
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kBaseCombo, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
        int want = i <= 0 ? Expected.none_base : static_cast<int>(std::stoul(entries[i].substr(0, 3), nullptr, 16));
        EXPECT_EQ(want, Base_Address) << "address entry " << i;
        ++tried;
      }
      combo = GetDlgItem(dialog, kLevelCombo);
      entries = combo_entries(dialog, kLevelCombo);
      for (int i = -1; i < static_cast<int>(entries.size()); ++i) {
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kLevelCombo, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
        int want = i < 0 ? Expected.none_level : std::stoi(entries[i]);
        EXPECT_EQ(want, IRQ_Level) << "level entry " << i;
        last_level = want;
        ++tried;
      }
    }),
    post_command(IDCANCEL)});
  EXPECT_EQ(last_level, IRQ_Level) << "Cancel undoes nothing the last close-up stored";
  std::printf("list close-ups tried: %d\n", tried);
}

}  // namespace
