#include "pc_fault.h"

#include <cstdio>
#include <cstring>

#include "pc_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

constexpr int kWatched = 8;

struct Watched {
  const char *from;
  size_t size;
  char message[600];  // made beforehand: a fault handler only writes it
};

Watched g_watched[kWatched];
int g_count = 0;

const Watched *watched_at(const void *address) {
  const char *a = static_cast<const char *>(address);
  for (int i = 0; i < g_count; ++i)
    if (a >= g_watched[i].from && a < g_watched[i].from + g_watched[i].size) return &g_watched[i];
  return nullptr;
}

[[noreturn]] void end_with(const Watched &w) {
#ifdef _WIN32
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), w.message, static_cast<DWORD>(std::strlen(w.message)), &written, nullptr);
  ExitProcess(kPcFailedStatus);
#else
  ssize_t ignored = write(2, w.message, std::strlen(w.message));
  (void)ignored;
  _exit(kPcFailedStatus);
#endif
}

#ifdef _WIN32
LONG CALLBACK on_fault(EXCEPTION_POINTERS *e) {
  const EXCEPTION_RECORD *r = e->ExceptionRecord;
  if (r->ExceptionCode != EXCEPTION_IN_PAGE_ERROR && r->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
    return EXCEPTION_CONTINUE_SEARCH;
  if (r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
  if (const Watched *w = watched_at(reinterpret_cast<const void *>(r->ExceptionInformation[1]))) end_with(*w);
  return EXCEPTION_CONTINUE_SEARCH;
}

void install() { AddVectoredExceptionHandler(1, on_fault); }
#else
struct sigaction g_before;

void on_fault(int signal, siginfo_t *info, void *context) {
  if (const Watched *w = watched_at(info->si_addr)) end_with(*w);
  // Not the PC's: as it would have been without this handler.
  if (g_before.sa_flags & SA_SIGINFO) {
    if (g_before.sa_sigaction) return g_before.sa_sigaction(signal, info, context);
  } else if (g_before.sa_handler != SIG_DFL && g_before.sa_handler != SIG_IGN) {
    return g_before.sa_handler(signal);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

void install() {
  struct sigaction action {};
  action.sa_sigaction = on_fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &g_before);
}
#endif

}  // namespace

void watch_pc_mapping(const void *at, size_t size, const char *path) {
  if (g_count == kWatched) return;
  Watched &w = g_watched[g_count];
  w.from = static_cast<const char *>(at);
  w.size = size;
  std::snprintf(w.message, sizeof w.message,
                "iosim: the simulated PC %s was cut short under this program: it ends here. Remedy: run it "
                "again (a fresh PC replaces the damaged file)\n",
                path);
  if (g_count++ == 0) install();
}

}  // namespace sim
