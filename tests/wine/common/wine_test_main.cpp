// Main of every test program run under Wine. A crash must end the run with
// a message and a failing exit code, never open a debugger dialog or look
// like success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char g_pc_file[MAX_PATH];

void remove_pc_file() {
  char path[MAX_PATH + 2];
  std::snprintf(path, sizeof path, "Z:%s", g_pc_file);
  DeleteFileA(path);
}

// A program started with no simulated PC named (KESTAN_SIM_PC), such as each
// case of a program whose cases ctest runs one by one in parallel, gets a PC
// of its own in the build's folder of test PCs, removed when it ends; the
// programs it starts share it.
void use_own_pc() {
  if (GetEnvironmentVariableA("KESTAN_SIM_PC", nullptr, 0)) return;
  char program[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, program, sizeof program);
  const char *name = std::strrchr(program, '\\');
  name = name ? name + 1 : program;
  std::snprintf(g_pc_file, sizeof g_pc_file, "%s/%s.%lu.pc", KIT_PC_DIR, name, GetCurrentProcessId());
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
