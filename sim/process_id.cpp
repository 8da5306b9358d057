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

// A file under /proc ("1234/stat", "sys/kernel/random/boot_id").
FILE *open_proc(const char *entry) {
  char path[96];
  std::snprintf(path, sizeof path, "%s%s", proc_folder(), entry);
#ifdef _WIN32
  for (char *p = path; *p; ++p)
    if (*p == '/') *p = '\\';
#endif
  return std::fopen(path, "r");
}

// Its first line.
bool read_proc(const char *entry, char *line, size_t size) {
  FILE *f = open_proc(entry);
  if (!f) return false;
  bool got = std::fgets(line, static_cast<int>(size), f) != nullptr;
  std::fclose(f);
  return got;
}

// What /proc/<id>/stat says of a process: "id (name) state ... starttime ...".
struct Stat {
  char state;
  unsigned long long start;  // field 22: clock ticks after boot
  char name[32];
};

bool read_stat(uint32_t id, Stat *stat) {
  char entry[24], line[512];
  std::snprintf(entry, sizeof entry, "%lu/stat", static_cast<unsigned long>(id));
  if (!read_proc(entry, line, sizeof line)) return false;
  const char *open = std::strchr(line, '('), *close = std::strrchr(line, ')');
  if (!open || !close || close < open) return false;
  std::snprintf(stat->name, sizeof stat->name, "%.*s", static_cast<int>(close - open - 1), open + 1);
  // After the name: field 3 (state), then 19 more fields up to the start time.
  const char *p = close + 1;
  stat->state = p[0] == ' ' ? p[1] : '?';
  for (int field = 3; field < 22 && p; ++field) p = std::strchr(p + 1, ' ');
  return p && std::sscanf(p, " %llu", &stat->start) == 1;
}

uint32_t fnv1a(uint32_t h, const void *data, size_t size) {
  const unsigned char *b = static_cast<const unsigned char *>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ b[i]) * 16777619u;
  return h;
}

// This boot of the machine: the kernel's boot id.
uint32_t boot_hash() {
  static const uint32_t hash = [] {
    char id[64] = "";
    read_proc("sys/kernel/random/boot_id", id, sizeof id);
    return fnv1a(2166136261u, id, std::strlen(id));
  }();
  return hash;
}

uint32_t stamp_of(uint64_t start) {
  uint32_t h = fnv1a(boot_hash(), &start, sizeof start);
  return h ? h : 1;
}

#ifdef _WIN32
// Under Wine on Linux a Win32 process is a Linux process: its Linux id comes
// from the kernel itself (getpid, system call 20 of i386). /proc/self would
// not do: Wine opens files in its server, so "self" is the server.
uint32_t linux_process_id() {
#if defined(__i386__)
  using HostVersion = void(CDECL *)(const char **sysname, const char **release);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto host = ntdll ? reinterpret_cast<HostVersion>(
                          reinterpret_cast<void *>(GetProcAddress(ntdll, "wine_get_host_version")))
                    : nullptr;
  const char *sysname = nullptr, *release = nullptr;
  if (host) host(&sysname, &release);
  if (!sysname || std::strcmp(sysname, "Linux") != 0) return 0;
  long id;
  __asm__ volatile("int $0x80" : "=a"(id) : "a"(20L) : "memory");
  return id > 0 ? static_cast<uint32_t>(id) : 0;
#else
  return 0;
#endif
}

// Windows proper: the process's creation time stands for its start.
bool windows_start(uint32_t id, uint64_t *start) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return false;
  FILETIME created, ended, kernel, user;
  bool got = GetProcessTimes(process, &created, &ended, &kernel, &user);
  DWORD code = 0;
  bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  *start = (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  return got && running;
}
#endif

// The stamp of the running process id; false when no such process runs.
bool start_stamp(uint32_t id, uint32_t *stamp) {
  if (proc_folder()) {
    Stat s;
    if (!read_stat(id, &s) || s.state == 'Z' || s.state == 'X') return false;
    *stamp = stamp_of(s.start);
    return true;
  }
#ifdef _WIN32
  uint64_t start = 0;
  if (!windows_start(id, &start)) return false;
  *stamp = stamp_of(start);
  return true;
#else
  return false;
#endif
}

uint32_t find_process_number() {
#ifdef _WIN32
  if (proc_folder())
    if (uint32_t id = linux_process_id()) return id;
  return static_cast<uint32_t>(GetCurrentProcessId());
#else
  return static_cast<uint32_t>(getpid());
#endif
}

ProcessId find_this_process() {
  const uint32_t id = find_process_number();
  uint32_t stamp = 1;  // a process that cannot see its own start is still itself
  start_stamp(id, &stamp);
  return (static_cast<ProcessId>(stamp) << 32) | id;
}

ProcessId g_this_process = 0;

}  // namespace

ProcessId this_process() {
  if (g_this_process == 0) {
    g_this_process = find_this_process();
#ifndef _WIN32
    // A forked child is another process: it finds itself at its first use.
    static int once = pthread_atfork(nullptr, nullptr, [] { g_this_process = 0; });
    (void)once;
#endif
  }
  return g_this_process;
}

bool process_alive(ProcessId id) {
  if (process_number(id) == 0) return false;
  if (id == this_process()) return true;
  uint32_t stamp = 0;
  return start_stamp(process_number(id), &stamp) && stamp == static_cast<uint32_t>(id >> 32);
}

void describe_process(ProcessId id, char *text, size_t size) {
  Stat s;
  if (proc_folder() && read_stat(process_number(id), &s))
    std::snprintf(text, size, "%lu (%s)", static_cast<unsigned long>(process_number(id)), s.name);
  else
    std::snprintf(text, size, "%lu", static_cast<unsigned long>(process_number(id)));
}

#ifdef _WIN32
unsigned linux_user() {
  if (!proc_folder()) return 0;
  char entry[32], line[128];
  std::snprintf(entry, sizeof entry, "%lu/status", static_cast<unsigned long>(process_number(this_process())));
  FILE *f = open_proc(entry);
  unsigned uid = 0;
  while (f && std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "Uid: %u", &uid) == 1) break;
  if (f) std::fclose(f);
  return uid;
}
#endif

}  // namespace sim
