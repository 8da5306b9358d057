// Helpers of the interrupt samples' in-process tests.
#include "int_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "app_frame.h"
#ifdef KIT_HAVE_SIMULATOR
#include "iosim.h"
#endif

// --- the main window -----------------------------------------------------

namespace {

struct Found {
  const char *class_name;
  bool enabled_only;
  HWND window;
};

BOOL CALLBACK find_thread_window(HWND window, LPARAM param) {
  Found *found = reinterpret_cast<Found *>(param);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, found->class_name) != 0) return TRUE;
  if (found->enabled_only && (!IsWindowEnabled(window) || !IsWindowVisible(window))) return TRUE;
  found->window = window;
  return FALSE;
}

HWND thread_window(const char *class_name, bool enabled_only) {
  Found found = {class_name, enabled_only, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), find_thread_window, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

}  // namespace

HWND create_int_window(void) {
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!registered) registered = frame_register_class(instance, &program_frame) != 0;
  EXPECT_TRUE(registered);
  cardrec_clear();
  EXPECT_EQ(1, frame_create_main_window(instance, SW_SHOWNORMAL, &program_frame));
  HWND window = thread_window(program_frame.class_name, false);
  EXPECT_NE(nullptr, window);
  pump_messages();
  return window;
}

void destroy_int_window(HWND window) {
  if (IsWindow(window)) DestroyWindow(window);
  pump_messages();
}

bool pump_messages(int *exit_code) {
  bool quit = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      if (exit_code) *exit_code = static_cast<int>(msg.wParam);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return quit;
}

// --- modal dialogs -------------------------------------------------------

namespace {

const UINT kTickMs = 15;
const int kGraceTicks = 40;

struct Script {
  const std::vector<DialogStep> *steps;
  size_t next;
  int idle_ticks;
  bool busy;
};
Script g_script;

void end_stray_dialog(HWND dialog) {
  ADD_FAILURE() << "a dialog is still open after the last step; ending it";
  EndDialog(dialog, 0);
  // A message box ignores EndDialog: press its button.
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void CALLBACK run_next_step(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script.busy) return;
  g_script.busy = true;
  HWND active = thread_window("#32770", true);
  if (active && g_script.next < g_script.steps->size()) {
    (*g_script.steps)[g_script.next++](active);
  } else if (active && ++g_script.idle_ticks > kGraceTicks) {
    end_stray_dialog(active);
  }
  g_script.busy = false;
}

}  // namespace

void run_command_with_dialog(HWND window, WPARAM command, const std::vector<DialogStep> &steps) {
  g_script = Script{&steps, 0, 0, false};
  UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, run_next_step);
  SendMessageA(window, WM_COMMAND, command, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(steps.size(), g_script.next) << "the dialog closed before every step had run";
  pump_messages();
  UpdateWindow(window);
}

DialogStep post_command(int control) {
  return [control](HWND dialog) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, BN_CLICKED), 0); };
}

DialogStep set_text(int control, const char *text) {
  std::string copy = text;
  return [control, copy](HWND dialog) { SetDlgItemTextA(dialog, control, copy.c_str()); };
}

DialogStep close_up(int control, int selection) {
  return [control, selection](HWND dialog) {
    HWND combo = GetDlgItem(dialog, control);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, CBN_CLOSEUP), reinterpret_cast<LPARAM>(combo));
  };
}

