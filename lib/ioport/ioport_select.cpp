// The libioport.so that the native libraries and programs link (Linux): it
// passes every call on to one of the two port layers, chosen at run time by
// the environment variable KESTAN_IOPORT, read at the first call:
//   hardware (or unset)  the real ports, <here>/ioport/hardware/libioport.so
//   simulator            the simulated PC, <here>/ioport/simulator/libioport.so
// where <here> is the folder of this library (in a build tree the two sit
// in ../hardware and ../simulator). So a program never chooses by link
// order or library path, and one installed program serves both.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "ioport.h"

namespace {

struct Layer {
  unsigned char (*in8)(unsigned short);
  unsigned short (*in16)(unsigned short);
  void (*out8)(unsigned short, unsigned char);
  void (*out16)(unsigned short, unsigned short);
  int (*claim)(unsigned short, unsigned short, const char *);
  void (*release)(unsigned short);
  int (*irq_attach)(int, io_irq_handler, void *);
  int (*irq_detach)(int);
  int (*rights)(unsigned short, unsigned short, char *, int);  // absent in the simulator
};

struct Symbol {
  const char *name;
  size_t offset;
  bool required;
};

const Symbol kSymbols[] = {
  {"io_in8", offsetof(Layer, in8), true},         {"io_in16", offsetof(Layer, in16), true},
  {"io_out8", offsetof(Layer, out8), true},       {"io_out16", offsetof(Layer, out16), true},
  {"io_claim", offsetof(Layer, claim), true},     {"io_release", offsetof(Layer, release), true},
  {"io_irq_attach", offsetof(Layer, irq_attach), true},
  {"io_irq_detach", offsetof(Layer, irq_detach), true},
  {"io_rights", offsetof(Layer, rights), false},
};

// Where the two layers lie, relative to this library's folder.
const char *const kLayerPaths[] = {"ioport/%s/libioport.so", "../%s/libioport.so"};

// Stand-ins while no layer could be loaded: an empty bus.
unsigned char none_in8(unsigned short) { return 0xFF; }
unsigned short none_in16(unsigned short) { return 0xFFFF; }
void none_out8(unsigned short, unsigned char) {}
void none_out16(unsigned short, unsigned short) {}
int none_claim(unsigned short, unsigned short, const char *) { return IO_CLAIM_OK; }
void none_release(unsigned short) {}
int none_irq_attach(int, io_irq_handler, void *) { return IO_IRQ_UNAVAILABLE; }
int none_irq_detach(int) { return IO_IRQ_NOT_ATTACHED; }

Layer g_layer;
void *g_handle = nullptr;  // the layer loaded
std::once_flag g_chosen;
char g_failure[512];  // why no layer loaded, empty when one did

bool own_folder(char *folder, size_t size) {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void *>(&own_folder), &info) || !info.dli_fname) return false;
  std::snprintf(folder, size, "%s", info.dli_fname);
  char *slash = std::strrchr(folder, '/');
  if (!slash) return false;
  slash[1] = '\0';
  return true;
}

void *open_layer(const char *build) {
  char folder[4096];
  if (!own_folder(folder, sizeof folder)) return nullptr;
  for (const char *pattern : kLayerPaths) {
    char relative[64], path[4096 + 64];
    std::snprintf(relative, sizeof relative, pattern, build);
    std::snprintf(path, sizeof path, "%s%s", folder, relative);
    if (void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL)) return handle;
  }
  std::snprintf(g_failure, sizeof g_failure,
                "ioport: the %s port layer is not installed beside %.400s (ioport/%s/libioport.so)",
                build, folder, build);
  return nullptr;
}

