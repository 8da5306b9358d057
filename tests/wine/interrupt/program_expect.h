// What a test expects of one interrupt sample's Setup dialog and settings,
// written down from the samples' description (not from their tables). Each
// program's test file defines Expected.
#ifndef KIT_TESTS_PROGRAM_EXPECT_H
#define KIT_TESTS_PROGRAM_EXPECT_H

#include <windows.h>

#include <string>
#include <vector>

// Style bits of the Setup dialogs' controls, by kind.
inline constexpr DWORD kButton = WS_TABSTOP;
inline constexpr DWORD kLabel = WS_GROUP;
inline constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
inline constexpr DWORD kCombo = CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP;

struct ExpectedControl {
  const char *class_name;  // "Button", "Static", "Edit", "ComboBox"
  int id;
  const char *text;
  DWORD style;             // bits that must be set (beyond WS_CHILD | WS_VISIBLE)
  int x, y, cx, cy;        // dialog units
};

struct ProgramExpect {
  const char *card;
  const char *title;
  int window_height;       // outer; every sample is 300 wide at (200, 100)
  int stop_ordinal;
  int setup_command;
  const char *caption;
  int width, height;       // dialog units
  std::vector<ExpectedControl> controls;
  int address_step;
  int address_entries;     // after "(NONE)"
  const char *last_address;
  int default_address_index;
  std::vector<std::string> levels;
  int default_level_index;
  int count_edit;
  const char *count_text;
  int rate_edit;           // 0 for none
  int none_base, none_level;
  int start_base, start_level, start_count;
};

extern const ProgramExpect Expected;

#endif
