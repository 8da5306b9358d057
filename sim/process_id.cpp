#include "process_id.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

// Linux's process table, as a native program and a Win32 program under
// Wine each reach it; nullptr on Windows proper.
const char *proc_folder() {
#ifdef _WIN32
  static const char *folder = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    bool wine = ntdll && GetProcAddress(ntdll, "wine_get_version");
    return wine ? "Z:\\proc\\" : static_cast<const char *>(nullptr);
  }();
  return folder;
#else
  return "/proc/";
#endif
}

// The first line of /proc/<entry>/stat: "pid (name) state ...".
bool read_stat(const char *entry, char *line, size_t size) {
  char path[64];
#ifdef _WIN32
  std::snprintf(path, sizeof path, "%s%s\\stat", proc_folder(), entry);
#else
  std::snprintf(path, sizeof path, "%s%s/stat", proc_folder(), entry);
#endif
  FILE *f = std::fopen(path, "r");
  if (!f) return false;
  bool got = std::fgets(line, static_cast<int>(size), f) != nullptr;
  std::fclose(f);
  return got;
}

#ifdef _WIN32
// getpid straight from the Linux kernel: system call 20 through int 80H in
// 32-bit code, 39 through syscall in 64-bit code (0 on another processor).
intptr_t kernel_getpid() {
  intptr_t id = 0;
#if defined(__x86_64__)
  __asm__ volatile("syscall" : "=a"(id) : "a"(intptr_t{39}) : "rcx", "r11", "memory");
#elif defined(__i386__)
  __asm__ volatile("int $0x80" : "=a"(id) : "a"(intptr_t{20}) : "memory");
#endif
  return id;
}

// Under Wine on Linux a Win32 process is a Linux process: its Linux id comes
// from the kernel itself (kernel_getpid). /proc/self would not do: Wine opens
// files in its server, so "self" is the server.
uint32_t linux_process_id() {
  using HostVersion = void(CDECL *)(const char **sysname, const char **release);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto host = ntdll ? reinterpret_cast<HostVersion>(
                          reinterpret_cast<void *>(GetProcAddress(ntdll, "wine_get_host_version")))
                    : nullptr;
  const char *sysname = nullptr, *release = nullptr;
  if (host) host(&sysname, &release);
  if (!sysname || std::strcmp(sysname, "Linux") != 0) return 0;
  intptr_t id = kernel_getpid();
  return id > 0 ? static_cast<uint32_t>(id) : 0;
}
#endif

uint32_t find_this_process() {
#ifdef _WIN32
  if (proc_folder())
    if (uint32_t id = linux_process_id()) return id;
  return static_cast<uint32_t>(GetCurrentProcessId());
#else
  return static_cast<uint32_t>(getpid());
#endif
}

uint32_t g_this_process = 0;

}  // namespace

uint32_t this_process() {
  if (g_this_process == 0) {
    g_this_process = find_this_process();
#ifndef _WIN32
    // A forked child is another process.
    static int once = pthread_atfork(nullptr, nullptr, [] { g_this_process = find_this_process(); });
    (void)once;
#endif
  }
  return g_this_process;
}

bool process_alive(uint32_t id) {
  if (id == 0) return false;
  if (id == this_process()) return true;
  if (proc_folder()) {
    char entry[16], line[512];
    std::snprintf(entry, sizeof entry, "%lu", static_cast<unsigned long>(id));
    if (!read_stat(entry, line, sizeof line)) return false;
    const char *end = std::strrchr(line, ')');
    char state = end && end[1] == ' ' ? end[2] : '?';
    return state != 'Z' && state != 'X';
  }
#ifdef _WIN32
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
#else
  return false;
#endif
}

}  // namespace sim
