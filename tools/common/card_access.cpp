// The card operations over the seven libraries: one table of calls per kind,
// and the line, port and group rules of card_access.h on top of them.
#include "card_access.h"

#include "dulvar.h"
#include "fenmar.h"
#include "kestan.h"
#include "orvel.h"
#include "pellin.h"
#include "port_codes.h"
#include "sarrow.h"
#include "wendal.h"

namespace cardio {

namespace {

// The calls of one lamp-card library, by byte port where the card has none.
struct LampCalls {
  bool one_register;  // the ports are bytes of one register, written together
  int (*initial)(int card, int base);
  int (*set_card)(int card);
  int (*read_line)(int line, int *value);
  int (*write_line)(int line, unsigned value);
  int (*read_port)(int port, unsigned *value);
  int (*write_port)(int port, unsigned value);
  int (*read_back)(int port, unsigned *value);
};

// The calls of one 8255-card library.
struct PpiCalls {
  int (*initial)(int card, int base, int irq);
  int (*attach)(int card, int base, int irq, const unsigned char *modes, const unsigned char *latches);
  int (*set_card)(int card);
  int (*read_group)(int code, unsigned char *value);
  int (*write_group)(int code, unsigned value);
};

// The 8-bit calls, widened: call(port, &byte), then the byte into *value.
template <int (*call)(int, unsigned char *)>
int widened(int port, unsigned *value) {
  unsigned char byte = 0;
  int code = call(port, &byte);
  if (code == 0) *value = byte;
  return code;
}


// Sarrow: one 16-bit register; port 0 is its low byte, port 1 its high byte.
int sarrow_read_port(int port, unsigned *value) {
  unsigned word = 0;
  int code = W_Sarrow_DI(&word);
  if (code == 0) *value = (word >> (8 * port)) & 0xFF;
  return code;
}
int sarrow_read_back(int port, unsigned *value) {
  unsigned word = 0;
  int code = W_Sarrow_Read_Back(&word);
  if (code == 0) *value = (word >> (8 * port)) & 0xFF;
  return code;
}
int sarrow_write_port(int port, unsigned value) {
  unsigned word = 0;
  int code = W_Sarrow_Read_Back(&word);
  if (code != 0) return code;
  const unsigned shift = 8u * static_cast<unsigned>(port);
  return W_Sarrow_DO((word & ~(0xFFu << shift)) | ((value & 0xFF) << shift));
}

// Pellin: one input and one output port.
int pellin_di(int, unsigned char *value) { return W_Pellin_DI(value); }
int pellin_read_back(int, unsigned char *value) { return W_Pellin_Read_Back(value); }
int pellin_write_port(int, unsigned value) { return W_Pellin_DO(value); }

const LampCalls kKestanCalls = {false, W_Kestan_Initial, W_Kestan_Set_Card, W_Kestan_DI_Channel,
                                W_Kestan_DO_Channel, widened<W_Kestan_DI_8>, W_Kestan_DO_8,
                                widened<W_Kestan_Read_Back>};
const LampCalls kOrvelCalls = {false, W_Orvel_Initial, W_Orvel_Set_Card, W_Orvel_DI_Channel,
                               W_Orvel_DO_Channel, widened<W_Orvel_DI_8>, W_Orvel_DO_8,
                               widened<W_Orvel_Read_Back>};
const LampCalls kSarrowCalls = {true, W_Sarrow_Initial, W_Sarrow_Set_Card, W_Sarrow_DI_Channel,
                                W_Sarrow_DO_Channel, sarrow_read_port, sarrow_write_port,
                                sarrow_read_back};
const LampCalls kPellinCalls = {false, W_Pellin_Initial, W_Pellin_Set_Card, W_Pellin_DI_Channel,
                                W_Pellin_DO_Channel, widened<pellin_di>, pellin_write_port,
                                widened<pellin_read_back>};
const PpiCalls kFenmarCalls = {W_Fenmar_Initial, W_Fenmar_Attach, W_Fenmar_Set_Card, W_Fenmar_DI_Port,
                               W_Fenmar_DO_Port};
const PpiCalls kWendalCalls = {W_Wendal_Initial, W_Wendal_Attach, W_Wendal_Set_Card, W_Wendal_DI_Port,
                               W_Wendal_DO_Port};
const PpiCalls kDulvarCalls = {W_Dulvar_Initial, W_Dulvar_Attach, W_Dulvar_Set_Card, W_Dulvar_DI_Port,
                               W_Dulvar_DO_Port};

const LampCalls *const kLampCalls[kKindCount] = {&kKestanCalls, &kOrvelCalls, &kSarrowCalls,
                                                &kPellinCalls, nullptr, nullptr, nullptr};
const PpiCalls *const kPpiCalls[kKindCount] = {nullptr, nullptr, nullptr, nullptr,
                                              &kFenmarCalls, &kWendalCalls, &kDulvarCalls};

// The latched counter reads, by kind (null: the card has no counters).
int (*const kCounterReads[kKindCount])(int counter, unsigned *count) = {
  W_Kestan_Timer_Read, nullptr, nullptr, nullptr, nullptr, W_Wendal_Counter_Read, nullptr};

const LampCalls *lamp(const Card &card) { return kLampCalls[static_cast<int>(card.info->kind)]; }
const PpiCalls *ppi(const Card &card) { return kPpiCalls[static_cast<int>(card.info->kind)]; }

// Every call addresses the card's slot: the library's current card is one
// process-wide setting, and another card of the kind may have taken it.
int select(Card &card) {
  card.last_call = Call::SetCard;
  return lamp(card) ? lamp(card)->set_card(card.number) : ppi(card)->set_card(card.number);
}

// A refusal of the layer's own: no library call made it.
int refuse(Card &card, int code) {
  card.last_call = Call::None;
  return code;
}

bool port_ok(const Card &card, int port) { return port >= 0 && port < card.info->ports; }

// The Kestan and Orvel libraries take a port number and check it themselves
// (their code then tells what went wrong); for the others the layer does.
bool library_checks_ports(const Card &card) {
  return card.info->kind == Kind::Kestan || card.info->kind == Kind::Orvel;
}
bool port_in_reach(const Card &card, int port) { return port_ok(card, port) || library_checks_ports(card); }

// --- 8255 cards --------------------------------------------------------------

constexpr int kGroupsPerChannel = ppicard::kDirectionGroupsPerChannel;
constexpr int kPortsPerChannel = ppicard::kPortsPerChannel;
constexpr int kCodesPerChannel = ppicard::kCodesPerChannel;
constexpr int kWholePortC = ppicard::kGroupC;

// Index (into group_list) of the group that holds bit b of card port p.
int group_of(int port, int bit) {
  const int channel = port / kPortsPerChannel, p = port % kPortsPerChannel;
  const int in_channel = p < 2 ? p : (bit >= 4 ? 2 : 3);
  return channel * kGroupsPerChannel + in_channel;
}

GroupInfo group_at(const Card &card, int group) {
  GroupInfo groups[kMaxGroups];
  group_list(*card.info, groups, kMaxGroups);
  return groups[group];
}

bool is_output(const Card &card, int group) { return (card.state.output_groups >> group) & 1u; }

// The value the library takes for the group: its lines, moved to bit 0.
unsigned group_value(const GroupInfo &g, uint8_t port_byte) {
  return g.mask == 0xF0 ? (port_byte >> 4) & 0x0F : port_byte & g.mask;
}

void record_output(Card &card, int port, uint8_t byte, uint32_t groups) {
  card.state.outputs[port] = byte;
  card.state.known_ports |= 1u << port;
  card.state.output_groups |= groups;
}

int ppi_write_group(Card &card, int group, uint8_t port_byte) {
  const GroupInfo g = group_at(card, group);
  card.last_call = Call::WriteGroup;
  int code = ppi(card)->write_group(g.code, group_value(g, port_byte));
  if (code != 0) return code;
  const uint8_t merged =
    static_cast<uint8_t>((card.state.outputs[g.port] & ~g.mask) | (port_byte & g.mask));
  record_output(card, g.port, merged, 1u << group);
  return 0;
}

int ppi_read_group(Card &card, int group, uint8_t *lines) {
  const GroupInfo g = group_at(card, group);
  unsigned char value = 0;
  card.last_call = Call::ReadGroup;
  int code = ppi(card)->read_group(g.code, &value);
  if (code != 0) return code;
  *lines = static_cast<uint8_t>(g.mask == 0xF0 ? (value << 4) & 0xF0 : value & g.mask);
  card.state.output_groups &= ~(1u << group);
  return 0;
}

// A port's lines: the input groups read through the library, the output
// groups from their latch.
int ppi_read_port(Card &card, int port, unsigned *value) {
  uint8_t byte = static_cast<uint8_t>(card.state.outputs[port] & output_mask(card, port));
  const int channel = port / kPortsPerChannel;
  for (int i = 0; i < kGroupsPerChannel; ++i) {
    const int group = channel * kGroupsPerChannel + i;
    const GroupInfo g = group_at(card, group);
    if (g.port != port || is_output(card, group)) continue;
    uint8_t lines = 0;
    int code = ppi_read_group(card, group, &lines);
    if (code != 0) return code;
    byte |= lines;
  }
  *value = byte;
  return 0;
}

int ppi_write_port(Card &card, int port, unsigned value) {
  const int channel = port / kPortsPerChannel, p = port % kPortsPerChannel;
  card.last_call = Call::WriteGroup;
  int code = ppi(card)->write_group(channel * kCodesPerChannel + p, value & 0xFF);
  if (code != 0) return code;
  uint32_t groups = 1u << group_of(port, 0);
  if (p == kWholePortC) groups |= 1u << group_of(port, 7);
  record_output(card, port, static_cast<uint8_t>(value), groups);
  return 0;
}

// Registers a card whose chips hold state: each channel's mode from the
// recorded directions, its latches from the recorded ports.
int ppi_attach(Card &card, int irq, const CardState &state) {
  unsigned char modes[kMaxPorts / ppicard::kPortsPerChannel] = {}, latches[kMaxPorts] = {};
  for (int c = 0; c < card.info->ppi_channels; ++c)
    for (int g = 0; g < kGroupsPerChannel; ++g)
      if (!((state.output_groups >> (c * kGroupsPerChannel + g)) & 1u))
        modes[c] |= ppicard::kGroupTable[ppicard::kDirectionGroups[g]].input_bits;
  for (int p = 0; p < card.info->ports; ++p) latches[p] = state.outputs[p];
  return ppi(card)->attach(card.number, card.base, irq, modes, latches);
}

// Puts the recorded output groups back with their latches.
int ppi_restore(Card &card, const CardState &state) {
  GroupInfo groups[kMaxGroups];
  const int n = group_list(*card.info, groups, kMaxGroups);
  for (int i = 0; i < n; ++i) {
    if (!((state.output_groups >> i) & 1u)) continue;
    int code = ppi_write_group(card, i, state.outputs[groups[i].port]);
    if (code != 0) return code;
  }
  return 0;
}

// --- lamp cards --------------------------------------------------------------

// Before a line of a port is written: the library's copy of the port must be
// what the card drives, or the line write would switch the others off.
int lamp_reestablish(Card &card, int port) {
  if (!((card.state.known_ports >> port) & 1u)) return 0;
  unsigned held = 0;
  int code = lamp(card)->read_back(port, &held);
  if (code != 0 || held == card.state.outputs[port]) return code;
  return lamp(card)->write_port(port, card.state.outputs[port]);
}

// A whole port. Where the ports are bytes of one register, the others go
// out with it from the library's copy: that copy must be what they drive.
int lamp_write_port(Card &card, int port, unsigned value) {
  for (int other = 0; lamp(card)->one_register && other < card.info->ports; ++other) {
    int code = other == port ? 0 : lamp_reestablish(card, other);
    if (code != 0) return code;
  }
  card.last_call = Call::WritePort;
  int code = lamp(card)->write_port(port, value);
  if (code == 0) record_output(card, port, static_cast<uint8_t>(value), 0);
  return code;
}

int lamp_read_back(Card &card, int port, unsigned *value) {
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  int code = lamp(card)->read_back(port, value);
  // A port this process has not written yet: what the earlier runs left.
  if (code == 0 && ((card.state.known_ports >> port) & 1u)) *value = card.state.outputs[port];
  return code;
}

}  // namespace

int card_open(Card *card, Kind kind, int number, int base, int irq, const CardState *state) {
  card->info = &kind_info(kind);
  card->number = number;
  card->base = base;
  card->state = CardState{};
  card->last_call = Call::Initial;
  if (const LampCalls *calls = lamp(*card)) {
    int code = calls->initial(number, base);
    if (code == 0 && state) card->state = *state;
    return code;
  }
  if (state && state->held_by_card) {
    int code = ppi_attach(*card, irq, *state);
    if (code == 0) card->state = *state;
    return code;
  }
  int code = ppi(*card)->initial(number, base, irq);
  if (code != 0 || !state) return code;
  // The library has just set every chip to inputs with clear latches: the
  // recorded output groups go out again, each with its latch.
  card->state = *state;
  card->state.output_groups = 0;
  return ppi_restore(*card, *state);
}

int card_resync(Card &card, const CardState &state) {
  int code = select(card);
  if (code != 0) return code;
  if (lamp(card)) {
    card.state = state;
    return 0;
  }
  GroupInfo groups[kMaxGroups];
  const int n = group_list(*card.info, groups, kMaxGroups);
  for (int i = 0; i < n; ++i) {
    const bool out = (state.output_groups >> i) & 1u;
    const uint8_t mask = groups[i].mask;
    const uint8_t latch = state.outputs[groups[i].port] & mask;
    if (out == is_output(card, i) && (!out || latch == (card.state.outputs[groups[i].port] & mask))) continue;
    uint8_t lines = 0;
    code = out ? ppi_write_group(card, i, state.outputs[groups[i].port]) : ppi_read_group(card, i, &lines);
    if (code != 0) return code;
  }
  card.state.known_ports |= state.known_ports;
  return 0;
}

int read_input_line(Card &card, int line, int *value) {
  int code = select(card);
  if (code != 0) return code;
  card.last_call = Call::ReadLine;
  if (const LampCalls *calls = lamp(card)) return calls->read_line(line, value);
  if (line < 0 || line >= card.info->input_lines) return refuse(card, kNoSuchLine);
  const int port = line / kLinesPerPort, bit = line % kLinesPerPort;
  const int group = group_of(port, bit);
  uint8_t lines = card.state.outputs[port];
  if (!is_output(card, group) && (code = ppi_read_group(card, group, &lines)) != 0) return code;
  *value = (lines >> bit) & 1;
  return 0;
}

int write_output_line(Card &card, int line, int value) {
  int code = select(card);
  if (code != 0) return code;
  const int port = line / kLinesPerPort, bit = line % kLinesPerPort;
  if (const LampCalls *calls = lamp(card)) {
    if (line >= 0 && port_ok(card, port) && (code = lamp_reestablish(card, port)) != 0) return code;
    card.last_call = Call::WriteLine;
    code = calls->write_line(line, static_cast<unsigned>(value));
    unsigned now = 0;
    if (code == 0 && calls->read_back(port, &now) == 0)
      record_output(card, port, static_cast<uint8_t>(now), 0);
    return code;
  }
  if (line < 0 || line >= card.info->output_lines) return refuse(card, kNoSuchLine);
  if (value != 0 && value != 1) return refuse(card, kBadLineValue);
  const uint8_t mask = static_cast<uint8_t>(1u << bit);
  const uint8_t byte = static_cast<uint8_t>((card.state.outputs[port] & ~mask) | (value ? mask : 0));
  return ppi_write_group(card, group_of(port, bit), byte);
}

int read_input_port(Card &card, int port, unsigned *value) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  card.last_call = Call::ReadPort;
  if (const LampCalls *calls = lamp(card)) return calls->read_port(port, value);
  return ppi_read_port(card, port, value);
}

