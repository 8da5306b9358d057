// Which libioport.so libkestan.so talks to is decided by which one is loaded
// first. libkestan.so names its port layer only as "libioport.so"; when the
// dynamic loader resolves that name it first looks among the libraries the
// process already holds, and takes one whose soname matches. So the tool
// loads the chosen libioport.so by its full path, then libkestan.so, and the
// driver is bound to that build whatever LD_LIBRARY_PATH or the run path
// recorded in libkestan.so say. No re-exec, no environment to pass on.
#include "kestan_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Folders next to the tool's own folder, as the build lays them out.
const char kKestanLibrary[] = "lib/libkestan.so";
const char kHardwareIoport[] = "hardware/libioport.so";
const char kSimulatorIoport[] = "simulator/libioport.so";

struct EntryPoint {
  const char *name;
  size_t offset;  // of the function pointer in KestanApi
};

const EntryPoint kEntryPoints[] = {
  {"W_Kestan_Initial", offsetof(KestanApi, Initial)},
  {"W_Kestan_Set_Card", offsetof(KestanApi, Set_Card)},
  {"W_Kestan_Get_Card", offsetof(KestanApi, Get_Card)},
  {"W_Kestan_DI_8", offsetof(KestanApi, DI_8)},
  {"W_Kestan_DI_Channel", offsetof(KestanApi, DI_Channel)},
  {"W_Kestan_DI_16", offsetof(KestanApi, DI_16)},
  {"W_Kestan_DO_8", offsetof(KestanApi, DO_8)},
  {"W_Kestan_DO_Channel", offsetof(KestanApi, DO_Channel)},
  {"W_Kestan_DO_16", offsetof(KestanApi, DO_16)},
  {"W_Kestan_Read_Back", offsetof(KestanApi, Read_Back)},
  {"W_Kestan_Timer_Start", offsetof(KestanApi, Timer_Start)},
  {"W_Kestan_Timer_Read", offsetof(KestanApi, Timer_Read)},
  {"W_Kestan_Timer_Stop", offsetof(KestanApi, Timer_Stop)},
};

// The folder above the one holding the running executable, with a slash.
bool find_install_root(char *root, size_t size) {
  char exe[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return false;
  exe[n] = '\0';
  for (int up = 0; up < 2; ++up) {
    char *slash = std::strrchr(exe, '/');
    if (!slash) return false;
    *slash = '\0';
  }
  return std::snprintf(root, size, "%s/", exe) < static_cast<int>(size);
}

void *open_library(const char *root, const char *relative, char *why, size_t why_size) {
  char path[2 * PATH_MAX];
  std::snprintf(path, sizeof path, "%s%s", root, relative);
  void *handle = dlopen(path, RTLD_NOW | RTLD_GLOBAL);
  if (!handle) std::snprintf(why, why_size, "cannot load %s: %s", path, dlerror());
  return handle;
}

}  // namespace

bool load_kestan(IoportBuild build, KestanApi *api, char *why, size_t why_size) {
  char root[PATH_MAX];
  if (!find_install_root(root, sizeof root)) {
    std::snprintf(why, why_size, "cannot find the folder of the kestan-io executable");
    return false;
  }
  const char *ioport = build == IoportBuild::Simulator ? kSimulatorIoport : kHardwareIoport;
  if (!open_library(root, ioport, why, why_size)) return false;
  void *kestan = open_library(root, kKestanLibrary, why, why_size);
  if (!kestan) return false;
  for (const EntryPoint &entry : kEntryPoints) {
    void *function = dlsym(kestan, entry.name);
    if (!function) {
      std::snprintf(why, why_size, "libkestan.so has no entry point %s", entry.name);
      return false;
    }
    std::memcpy(reinterpret_cast<char *>(api) + entry.offset, &function, sizeof function);
  }
  return true;
}
