// Main of every test program run under Wine. A crash must end the run with
// a message and a failing exit code, never open a debugger dialog or look
// like success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

namespace {

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
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