int write_output_port(Card &card, int port, unsigned value) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_in_reach(card, port)) return refuse(card, kNoSuchLine);
  if (lamp(card)) return lamp_write_port(card, port, value);
  return ppi_write_port(card, port, value);
}

int write_output_lines(Card &card, int port, uint8_t mask, uint8_t lines) {
  int code = select(card);
  if (code != 0) return code;
  if (!port_ok(card, port)) return refuse(card, kNoSuchLine);
  const auto merged = [&](unsigned now) { return static_cast<uint8_t>((now & ~mask) | (lines & mask)); };
  if (lamp(card)) {
    unsigned now = 0;
    code = lamp_read_back(card, port, &now);
    return code != 0 ? code : lamp_write_port(card, port, merged(now));
  }
  uint32_t written = 0;
  for (int bit = 0; bit < kLinesPerPort; ++bit) {
    const int group = group_of(port, bit);
    if (!((mask >> bit) & 1u) || ((written >> group) & 1u)) continue;
    written |= 1u << group;
    if ((code = ppi_write_group(card, group, merged(card.state.outputs[port]))) != 0) return code;
  }
  return 0;
}

int read_output_port(Card &card, int port, unsigned *value) {
  int code = select(card);
  if (code != 0) return code;
  if (lamp(card)) return lamp_read_back(card, port, value);
  if (!port_ok(card, port)) return refuse(card, kNoSuchLine);
  *value = card.state.outputs[port];
  return 0;
}

