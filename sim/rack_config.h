// The text form of a rack, as KESTAN_SIM_RACK gives it: "empty", or a list
// of kind@base entries separated by commas, base in hexadecimal (an "H"
// suffix or "0x" prefix is allowed), blanks around entries ignored, e.g.
// "kestan@2A8, orvel@300h". Parsing knows no card kinds; the bus refuses
// kinds it has no model of.
#ifndef KIT_SIM_RACK_CONFIG_H
#define KIT_SIM_RACK_CONFIG_H

namespace sim {

struct RackEntry {
  char kind[16];
  unsigned base;
};

struct RackText {
  static constexpr int kMaxEntries = 32;
  RackEntry entries[kMaxEntries];
  int count;
  int bad;             // entries that could not be read (or beyond kMaxEntries)
  char first_bad[40];  // the first of them, cut to fit
};

// False when text gives no rack at all (null, or only blanks): the default
// rack applies. Otherwise fills rack; "empty" gives no entries.
bool parse_rack(const char *text, RackText *rack);

}  // namespace sim

#endif
