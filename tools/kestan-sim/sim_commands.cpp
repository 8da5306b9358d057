#include "sim_commands.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "card_records.h"
#include "iosim.h"
#include "kestan_registers.h"
#include "number_text.h"
#include "orvel_registers.h"
#include "pellin_registers.h"
#include "ppi8255_mode.h"
#include "sarrow_registers.h"

namespace {

constexpr int kMaxCards = 32;
constexpr int kMaxBanks = 18;  // six 8255 chips of three ports
constexpr int kMaxClaims = 64;

// --- arguments ------------------------------------------------------------

// A base address in hexadecimal: 2A8, 2A8H, 0x2A8.
bool parse_base(const char *text, unsigned short *base) {
  long long value = 0;
  if (!cardio::parse_base_text(text, &value)) return false;
  *base = static_cast<unsigned short>(value);
  return true;
}

// Any other number: decimal or 0x, within min to max.
bool parse_number(const char *text, long min, long max, long *value) {
  long long v = 0;
  if (!cardio::parse_count_text(text, &v) || v < min || v > max) return false;
  *value = static_cast<long>(v);
  return true;
}

// --- what the PC answers ----------------------------------------------------

const char *result_text(int result) {
  switch (result) {
    case IOSIM_BUSY: return "the range is occupied by another card";
    case IOSIM_UNKNOWN_KIND: return "no model of that card kind (kestan, kestan_counter, orvel, "
                                    "sarrow, pellin, fenmar, wendal, dulvar)";
    case IOSIM_NO_CARD: return "no card has its base there (kestan-sim status lists the cards)";
    case IOSIM_BAD_BANK: return "the card has no such bank of lines (kestan-sim --help lists them)";
    case IOSIM_BAD_BASE: return "that kind of card cannot sit at that base";
    default: return "refused";
  }
}

int answer(int result, const char *done) {
  if (result == IOSIM_OK) {
    std::printf("%s\n", done);
    return kExitOk;
  }
  std::fprintf(stderr, "kestan-sim: %s\n", result_text(result));
  return kExitRefused;
}

// Lines per bank of a kind; 8 for the 8255-based cards.
int bank_width(const char *kind) {
  static const struct {
    const char *kind;
    int lines;
  } kWidths[] = {{"kestan", kestan::kChannelCount}, {"kestan_counter", kestan::kChannelCount},
                 {"orvel", orvel::kChannels}, {"sarrow", sarrow::kChannels}, {"pellin", pellin::kChannels}};
  for (const auto &w : kWidths)
    if (!std::strcmp(w.kind, kind)) return w.lines;
  return ppi8255::kLinesPerPort;
}

struct BankLines {
  unsigned outputs, inputs;
};

// The banks of a card, in order; returns how many it has.
int read_banks(unsigned short base, BankLines *banks) {
  int n = 0;
  while (n < kMaxBanks && iosim_read_outputs(base, n, &banks[n].outputs) == IOSIM_OK &&
         iosim_read_inputs(base, n, &banks[n].inputs) == IOSIM_OK)
    ++n;
  return n;
}

void bank_name(const char *kind, int bank, char *text, size_t size) {
  if (bank_width(kind) == ppi8255::kLinesPerPort && std::strcmp(kind, "pellin") != 0)
    std::snprintf(text, size, "bank %d (channel %d port %c)", bank, bank / 3, "ABC"[bank % 3]);
  else
    std::snprintf(text, size, "bank %d", bank);
}

// --- commands ---------------------------------------------------------------


int status(char **, int) {
  char path[512];
  if (iosim_pc_file(path, sizeof path))
    std::printf("simulated PC: %s\n", path);
  else
    std::printf("simulated PC: private to this process (%s could not be used)\n", path);
  iosim_card_info cards[kMaxCards];
  int n = iosim_cards(cards, kMaxCards);
  std::printf("cards:%s\n", n ? "" : " none");
  for (int i = 0; i < n && i < kMaxCards; ++i) {
    const iosim_card_info &c = cards[i];
    std::printf("  %s@%X (%u ports, plugged by %s", c.kind, c.base, c.length,
                c.by_claim ? "a library's claim" : "the rack or by hand");
    if (c.irq >= 0) std::printf(", interrupt level %d", c.irq);
    std::printf(")\n");
    BankLines banks[kMaxBanks];
    int digits = bank_width(c.kind) / 4;
    for (int b = 0, count = read_banks(c.base, banks); b < count; ++b) {
      char name[40];
      bank_name(c.kind, b, name, sizeof name);
      std::printf("    %-26s outputs 0x%0*X  inputs 0x%0*X\n", name, digits, banks[b].outputs, digits,
                  banks[b].inputs);
    }
  }
  iosim_claim_info claims[kMaxClaims];
  int k = iosim_claims(claims, kMaxClaims);
  std::printf("claims:%s\n", k ? "" : " none");
  for (int i = 0; i < k && i < kMaxClaims; ++i)
    std::printf("  %s@%X (%u ports) by process %u\n", claims[i].card, claims[i].base, claims[i].length,
                claims[i].process);
  return kExitOk;
}

// kestan-io's records of what it wrote to a card: a card that comes up
// afresh drives nothing, and a record kept past that would switch its old
// outputs back on at kestan-io's next write.
void forget_records(int base) { cardio::forget_card_records(true, base); }

// The rack KESTAN_SIM_RACK gives, checked whole before anything changes.
int refuse_bad_rack(const char *text) {
  char why[256];
  if (iosim_check_rack(text, why, sizeof why) == IOSIM_OK) return kExitOk;
  std::fprintf(stderr, "kestan-sim: KESTAN_SIM_RACK: %s; the simulated PC is as it was\n", why);
  return kExitRefused;
}

int reset(char **, int) {
  if (int refused = refuse_bad_rack(std::getenv("KESTAN_SIM_RACK"))) return refused;
  iosim_reset();
  forget_records(-1);
  std::printf("simulated PC reset to its rack\n");
  return kExitOk;
}

int plug(char **args, int) {
  char kind[32];
  const char *at = std::strchr(args[0], '@');
  unsigned short base;
  if (!at || at == args[0] || static_cast<size_t>(at - args[0]) >= sizeof kind || !parse_base(at + 1, &base))
    return usage_error("want KIND@BASE, e.g. orvel@300, not", args[0]);
  std::snprintf(kind, sizeof kind, "%.*s", static_cast<int>(at - args[0]), args[0]);
  char why[256];
  if (iosim_check_rack(args[0], why, sizeof why) != IOSIM_OK) {
    std::fprintf(stderr, "kestan-sim: %s\n", why);
    return kExitRefused;
  }
  char done[64];
  std::snprintf(done, sizeof done, "%s plugged at %XH", kind, base);
  int code = iosim_plug(kind, base);
  if (code == IOSIM_OK) forget_records(base);
  return answer(code, done);
}

int unplug(char **args, int) {
  unsigned short base;
  if (!parse_base(args[0], &base)) return usage_error("want a hexadecimal base, not", args[0]);
  char done[48];
  std::snprintf(done, sizeof done, "card at %XH unplugged", base);
  int code = iosim_unplug(base);
  if (code == IOSIM_OK) forget_records(base);
  return answer(code, done);
}

int cable(char **args, int) {
  unsigned short base;
  if (!parse_base(args[0], &base)) return usage_error("want a hexadecimal base, not", args[0]);
  bool on = !std::strcmp(args[1], "on");
  if (!on && std::strcmp(args[1], "off") != 0) return usage_error("want on or off, not", args[1]);
  char done[64];
  std::snprintf(done, sizeof done, "test cable of the card at %XH %s", base, on ? "plugged in" : "pulled out");
  return answer(iosim_set_loopback(base, on), done);
}

// BASE BANK LINE, shared by set and release.
bool parse_line(char **args, unsigned short *base, long *bank, long *line) {
  if (!parse_base(args[0], base)) return usage_error("want a hexadecimal base, not", args[0]), false;
  if (!parse_number(args[1], 0, kMaxBanks - 1, bank))
    return usage_error("want a bank from 0 to 17, not", args[1]), false;
  if (!parse_number(args[2], 0, 31, line)) return usage_error("want a line from 0 to 31, not", args[2]), false;
  return true;
}

int set(char **args, int) {
  unsigned short base;
  long bank, line, level;
  if (!parse_line(args, &base, &bank, &line)) return kExitUsage;
  if (!parse_number(args[3], 0, 1, &level)) return usage_error("want 0 or 1, not", args[3]);
  char done[64];
  std::snprintf(done, sizeof done, "input line %ld of bank %ld at %XH held at %ld", line, bank, base, level);
  unsigned mask = 1u << line;
  return answer(iosim_drive_inputs(base, static_cast<int>(bank), mask, level ? mask : 0), done);
}

int release(char **args, int) {
  unsigned short base;
  long bank, line;
  if (!parse_line(args, &base, &bank, &line)) return kExitUsage;
  char done[80];
  std::snprintf(done, sizeof done, "input line %ld of bank %ld at %XH follows its cable again", line, bank,
                base);
  return answer(iosim_release_inputs(base, static_cast<int>(bank), 1u << line), done);
}

// --- watch ------------------------------------------------------------------

struct Seen {
  iosim_card_info card;
  int banks;
  BankLines lines[kMaxBanks];
};

int look(Seen *seen) {
  iosim_card_info cards[kMaxCards];
  int n = iosim_cards(cards, kMaxCards);
  if (n > kMaxCards) n = kMaxCards;
  for (int i = 0; i < n; ++i) {
    seen[i].card = cards[i];
    seen[i].banks = read_banks(cards[i].base, seen[i].lines);
  }
  return n;
}

const Seen *find(const Seen *seen, int n, const iosim_card_info &card) {
  for (int i = 0; i < n; ++i)
    if (seen[i].card.base == card.base && !std::strcmp(seen[i].card.kind, card.kind)) return &seen[i];
  return nullptr;
}

void stamp() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local;
  localtime_r(&t, &local);
  long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::printf("%02d:%02d:%02d.%03ld ", local.tm_hour, local.tm_min, local.tm_sec, ms);
}

