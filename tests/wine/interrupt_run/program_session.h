// A user's session with one of the real interrupt sample programs, driven
// from another process: start the .exe from the simulator install, open
// Setup, fill its fields, press OK, give menu commands, read the screen.
// Windows are found through the program's own thread, never desktop-wide.
#ifndef KIT_TESTS_PROGRAM_SESSION_H
#define KIT_TESTS_PROGRAM_SESSION_H

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "window_text.h"

struct ProgramSession {
  PROCESS_INFORMATION process = {};
  HWND window = nullptr;
};

// Starts build/win32/simulator/<program>.exe and waits for its main window.
bool start_program(ProgramSession *session, const char *program);
// Setup command, then each (control, text) into the dialog, then OK; true
// when the dialog opened and closed again.
bool run_setup(ProgramSession *session, int setup_command,
               const std::vector<std::pair<int, std::string>> &fields);
// Sends a menu command and waits until the program handles messages again;
// the milliseconds that took.
double run_command(ProgramSession *session, int command);
// The client area as the screen shows it.
bool capture_client(ProgramSession *session, Canvas *picture);
// The whole window, frame and menu included, as a .bmp file.
bool save_window(ProgramSession *session, const char *path);
// Exit command; the process's exit code, or -1 when it does not end.
int exit_program(ProgramSession *session);
void kill_program(ProgramSession *session);

#endif