DialogStep dismiss_box(BoxSeen *seen) {
  return [seen](HWND box) {
    char caption[128] = "";
    GetWindowTextA(box, caption, sizeof caption);
    seen->caption = caption;
    seen->owner = GetWindow(box, GW_OWNER);
    // The box's text is its static control (id 0xFFFF).
    seen->text = item_text(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  };
}

DialogStep inspect(std::function<void(HWND dialog)> check) { return check; }

std::vector<std::string> combo_entries(HWND dialog, int control) {
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, control, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = "";
    if (SendDlgItemMessageA(dialog, control, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
      SendDlgItemMessageA(dialog, control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

int combo_selection(HWND dialog, int control) {
  return static_cast<int>(SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0));
}

std::string control_text(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string item_text(HWND dialog, int control) { return control_text(GetDlgItem(dialog, control)); }

// --- card library calls --------------------------------------------------

intptr_t address_of(const void *p) { return reinterpret_cast<intptr_t>(p); }

std::vector<CardCall> recorded_calls(void) {
  std::vector<CardCall> calls;
  const int count = cardrec_count();
  for (int i = 0; i < count; ++i) calls.push_back(cardrec_call(i));
  return calls;
}

namespace {

std::string describe(const char *card, int ordinal, int argc, const intptr_t *args) {
  std::string text = std::string(card) + " #" + std::to_string(ordinal) + "(";
  for (int i = 0; i < argc; ++i) {
    char arg[24];
    if (args[i] == ANY_ARG) std::snprintf(arg, sizeof arg, "*");
    else std::snprintf(arg, sizeof arg, "%ld", static_cast<long>(args[i]));
    text += (i ? ", " : "") + std::string(arg);
  }
  return text + ")";
}

bool call_matches(const char *card, const ExpectedCall &want, const CardCall &got) {
  if (std::strcmp(card, got.card) != 0 || want.ordinal != got.ordinal || want.argc != got.argc)
    return false;
  for (int i = 0; i < want.argc; ++i)
    if (want.args[i] != ANY_ARG && want.args[i] != got.args[i]) return false;
  return true;
}

}  // namespace

void expect_calls(const char *file, int line, const char *card, const std::vector<ExpectedCall> &expected) {
  const std::vector<CardCall> got = recorded_calls();
  bool same = got.size() == expected.size();
  for (size_t i = 0; same && i < got.size(); ++i) same = call_matches(card, expected[i], got[i]);
  if (same) return;
  std::string dump = "expected:\n";
  for (const ExpectedCall &call : expected)
    dump += "  " + describe(card, call.ordinal, call.argc, call.args) + "\n";
  dump += "recorded:\n";
  for (const CardCall &call : got) dump += "  " + describe(call.card, call.ordinal, call.argc, call.args) + "\n";
  ADD_FAILURE_AT(file, line) << "card library calls differ\n" << dump;
}

// --- port writes ---------------------------------------------------------

bool simulator_present(void) {
#ifdef KIT_HAVE_SIMULATOR
  return true;
#else
  return false;
#endif
}

void clear_port_journal(void) {
#ifdef KIT_HAVE_SIMULATOR
  iosim_journal_clear();
#endif
}

std::vector<PortWrite> port_writes(std::vector<int> *calls_before) {
  std::vector<PortWrite> writes;
  if (calls_before) calls_before->clear();
#ifdef KIT_HAVE_SIMULATOR
  std::vector<iosim_access> accesses(IOSIM_JOURNAL_CAPACITY);
  const int count = iosim_journal_read(accesses.data(), IOSIM_JOURNAL_CAPACITY);
  const std::vector<CardCall> calls = recorded_calls();
  for (int i = 0; i < count; ++i) {
    if (accesses[i].op != IOSIM_OUT8) continue;
    writes.push_back(PortWrite{accesses[i].port, static_cast<unsigned char>(accesses[i].value)});
    if (calls_before) {
      int before = 0;
      for (const CardCall &call : calls)
        if (call.ports_before <= static_cast<unsigned long>(i)) ++before;
      calls_before->push_back(before);
    }
  }
#endif
  return writes;
}

// --- text in the window --------------------------------------------------

void expect_window_lines(const char *file, int line, HWND window, const std::vector<TextLine> &lines) {
  RECT client;
  GetClientRect(window, &client);
  Canvas seen(client.right, client.bottom);
  HDC window_dc = GetDC(window);
  BitBlt(seen.dc, 0, 0, client.right, client.bottom, window_dc, 0, 0, SRCCOPY);
  ReleaseDC(window, window_dc);
  std::string report;
  if (!canvas_shows_lines(seen, lines, &report)) ADD_FAILURE_AT(file, line) << report;
}
