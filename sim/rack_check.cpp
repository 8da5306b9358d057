// Whether a rack text can be plugged as it stands (iosim_check_rack): the
// same rules as plugging, said before anything changes.
#include <cstdio>

#include "card_catalog.h"
#include "iosim.h"
#include "rack_config.h"

namespace sim {

namespace {

struct Placed {
  const CardKind *kind;
  unsigned base, length;
};

// The problem into why; returns its code.
template <typename... Args>
int refuse(int code, char *why, size_t size, const char *format, Args... args) {
  if (why && size) std::snprintf(why, size, format, args...);
  return code;
}

}  // namespace

int check_rack(const char *text, char *why, size_t size) {
  if (why && size) why[0] = '\0';
  RackText rack;
  if (!parse_rack(text, &rack)) return IOSIM_OK;  // the default rack
  if (rack.bad)
    return refuse(IOSIM_INVALID, why, size, "\"%s\" is no entry (want kind@hexbase, e.g. kestan@2A8, or empty)",
                  rack.first_bad);
  Placed placed[RackText::kMaxEntries];
  for (int i = 0; i < rack.count; ++i) {
    const RackEntry &e = rack.entries[i];
    char entry[48], reason[160];
    std::snprintf(entry, sizeof entry, "%s@%X", e.kind, e.base);
    const CardKind *kind = find_card_kind(e.kind);
    if (!kind)
      return refuse(IOSIM_UNKNOWN_KIND, why, size,
                    "%s: no model of that kind (kestan, kestan_counter, orvel, sarrow, pellin, fenmar, wendal, "
                    "dulvar)",
                    entry);
    if (!base_fits(*kind, e.base, reason, sizeof reason))
      return refuse(IOSIM_BAD_BASE, why, size, "%s: %s", entry, reason);
    placed[i] = {kind, e.base, card_length(*kind)};
    for (int j = 0; j < i; ++j) {
      if (placed[j].base < e.base + placed[i].length && e.base < placed[j].base + placed[j].length) {
        return refuse(IOSIM_BUSY, why, size, "%s overlaps %s@%X", entry, placed[j].kind->name, placed[j].base);
      }
    }
  }
  return IOSIM_OK;
}

}  // namespace sim

extern "C" int iosim_check_rack(const char *rack, char *why, int size) {
  return sim::check_rack(rack, why, size > 0 ? static_cast<size_t>(size) : 0);
}
