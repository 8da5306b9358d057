// The calls of card_access.h: what every kind shares is checked here (the
// card's slot, the line, port and group numbers, which counters it has),
// and the rest is the kind's own (card_ops.h).
#include "card_access.h"

#include "card_ops.h"

namespace cardio {

namespace {

// By Kind.
const CardOps *const kOps[kKindCount] = {&kKestanOps, &kOrvelOps,  &kSarrowOps, &kPellinOps,
                                         &kFenmarOps, &kWendalOps, &kDulvarOps};

const CardOps &ops(const Card &card) { return card_ops(card.info->kind); }

// Every call addresses the card's slot: the library's current card is one
// process-wide setting, and another card of the kind may have taken it.
int select(Card &card) {
  card.last_call = Call::SetCard;
  return ops(card).set_card(card.number);
}

// A port the card has, or one its library checks itself.
bool port_in_reach(const Card &card, int port) { return port_ok(card, port) || ops(card).checks_ports; }

}  // namespace

const CardOps &card_ops(Kind kind) { return *kOps[static_cast<int>(kind)]; }

int card_open(Card *card, Kind kind, int number, int base, int irq, const CardState *state) {
  card->info = &kind_info(kind);
  card->number = number;
  card->base = base;
  card->state = CardState{};
  card->last_call = Call::Initial;
  return card_ops(kind).open(*card, irq, state);
}

int card_resync(Card &card, const CardState &state) {
  int code = select(card);
  return code != 0 ? code : ops(card).resync(card, state);
}

int read_input_line(Card &card, int line, int *value) {
  int code = select(card);
  if (code != 0) return code;
  card.last_call = Call::ReadLine;
  return ops(card).read_line(card, line, value);
}

int write_output_line(Card &card, int line, int value) {
  int code = select(card);
  return code != 0 ? code : ops(card).write_line(card, line, value);
}

int read_input_port(Card &card, int port, unsigned *value) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  card.last_call = Call::ReadPort;
  return ops(card).read_port(card, port, value);
}

int write_output_port(Card &card, int port, unsigned value) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  return ops(card).write_port(card, port, value);
}

int write_output_lines(Card &card, int port, uint8_t mask, uint8_t lines) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_ok(card, port)) return refuse(card, kNoSuchLine);
  return ops(card).write_lines(card, port, mask, lines);
}

int read_output_port(Card &card, int port, unsigned *value) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  return ops(card).read_back(card, port, value);
}

int set_direction(Card &card, int group, Direction direction) {
  int code = select(card);
  if (code != 0) return code;
  GroupInfo groups[kMaxGroups];
  if (group < 0 || group >= group_list(*card.info, groups, kMaxGroups) || !ops(card).set_direction)
    return refuse(card, kNoSuchGroup);
  return ops(card).set_direction(card, group, direction);
}

Direction group_direction(const Card &card, int group) {
  return is_output(card, group) ? Direction::Output : Direction::Input;
}

uint8_t output_mask(const Card &card, int port) { return ops(card).output_mask(card, port); }

int counter_start(Card &card, int counter, int mode, unsigned count) {
  if (!ops(card).counters.start) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerStart;
  return code != 0 ? code : ops(card).counters.start(counter, mode, count);
}

int counter_read(Card &card, int counter, unsigned *count) {
  if (!ops(card).counters.read) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerRead;
  return code != 0 ? code : ops(card).counters.read(counter, count);
}

int counter_stop(Card &card, int counter, unsigned *count) {
  if (!ops(card).counters.stop) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerStop;
  return code != 0 ? code : ops(card).counters.stop(counter, count);
}

int clock_start(Card &card, int divisor1, int divisor2) {
  if (!ops(card).counters.clock_start) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::ClockStart;
  return code != 0 ? code : ops(card).counters.clock_start(divisor1, divisor2);
}

int clock_stop(Card &card) {
  if (!ops(card).counters.clock_stop) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::ClockStop;
  return code != 0 ? code : ops(card).counters.clock_stop();
}

}  // namespace cardio
