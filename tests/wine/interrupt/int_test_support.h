// Helpers of the interrupt samples' in-process tests: the program's real
// main window, modal dialogs driven from a thread timer, the stand-in
// libraries' call journal, and the text lines seen in the window.
#ifndef KIT_TESTS_INT_TEST_SUPPORT_H
#define KIT_TESTS_INT_TEST_SUPPORT_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "card_recorder.h"
#include "window_text.h"

// --- the main window -----------------------------------------------------

// The program's main window made by the frame from program_frame (class
// registered once per process), shown and painted, state at its start.
HWND create_int_window(void);
// Destroys it (WM_DESTROY stops the library and posts the quit message) and
// takes the quit message out of the queue again.
void destroy_int_window(HWND window);
// Handles every queued message; true when one of them was WM_QUIT, whose
// wParam goes to *exit_code.
bool pump_messages(int *exit_code = nullptr);

// --- modal dialogs -------------------------------------------------------

// One step of a dialog script, run on a timer tick inside the modal loop
// against the thread's active dialog (the message box while one is open).
typedef std::function<void(HWND active)> DialogStep;

// Sends the menu command to the window and runs the steps, one per tick,
// while the modal loop it opens runs. A dialog still open after the last
// step fails the test and is ended. Returns when the command returns.
void run_command_with_dialog(HWND window, WPARAM command, const std::vector<DialogStep> &steps);

// Steps.
DialogStep post_command(int control);                    // e.g. IDOK, IDCANCEL
DialogStep set_text(int control, const char *text);
DialogStep close_up(int control, int selection);         // select, then CBN_CLOSEUP
struct BoxSeen {
  std::string caption;
  std::string text;
  HWND owner = nullptr;
};
// Reads the message box that is open and presses its OK button.
DialogStep dismiss_box(BoxSeen *seen);
DialogStep inspect(std::function<void(HWND dialog)> check);

// Dialog contents.
std::vector<std::string> combo_entries(HWND dialog, int control);
int combo_selection(HWND dialog, int control);
std::string control_text(HWND window);
std::string item_text(HWND dialog, int control);

// --- card library calls --------------------------------------------------

// An expected call; args that are ANY_ARG are not compared.
const intptr_t ANY_ARG = static_cast<intptr_t>(0x7EEEEEEE);
struct ExpectedCall {
  int ordinal;
  int argc;
  intptr_t args[CARDREC_MAX_ARGS];
};
intptr_t address_of(const void *p);

std::vector<CardCall> recorded_calls(void);
// Compares the journal with the expected calls of the card, in order;
// reports the caller's file and line and dumps both lists on a mismatch.
void expect_calls(const char *file, int line, const char *card,
                  const std::vector<ExpectedCall> &expected);
#define EXPECT_CALLS(card, ...) expect_calls(__FILE__, __LINE__, card, __VA_ARGS__)

// --- port writes (simulator journal) -------------------------------------

struct PortWrite {
  unsigned short port;
  unsigned char value;
};
// The byte writes the program made since the journal was last cleared,
// and where they fell among the library calls: calls_before[i] is the number
// of recorded library calls made before write i.
bool simulator_present(void);
void clear_port_journal(void);
std::vector<PortWrite> port_writes(std::vector<int> *calls_before = nullptr);

// --- text in the window --------------------------------------------------

// The window's client area must hold exactly these lines, drawn in this
// order with TextOutA on a default device context, on the white background.
void expect_window_lines(const char *file, int line, HWND window, const std::vector<TextLine> &lines);
#define EXPECT_WINDOW_LINES(window, ...) expect_window_lines(__FILE__, __LINE__, window, __VA_ARGS__)

#endif
