// probe and scan: is a card of the kind answering at a base, and at which
// bases. Both only read (card_signature.h tells what they look for). Neither
// goes through the card library, whose initialising call would claim the
// range and, on the 8255 cards, reprogram the chips.
#include <cstdio>

#include "card_json.h"
#include "card_signature.h"
#include "ioport.h"
#include "tool.h"

namespace {

const char *verdict_name(Verdict v) {
  switch (v) {
    case Verdict::Answers: return "answers";
    case Verdict::Silent: return "silent";
    case Verdict::OtherCard: return "other-card";
    case Verdict::CannotTell: return "cannot-tell";
  }
  return "";
}

// What the verdict means, after "0x2A8: ".
void say_verdict(const cardio::KindInfo &k, const Signature &s) {
  switch (s.verdict) {
    case Verdict::Answers:
      std::printf("a %s card answers (%d of %d ports not FFH", k.name, s.not_ff, s.read);
      if (s.counting >= 0) std::printf(", %d of %d counters counting", s.counting, k.counters);
      std::printf(")%s\n", s.inputs_float ? "; its inputs all read 1: its test cable is out, or nothing drives them"
                                          : "");
      return;
    case Verdict::Silent:
      std::printf("nothing answers (%d ports read FFH): no card, or a %s card whose lines all read 1 "
                  "(its test cable out, every line an input); cannot tell which\n",
                  s.read, k.name);
      return;
    case Verdict::OtherCard:
      if (s.telling_port >= 0)
        std::printf("no %s card: port %03XH answers where a %s card reads FFH (another card's ports)\n", k.name,
                    s.telling_port, k.name);
      else
        std::printf("no %s card: its ports answer but its counters read FFH (another card's ports)\n", k.name);
      return;
    case Verdict::CannotTell:
      std::printf("its ports answer as a %s card's would, but so does port %03XH below them: part of another "
                  "card, or a %s card beside it; cannot tell which\n",
                  k.name, s.telling_port, k.name);
      return;
  }
}

void print_signature(const Options &o, int base, const Signature &s, const char *busy) {
  if (o.json) {
    cardio::Json answer{{"kind", o.kind->name}, {"base", base}, {"answers", s.verdict == Verdict::Answers},
                        {"verdict", busy ? "busy" : verdict_name(s.verdict)}, {"ports_not_ff", s.not_ff},
                        {"ports_read", s.read}};
    if (s.counting >= 0) answer["counters_counting"] = s.counting;
    if (s.verdict == Verdict::Answers) answer["inputs_float"] = s.inputs_float;
    if (busy) answer["busy"] = busy;
    return cardio::print_json(answer);
  }
  std::printf("0x%03X: ", base);
  if (busy)
    std::printf("busy (%s), not read\n", busy);
  else
    say_verdict(*o.kind, s);
}

}  // namespace

int run_probe(const Options &o, int argc, char **) {
  if (argc > 0) return usage_error("probe takes no operands");
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  const int base = static_cast<int>(o.base);
  // The port below tells whether the range starts a card: it is read too.
  int code = check_ports(o, base > cardio::kCardWindowFirst ? base - 1 : base, o.kind->decoded_ports + 1, false);
  if (code != kExitOk) return code;
  Signature s = read_signature(*o.kind, base, base <= cardio::kCardWindowFirst);
  print_signature(o, base, s, nullptr);
  return s.verdict == Verdict::Answers ? kExitOk : kExitNoCard;
}

// Every base of the kind, upwards; a card found is reported once, and the
// bases inside it are not read as cards of their own.
int run_scan(const Options &o, int argc, char **) {
  if (argc > 0) return usage_error("scan takes no operands");
  const cardio::KindInfo &k = *o.kind;
  const int window = cardio::kCardWindowLast + 1 - cardio::kCardWindowFirst;
  int code = check_ports(o, cardio::kCardWindowFirst, window, false);
  if (code != kExitOk) return code;
  int card_end = 0;  // one past the last card found
  for (int base = k.base_first; base <= k.base_last; base += k.base_step) {
    if (base < card_end) continue;
    char owner[160];
    const bool busy = !o.force && !on_simulator() && ports_busy(base, k.decoded_ports, owner, sizeof owner);
    if (busy) {
      print_signature(o, base, Signature{Verdict::Silent, 0, 0, -1, false, -1}, owner);
      continue;
    }
    Signature s = read_signature(k, base, base == card_end || base <= cardio::kCardWindowFirst);
    if (s.verdict != Verdict::Answers) continue;
    print_signature(o, base, s, nullptr);
    card_end = base + k.decoded_ports;
  }
  return kExitOk;
}
