// probe and scan: is a card of the kind answering at a base, and at which
// bases. Both only read: the ports a card of the kind answers on (its inputs
// and 8255 ports, never a control register), and on the Kestan card the
// counters, latched twice a few milliseconds apart. A bus with no card reads
// FFH everywhere; a counter that keeps its count is not counting (or was
// never started). Neither goes through the card library, whose initialising
// call would claim the range and, on the 8255 cards, reprogram the chips.
#include <cstdio>
#include <ctime>

#include "ioport.h"
#include "card_json.h"
#include "tool.h"

namespace {

constexpr int kWindowFirst = 0x200, kWindowLength = 0x200;
constexpr int kCounterControl = 7;  // Kestan: 8254 control register
constexpr int kCounterData = 4;     // counter k at + 4 + k
constexpr int kKestanCounters = 3;

struct Answer {
  int read;      // ports read
  int not_ff;    // of them not FFH
  int counting;  // Kestan counters whose count moved (-1: not a Kestan card)
};

// The offsets a probe reads: what the card answers on when it is there.
int probe_offsets(const cardio::KindInfo &k, int *offsets) {
  int n = 0;
  if (k.ppi_channels == 0) {
    for (int p = 0; p < k.ports; ++p) offsets[n++] = p;  // input ports at + 0 (sarrow: the data word)
  } else {
    for (int c = 0; c < k.ppi_channels; ++c)
      for (int p = 0; p < 3; ++p) offsets[n++] = 4 * c + p;
  }
  return n;
}

unsigned latch_counter(int base, int counter) {
  io_out8(static_cast<unsigned short>(base + kCounterControl), static_cast<unsigned char>(counter << 6));
  const unsigned short data = static_cast<unsigned short>(base + kCounterData + counter);
  const unsigned low = io_in8(data);
  return low | (static_cast<unsigned>(io_in8(data)) << 8);
}

Answer probe_base(const cardio::KindInfo &k, int base) {
  Answer a{0, 0, -1};
  int offsets[32];
  const int n = probe_offsets(k, offsets);
  for (int i = 0; i < n; ++i) {
    ++a.read;
    if (io_in8(static_cast<unsigned short>(base + offsets[i])) != 0xFF) ++a.not_ff;
  }
  if (k.kind == cardio::Kind::Kestan) {
    unsigned before[kKestanCounters];
    for (int c = 0; c < kKestanCounters; ++c) before[c] = latch_counter(base, c);
    timespec pause = {0, 3000000};
    nanosleep(&pause, nullptr);
    a.counting = 0;
    for (int c = 0; c < kKestanCounters; ++c)
      if (latch_counter(base, c) != before[c]) ++a.counting;
  }
  return a;
}

bool answers(const Answer &a) { return a.not_ff > 0 || a.counting > 0; }

void print_answer(const Options &o, int base, const Answer &a, const char *busy) {
  const bool yes = answers(a);
  if (o.json) {
    cardio::Json answer{{"kind", o.kind->name}, {"base", base}, {"answers", yes}, {"ports_not_ff", a.not_ff},
                        {"ports_read", a.read}};
    if (a.counting >= 0) answer["counters_counting"] = a.counting;
    if (busy) answer["busy"] = busy;
    return cardio::print_json(answer);
  }
  std::printf("0x%03X: ", base);
  if (busy) {
    std::printf("busy (%s), not read\n", busy);
    return;
  }
  std::printf("%s (%d of %d ports not FFH", yes ? "a card answers" : "nothing answers", a.not_ff, a.read);
  if (a.counting >= 0) std::printf(", %d of 3 counters counting", a.counting);
  std::printf(")\n");
}

}  // namespace

int run_probe(const Options &o, int argc, char **) {
  if (argc > 0) return usage_error("probe takes no operands");
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  int code = check_ports(o, static_cast<int>(o.base), o.kind->decoded_ports, o.kind->kind == cardio::Kind::Kestan);
  if (code != kExitOk) return code;
  Answer a = probe_base(*o.kind, static_cast<int>(o.base));
  print_answer(o, static_cast<int>(o.base), a, nullptr);
  return answers(a) ? kExitOk : kExitNoCard;
}

int run_scan(const Options &o, int argc, char **) {
  if (argc > 0) return usage_error("scan takes no operands");
  const cardio::KindInfo &k = *o.kind;
  int code = check_ports(o, kWindowFirst, kWindowLength, false);
  if (code != kExitOk) return code;
  for (int base = k.base_first; base <= k.base_last; base += k.base_step) {
    char owner[160];
    const bool busy = !o.force && !on_simulator() && ports_busy(base, k.decoded_ports, owner, sizeof owner);
    Answer a = busy ? Answer{0, 0, -1} : probe_base(k, base);
    if (busy || answers(a)) print_answer(o, base, a, busy ? owner : nullptr);
  }
  return kExitOk;
}
