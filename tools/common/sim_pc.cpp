#include "sim_pc.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cardio {

namespace {

// A function of the simulator: global when it is linked in, else inside the
// layer libioport.so loaded (io_layer_function).
void *simulator_function(const char *name) {
  if (void *f = dlsym(RTLD_DEFAULT, name)) return f;
  using Lookup = void *(*)(const char *);
  auto lookup = reinterpret_cast<Lookup>(dlsym(RTLD_DEFAULT, "io_layer_function"));
  return lookup ? lookup(name) : nullptr;
}

}  // namespace

bool sim_pc_file(char *path, size_t size) {
  using PcFile = int (*)(char *, int);
  auto pc_file = reinterpret_cast<PcFile>(simulator_function("iosim_pc_file"));
  if (size) path[0] = '\0';
  return pc_file && pc_file(path, static_cast<int>(size)) == 1;
}

bool sim_outputs(int base, int bank, unsigned *value) {
  using Outputs = int (*)(unsigned short, int, unsigned *);
  auto outputs = reinterpret_cast<Outputs>(simulator_function("iosim_read_outputs"));
  return outputs && outputs(static_cast<unsigned short>(base), bank, value) == 0;
}

void machine_id(bool simulator, char *text, size_t size) {
  if (simulator) {
    using PcId = unsigned long long (*)();
    auto pc_id = reinterpret_cast<PcId>(simulator_function("iosim_pc_id"));
    char path[512];
    if (pc_id && sim_pc_file(path, sizeof path))
      std::snprintf(text, size, "pc-%llx", pc_id());
    else
      std::snprintf(text, size, "pc-private");
    return;
  }
  char boot[64] = "";
  if (FILE *f = std::fopen("/proc/sys/kernel/random/boot_id", "r")) {
    if (!std::fgets(boot, sizeof boot, f)) boot[0] = '\0';
    std::fclose(f);
  }
  boot[std::strcspn(boot, "\n")] = '\0';
  std::snprintf(text, size, "boot-%s", boot[0] ? boot : "unknown");
}

}  // namespace cardio