void choose() {
  g_layer = {none_in8, none_in16, none_out8, none_out16, none_claim, none_release,
             none_irq_attach, none_irq_detach, nullptr};
  const char *wanted = std::getenv("KESTAN_IOPORT");
  const char *build = "hardware";
  if (wanted && *wanted) {
    if (std::strcmp(wanted, "simulator") == 0) {
      build = "simulator";
    } else if (std::strcmp(wanted, "hardware") != 0) {
      std::snprintf(g_failure, sizeof g_failure,
                    "ioport: KESTAN_IOPORT=%s: say simulator or hardware", wanted);
      std::fprintf(stderr, "%s\n", g_failure);
      return;
    }
  }
  void *handle = open_layer(build);
  if (!handle) {
    std::fprintf(stderr, "%s\n", g_failure);
    return;
  }
  Layer found = g_layer;
  for (const Symbol &s : kSymbols) {
    void *fn = dlsym(handle, s.name);
    if (!fn && s.required) {
      std::snprintf(g_failure, sizeof g_failure, "ioport: the %s layer has no %s", build, s.name);
      std::fprintf(stderr, "%s\n", g_failure);
      return;
    }
    if (fn) std::memcpy(reinterpret_cast<char *>(&found) + s.offset, &fn, sizeof fn);
  }
  g_layer = found;
  g_handle = handle;
}

inline const Layer &layer() {
  std::call_once(g_chosen, choose);
  return g_layer;
}

// The simulated PC grants every port, but a run on a private PC (its file
// could not be used) changes nothing that lasts: that is refused unless the
// user asked for one (KESTAN_SIM_PC=private).
int simulator_rights(char *reason, int size) {
  using PcFile = int (*)(char *, int);
  auto pc_file = reinterpret_cast<PcFile>(dlsym(g_handle, "iosim_pc_file"));
  char path[512] = "";
  const char *asked = std::getenv("KESTAN_SIM_PC");
  if (pc_file && pc_file(path, sizeof path) != 1 && !(asked && std::strcmp(asked, "private") == 0)) {
    // Said once on stderr, as the layer says why it could not be loaded.
    static char said[700] = "";
    if (!said[0]) {
      std::snprintf(said, sizeof said,
                    "ioport: the simulated PC %s cannot be used (see above): a change made on a private PC "
                    "would not last, nothing done. Remedy: name a PC file of your own with KESTAN_SIM_PC, or "
                    "KESTAN_SIM_PC=private for a private PC",
                    path);
      std::fprintf(stderr, "%s\n", said);
    }
    if (reason && size > 0) std::snprintf(reason, static_cast<size_t>(size), "%s", said);
    return IO_RIGHTS_NO_LAYER;
  }
  if (reason && size > 0) reason[0] = '\0';
  return IO_RIGHTS_OK;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) unsigned char io_in8(unsigned short port) { return layer().in8(port); }
__attribute__((visibility("default"))) unsigned short io_in16(unsigned short port) { return layer().in16(port); }
__attribute__((visibility("default"))) void io_out8(unsigned short port, unsigned char value) {
  layer().out8(port, value);
}
__attribute__((visibility("default"))) void io_out16(unsigned short port, unsigned short value) {
  layer().out16(port, value);
}
__attribute__((visibility("default"))) int io_claim(unsigned short base, unsigned short length,
                                                    const char *card) {
  return layer().claim(base, length, card);
}
__attribute__((visibility("default"))) void io_release(unsigned short base) { layer().release(base); }
__attribute__((visibility("default"))) int io_irq_attach(int level, io_irq_handler handler, void *context) {
  return layer().irq_attach(level, handler, context);
}
__attribute__((visibility("default"))) int io_irq_detach(int level) { return layer().irq_detach(level); }

__attribute__((visibility("default"))) int io_rights(unsigned short base, unsigned short length,
                                                     char *reason, int size) {
  const Layer &l = layer();
  if (g_failure[0]) {
    if (reason && size > 0) std::snprintf(reason, static_cast<size_t>(size), "%s", g_failure);
    return IO_RIGHTS_NO_LAYER;
  }
  if (!l.rights) return simulator_rights(reason, size);
  return l.rights(base, length, reason, size);
}

// Native tools: a function of the layer beyond the port seam (the
// simulator's iosim controls), or null.
__attribute__((visibility("default"))) void *io_layer_function(const char *name) {
  layer();
  return g_handle ? dlsym(g_handle, name) : nullptr;
}

__attribute__((visibility("default"))) const char *io_layer(void) {
  layer();
  if (g_failure[0]) return "none";
  return g_layer.rights ? "hardware" : "simulator";
}

}  // extern "C"
