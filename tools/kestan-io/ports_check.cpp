// Before kestan-io touches a port: the port layer, the rights, and the ports
// that a kernel driver owns (/proc/ioports).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ioport.h"
#include "tool.h"

namespace {

const char kIoportsFile[] = "/proc/ioports";

}  // namespace

void choose_port_layer(const Options &options) {
  if (options.layer == PortLayer::Simulator) setenv("KESTAN_IOPORT", "simulator", 1);
  if (options.layer == PortLayer::Hardware) setenv("KESTAN_IOPORT", "hardware", 1);
}

bool on_simulator() { return std::strcmp(io_layer(), "simulator") == 0; }

// Lines of /proc/ioports: "  03f8-03ff : serial", nested by indentation.
// Only the innermost ranges are drivers' (the outer ones are buses: "PCI Bus
// 0000:00" spans 0000-0CF7). Without root the kernel shows every range as
// 0000-0000: nothing to see then.
bool ports_busy(int base, int length, char *owner, int size) {
  const char *path = std::getenv("KESTAN_IOPORTS");
  FILE *f = std::fopen(path && *path ? path : kIoportsFile, "r");
  if (!f) return false;
  struct Entry {
    unsigned first, last;
    int depth;
    char name[96];
  };
  Entry previous{}, entry{};
  bool have_previous = false, busy = false;
  char line[256];
  auto owns = [&](const Entry &e, int next_depth) {
    if (e.first == 0 && e.last == 0) return false;
    if (next_depth > e.depth) return false;  // a bus: the ranges inside it tell
    return static_cast<int>(e.first) < base + length && base <= static_cast<int>(e.last);
  };
  while (!busy && std::fgets(line, sizeof line, f)) {
    entry = Entry{};
    entry.depth = static_cast<int>(std::strspn(line, " "));
    if (std::sscanf(line, " %x-%x : %95[^\n]", &entry.first, &entry.last, entry.name) < 2) continue;
    if (have_previous && owns(previous, entry.depth)) busy = true;
    else previous = entry;
    have_previous = true;
  }
  if (!busy && have_previous && owns(previous, -1)) busy = true;
  std::fclose(f);
  if (busy)
    std::snprintf(owner, static_cast<size_t>(size), "%s, %04X-%04X", previous.name, previous.first, previous.last);
  return busy;
}

int check_ports(const Options &options, int base, int length, bool writes) {
  char reason[600] = "";
  int rights = io_rights(static_cast<unsigned short>(base), static_cast<unsigned short>(length), reason,
                         sizeof reason);
  // The port layer says on stderr itself why it could not be loaded.
  if (rights == IO_RIGHTS_NO_LAYER) return tool_failure(kExitNoLayer, reason, true);
  char owner[160];
  if (writes && !options.force && !on_simulator() && ports_busy(base, length, owner, sizeof owner)) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "ports %03X-%03X belong to a kernel driver (%s): nothing written. Remedy: "
                  "give the card another address, or --force if you are sure the card is there.",
                  base, base + length - 1, owner);
    return tool_failure(kExitBusy, text);
  }
  if (rights != IO_RIGHTS_OK) return tool_failure(kExitNoRights, reason);
  return kExitOk;
}
