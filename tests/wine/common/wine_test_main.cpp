// Main of every test program run under Wine. A crash must end the run with
// a message and a failing exit code, never open a debugger dialog or look
// like success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

char g_pc_file[MAX_PATH];

void remove_pc_file() {
  std::string path = g_pc_file;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  DeleteFileA(path.c_str());
}

// Cases of one program that ctest runs one by one, in parallel, each get a
// simulated PC of their own (KIT_PC_PER_PROCESS), removed when they end.
void use_own_pc() {
  char base[MAX_PATH - 16];
  if (!GetEnvironmentVariableA("KIT_PC_PER_PROCESS", nullptr, 0) ||
      !GetEnvironmentVariableA("KESTAN_SIM_PC", base, sizeof base))
    return;
  std::snprintf(g_pc_file, sizeof g_pc_file, "%s.%lu", base, GetCurrentProcessId());
  SetEnvironmentVariableA("KESTAN_SIM_PC", g_pc_file);
  std::atexit(remove_pc_file);
}

LONG WINAPI report_crash(EXCEPTION_POINTERS *info) {
  std::fprintf(stderr, "test program crashed: exception %08lx at %p\n",
               info->ExceptionRecord->ExceptionCode,
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char **argv) {
  SetUnhandledExceptionFilter(report_crash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  use_own_pc();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