void report_changes(const Seen *before, int nb, const Seen *after, int na) {
  for (int i = 0; i < na; ++i) {
    const Seen &a = after[i];
    const Seen *b = find(before, nb, a.card);
    if (!b) {
      stamp();
      std::printf("%s@%X plugged\n", a.card.kind, a.card.base);
      continue;
    }
    int digits = bank_width(a.card.kind) / 4;
    for (int k = 0; k < a.banks && k < b->banks; ++k) {
      const char *what[2] = {"outputs", "inputs"};
      const unsigned was[2] = {b->lines[k].outputs, b->lines[k].inputs};
      const unsigned is[2] = {a.lines[k].outputs, a.lines[k].inputs};
      for (int w = 0; w < 2; ++w) {
        if (was[w] == is[w]) continue;
        stamp();
        std::printf("%s@%X bank %d %s 0x%0*X -> 0x%0*X\n", a.card.kind, a.card.base, k, what[w], digits,
                    was[w], digits, is[w]);
      }
    }
  }
  for (int i = 0; i < nb; ++i) {
    if (find(after, na, before[i].card)) continue;
    stamp();
    std::printf("%s@%X unplugged\n", before[i].card.kind, before[i].card.base);
  }
}

int watch(char **args, int count) {
  long seconds = 0;
  if (count && !parse_number(args[0], 1, 86400, &seconds))
    return usage_error("want a number of seconds, not", args[0]);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  static Seen a[kMaxCards], b[kMaxCards];
  Seen *before = a, *after = b;
  int nb = look(before);
  stamp();
  std::printf("watching %d card%s%s\n", nb, nb == 1 ? "" : "s", seconds ? "" : " (Ctrl-C ends)");
  using Steady = std::chrono::steady_clock;
  const auto end = Steady::now() + std::chrono::seconds(seconds);
  while (!seconds || Steady::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    int na = look(after);
    report_changes(before, nb, after, na);
    Seen *t = before;
    before = after;
    after = t;
    nb = na;
  }
  return kExitOk;
}