int set_direction(Card &card, int group, Direction direction) {
  int code = select(card);
  if (code != 0) return code;
  GroupInfo groups[kMaxGroups];
  if (group < 0 || group >= group_list(*card.info, groups, kMaxGroups)) return refuse(card, kNoSuchGroup);
  if (direction == Direction::Output) return ppi_write_group(card, group, card.state.outputs[groups[group].port]);
  uint8_t lines = 0;
  return ppi_read_group(card, group, &lines);
}

Direction group_direction(const Card &card, int group) {
  return is_output(card, group) ? Direction::Output : Direction::Input;
}

uint8_t output_mask(const Card &card, int port) {
  if (lamp(card)) return 0xFF;
  uint8_t mask = 0;
  const int channel = port / kPortsPerChannel;
  for (int i = 0; i < kGroupsPerChannel; ++i) {
    const int group = channel * kGroupsPerChannel + i;
    const GroupInfo g = group_at(card, group);
    if (g.port == port && is_output(card, group)) mask |= g.mask;
  }
  return mask;
}

int counter_start(Card &card, int counter, int mode, unsigned count) {
  if (!card.info->counter_control) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerStart;
  return code != 0 ? code : W_Kestan_Timer_Start(counter, mode, count);
}

int counter_read(Card &card, int counter, unsigned *count) {
  if (card.info->counters == 0) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerRead;
  return code != 0 ? code : kCounterReads[static_cast<int>(card.info->kind)](counter, count);
}

int counter_stop(Card &card, int counter, unsigned *count) {
  if (!card.info->counter_control) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::TimerStop;
  return code != 0 ? code : W_Kestan_Timer_Stop(counter, count);
}

int clock_start(Card &card, int divisor1, int divisor2) {
  if (!card.info->sampling_clock) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::ClockStart;
  return code != 0 ? code : W_Wendal_Clock_Start(divisor1, divisor2);
}

int clock_stop(Card &card) {
  if (!card.info->sampling_clock) return refuse(card, kNoCounter);
  int code = select(card);
  card.last_call = Call::ClockStop;
  return code != 0 ? code : W_Wendal_Clock_Stop();
}

}  // namespace cardio
