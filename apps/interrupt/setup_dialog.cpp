// Setup dialog of the interrupt samples.
#include "setup_dialog.h"

#include "app_frame.h"
#include "int_parse.h"
#include "int_program.h"
#include "interrupt_ids.h"

namespace {

const char kNoneEntry[] = "(NONE)";
const char kCountTooLarge[] = "Count can be assigned at most 32768";
const char kMessageCaption[] = "INT";
const int kFirstAddress = 0x200;

LRESULT send_item(HWND dialog, int control, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendDlgItemMessageA(dialog, control, message, wparam, lparam);
}

void fill_address_list(HWND dialog, const IntSetupTable *setup) {
  send_item(dialog, IDC_INT_BASE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kNoneEntry));
  for (int address = kFirstAddress; address <= setup->address_bound;
       address += setup->address_step) {
    char entry[SETUP_FIELD_CAPACITY];
    wsprintfA(entry, "%xH", address);
    CharUpperA(entry);
    send_item(dialog, IDC_INT_BASE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
}

void fill_level_list(HWND dialog, const IntSetupTable *setup) {
  for (int i = 0; i < setup->level_count; ++i)
    send_item(dialog, IDC_INT_LEVEL, CB_INSERTSTRING, static_cast<WPARAM>(i),
              reinterpret_cast<LPARAM>(setup->levels[i]));
}

void set_default_fields(HWND dialog, const IntSetupTable *setup) {
  if (setup->rate_edit != 0)
    send_item(dialog, setup->rate_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(setup->rate_text));
  send_item(dialog, setup->count_edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(setup->count_text));
  send_item(dialog, IDC_INT_BASE, CB_SETCURSEL, static_cast<WPARAM>(setup->default_address_index), 0);
  send_item(dialog, IDC_INT_LEVEL, CB_SETCURSEL, static_cast<WPARAM>(setup->default_level_index), 0);
}

BOOL init_setup_dialog(HWND dialog) {
  const IntSetupTable *setup = &Int_Program.setup;
  fill_address_list(dialog, setup);
  fill_level_list(dialog, setup);
  set_default_fields(dialog, setup);
  return FALSE;
}

// Text of the selected entry of a list; false when there is none or it does
// not fit the buffer.
bool read_selected_entry(HWND dialog, int control, int selection, char (&entry)[SETUP_FIELD_CAPACITY]) {
  const LRESULT length = send_item(dialog, control, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
  if (length < 0 || length >= SETUP_FIELD_CAPACITY) return false;
  return send_item(dialog, control, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                   reinterpret_cast<LPARAM>(entry)) >= 0;
}

void store_base_address(HWND dialog) {
  const int selection = static_cast<int>(send_item(dialog, IDC_INT_BASE, CB_GETCURSEL, 0, 0));
  char entry[SETUP_FIELD_CAPACITY];
  if (selection <= 0 || !read_selected_entry(dialog, IDC_INT_BASE, selection, entry))
    Base_Address = Int_Program.setup.none_base;
  else
    Base_Address = parse_address_entry(entry);
}

void store_irq_level(HWND dialog) {
  const int selection = static_cast<int>(send_item(dialog, IDC_INT_LEVEL, CB_GETCURSEL, 0, 0));
  char entry[SETUP_FIELD_CAPACITY];
  if (selection < 0 || !read_selected_entry(dialog, IDC_INT_LEVEL, selection, entry))
    IRQ_Level = Int_Program.setup.none_level;
  else
    IRQ_Level = parse_decimal(entry);
}

BOOL accept_setup(HWND dialog) {
  Int_Program.initialise();
  const int count = read_setup_field(dialog, Int_Program.setup.count_edit);
  if (count > INT_BUFFER_CAPACITY) {
    MessageBoxA(dialog, kCountTooLarge, kMessageCaption, MB_OK);
    return FALSE;
  }
  if (Int_Program.refuse_own && Int_Program.refuse_own(dialog)) return FALSE;
  Total_Count = count;
  fill_int_buffers();
  if (Int_Program.complete_setup) Int_Program.complete_setup(dialog);
  EndDialog(dialog, 1);
  return TRUE;
}

BOOL handle_setup_command(HWND dialog, WPARAM wparam) {
  switch (LOWORD(wparam)) {
    case IDC_INT_BASE:
      if (HIWORD(wparam) == CBN_CLOSEUP) store_base_address(dialog);
      return TRUE;
    case IDC_INT_LEVEL:
      if (HIWORD(wparam) == CBN_CLOSEUP) store_irq_level(dialog);
      return TRUE;
    case IDOK:
      return accept_setup(dialog);
    case IDCANCEL:
      EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int read_setup_field(HWND dialog, int control) {
  char text[SETUP_FIELD_CAPACITY] = "";
  GetWindowTextA(GetDlgItem(dialog, control), text, SETUP_FIELD_CAPACITY);
  return parse_decimal(text);
}

INT_PTR CALLBACK Setup_Dialog_Proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return init_setup_dialog(dialog);
    case WM_COMMAND:
      return handle_setup_command(dialog, wparam);
    default:
      return FALSE;
  }
}

void open_setup_dialog(HWND window) {
  DialogBoxParamA(frame_instance, MAKEINTRESOURCEA(IDD_SETUP), window, Setup_Dialog_Proc, 0);
}