// --- journal ----------------------------------------------------------------

int journal(char **args, int count) {
  long last = 20;
  if (count && !parse_number(args[0], 1, IOSIM_JOURNAL_CAPACITY, &last))
    return usage_error("want a number of accesses from 1 to 65536, not", args[0]);
  std::vector<iosim_access> kept(IOSIM_JOURNAL_CAPACITY);
  int n = iosim_journal_read(kept.data(), IOSIM_JOURNAL_CAPACITY);
  static const char *const kOps[] = {"?", "in8", "in16", "out8", "out16"};
  std::printf("%lu port accesses since the journal was cleared; the last %d:\n", iosim_journal_total(),
              n < last ? n : static_cast<int>(last));
  for (int i = n < last ? 0 : n - static_cast<int>(last); i < n; ++i) {
    const iosim_access &a = kept[i];
    bool word = a.op == IOSIM_IN16 || a.op == IOSIM_OUT16;
    std::printf("  %-5s %04X  %0*X\n", kOps[a.op >= 1 && a.op <= 4 ? a.op : 0], a.port, word ? 4 : 2,
                a.value);
  }
  return kExitOk;
}

}  // namespace

const SimCommand kSimCommands[] = {
    {"status", "", 0, 0, "cards, their lines and the claims of running programs", status},
    {"reset", "", 0, 0, "back to the rack, every card at power-up, claims and kestan-io's records forgotten", reset},
    {"plug", "KIND@BASE", 1, 1, "plug a card, e.g. orvel@300", plug},
    {"unplug", "BASE", 1, 1, "take out the card with that base", unplug},
    {"cable", "BASE on|off", 2, 2, "put the card's test cable in or pull it out", cable},
    {"set", "BASE BANK LINE 0|1", 4, 4, "hold an input line from outside", set},
    {"release", "BASE BANK LINE", 3, 3, "let the line follow its cable (or float) again", release},
    {"watch", "[SECONDS]", 0, 1, "print line changes as they happen, with times", watch},
    {"journal", "[N]", 0, 1, "the last N port accesses (default 20)", journal},
};
const int kSimCommandCount = sizeof kSimCommands / sizeof kSimCommands[0];

bool shared_pc_reachable() {
  char path[512];
  if (iosim_pc_file(path, sizeof path) == 1) return true;
  if (cardio::sim_pc_private_asked()) return true;
  std::fprintf(stderr,
               "kestan-sim: the simulated PC %s cannot be used (see above): what this run showed or changed "
               "would be a private PC's, gone when it ends. Remedy: name a PC file of your own with "
               "KESTAN_SIM_PC\n",
               path);
  return false;
}
