// Driving a real interrupt sample program from another process.
#include "program_session.h"

#include <cstring>

namespace {

const DWORD kStartTimeoutMs = 20000;
const DWORD kStepTimeoutMs = 10000;
const DWORD kPollMs = 20;

struct Found {
  const char *class_name;
  HWND window;
};

BOOL CALLBACK find_window(HWND window, LPARAM param) {
  Found *found = reinterpret_cast<Found *>(param);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, found->class_name) != 0 || !IsWindowVisible(window)) return TRUE;
  found->window = window;
  return FALSE;
}

HWND program_window(const ProgramSession *session, const char *class_name) {
  Found found = {class_name, nullptr};
  EnumThreadWindows(session->process.dwThreadId, find_window, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

HWND wait_for_window(const ProgramSession *session, const char *class_name, DWORD timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = program_window(session, class_name);
    if (window || GetTickCount() - start > timeout) return window;
    Sleep(kPollMs);
  }
}

bool wait_until_gone(HWND window, DWORD timeout) {
  const DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start > timeout) return false;
    Sleep(kPollMs);
  }
  return true;
}

// Returns once the program's thread handles sent messages again, and has
// painted what a closed dialog uncovered.
void wait_until_idle(ProgramSession *session) {
  DWORD_PTR result;
  SendMessageTimeoutA(session->window, WM_NULL, 0, 0, SMTO_NORMAL, kStepTimeoutMs, &result);
  UpdateWindow(session->window);
  SendMessageTimeoutA(session->window, WM_NULL, 0, 0, SMTO_NORMAL, kStepTimeoutMs, &result);
}

std::string simulator_folder(void) {
  std::string path = "Z:" KIT_SIM_DIR;
  for (char &c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace

bool start_program(ProgramSession *session, const char *program) {
  const std::string folder = simulator_folder();
  std::string command = "\"" + folder + "\\" + program + ".exe\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &session->process))
    return false;
  WaitForInputIdle(session->process.hProcess, kStartTimeoutMs);
  session->window = wait_for_window(session, "IntClass", kStartTimeoutMs);
  if (session->window) wait_until_idle(session);
  return session->window != nullptr;
}

bool run_setup(ProgramSession *session, int setup_command,
               const std::vector<std::pair<int, std::string>> &fields) {
  PostMessageA(session->window, WM_COMMAND, static_cast<WPARAM>(setup_command), 0);
  HWND dialog = wait_for_window(session, "#32770", kStepTimeoutMs);
  if (!dialog) return false;
  for (const auto &field : fields) SetDlgItemTextA(dialog, field.first, field.second.c_str());
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  const bool closed = wait_until_gone(dialog, kStepTimeoutMs);
  wait_until_idle(session);
  return closed;
}

double run_command(ProgramSession *session, int command) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  // Sent, not posted: a sent message returns when the command's handler has
  // run, while a WM_NULL sent after a posted command would be answered first
  // (the program's thread serves sent messages before posted ones).
  DWORD_PTR result;
  SendMessageTimeoutA(session->window, WM_COMMAND, static_cast<WPARAM>(command), 0, SMTO_NORMAL, 60000,
                      &result);
  QueryPerformanceCounter(&end);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

namespace {

bool capture_screen(int x, int y, Canvas *picture) {
  HDC screen = GetDC(nullptr);
  const bool ok = BitBlt(picture->dc, 0, 0, picture->width, picture->height, screen, x, y, SRCCOPY) != 0;
  ReleaseDC(nullptr, screen);
  GdiFlush();
  return ok;
}

}  // namespace

bool capture_client(ProgramSession *session, Canvas *picture) {
  POINT origin = {0, 0};
  ClientToScreen(session->window, &origin);
  return capture_screen(origin.x, origin.y, picture);
}

bool save_window(ProgramSession *session, const char *path) {
  RECT r;
  GetWindowRect(session->window, &r);
  Canvas picture(r.right - r.left, r.bottom - r.top);
  return capture_screen(r.left, r.top, &picture) && picture.save_bmp(path);
}

int exit_program(ProgramSession *session) {
  PostMessageA(session->window, WM_COMMAND, 305, 0);
  if (WaitForSingleObject(session->process.hProcess, kStepTimeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(session->process.hProcess, &code);
  CloseHandle(session->process.hProcess);
  CloseHandle(session->process.hThread);
  session->process = PROCESS_INFORMATION{};
  return static_cast<int>(code);
}

void kill_program(ProgramSession *session) {
  if (!session->process.hProcess) return;
  TerminateProcess(session->process.hProcess, 1);
  WaitForSingleObject(session->process.hProcess, kStepTimeoutMs);
  CloseHandle(session->process.hProcess);
  CloseHandle(session->process.hThread);
  session->process = PROCESS_INFORMATION{};
}
