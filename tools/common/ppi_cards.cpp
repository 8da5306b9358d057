// The 8255 cards (fenmar, wendal, dulvar): 24 lines per channel, line
// 24c + 8p + b bit b of port p (A, B, C) of channel c, in direction groups
// (A, B, C upper, C lower) that are each input or output. The library reads
// and writes a group by its port code; the layer keeps each group's
// direction and latch, so an output group reads what it drives and only a
// read of an input group reaches the library's read call.
#include "card_ops.h"
#include "dulvar.h"
#include "fenmar.h"
#include "port_codes.h"
#include "wendal.h"

namespace cardio {

namespace {

// The calls of one 8255-card library.
struct PpiCalls {
  int (*initial)(int card, int base, int irq);
  int (*attach)(int card, int base, int irq, const unsigned char *modes, const unsigned char *latches);
  int (*set_card)(int card);
  int (*read_group)(int code, unsigned char *value);
  int (*write_group)(int code, unsigned value);
};

constexpr PpiCalls kFenmarCalls = {W_Fenmar_Initial, W_Fenmar_Attach, W_Fenmar_Set_Card, W_Fenmar_DI_Port,
                                   W_Fenmar_DO_Port};
constexpr PpiCalls kWendalCalls = {W_Wendal_Initial, W_Wendal_Attach, W_Wendal_Set_Card, W_Wendal_DI_Port,
                                   W_Wendal_DO_Port};
constexpr PpiCalls kDulvarCalls = {W_Dulvar_Initial, W_Dulvar_Attach, W_Dulvar_Set_Card, W_Dulvar_DI_Port,
                                   W_Dulvar_DO_Port};

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

// The value the library takes for the group: its lines, moved to bit 0.
unsigned group_value(const GroupInfo &g, uint8_t port_byte) {
  return g.mask == 0xF0 ? (port_byte >> 4) & 0x0F : port_byte & g.mask;
}

// The port's lines that are outputs.
uint8_t outputs_in_port(const Card &card, int port) {
  uint8_t mask = 0;
  const int channel = port / kPortsPerChannel;
  for (int i = 0; i < kGroupsPerChannel; ++i) {
    const int group = channel * kGroupsPerChannel + i;
    const GroupInfo g = group_at(card, group);
    if (g.port == port && is_output(card, group)) mask |= g.mask;
  }
  return mask;
}

// The operations of an 8255 card whose library has the calls P.
template <const PpiCalls &P>
struct PpiCard {
  static int write_group(Card &card, int group, uint8_t port_byte) {
    const GroupInfo g = group_at(card, group);
    card.last_call = Call::WriteGroup;
    int code = P.write_group(g.code, group_value(g, port_byte));
    if (code != 0) return code;
    const uint8_t merged = static_cast<uint8_t>((card.state.outputs[g.port] & ~g.mask) | (port_byte & g.mask));
    record_output(card, g.port, merged, 1u << group);
    return 0;
  }

  static int read_group(Card &card, int group, uint8_t *lines) {
    const GroupInfo g = group_at(card, group);
    unsigned char value = 0;
    card.last_call = Call::ReadGroup;
    int code = P.read_group(g.code, &value);
    if (code != 0) return code;
    *lines = static_cast<uint8_t>(g.mask == 0xF0 ? (value << 4) & 0xF0 : value & g.mask);
    card.state.output_groups &= ~(1u << group);
    return 0;
  }

  // Registers a card whose chips hold state: each channel's mode from the
  // recorded directions, its latches from the recorded ports.
  static int attach(Card &card, int irq, const CardState &state) {
    unsigned char modes[kMaxPorts / kPortsPerChannel] = {}, latches[kMaxPorts] = {};
    for (int c = 0; c < card.info->ppi_channels; ++c)
      for (int g = 0; g < kGroupsPerChannel; ++g)
        if (!((state.output_groups >> (c * kGroupsPerChannel + g)) & 1u))
          modes[c] |= ppicard::kGroupTable[ppicard::kDirectionGroups[g]].input_bits;
    for (int p = 0; p < card.info->ports; ++p) latches[p] = state.outputs[p];
    return P.attach(card.number, card.base, irq, modes, latches);
  }

  // Puts the recorded output groups back with their latches.
  static int restore(Card &card, const CardState &state) {
    GroupInfo groups[kMaxGroups];
    const int n = group_list(*card.info, groups, kMaxGroups);
    for (int i = 0; i < n; ++i) {
      if (!((state.output_groups >> i) & 1u)) continue;
      int code = write_group(card, i, state.outputs[groups[i].port]);
      if (code != 0) return code;
    }
    return 0;
  }

  static int open(Card &card, int irq, const CardState *state) {
    if (state && state->held_by_card) {
      int code = attach(card, irq, *state);
      if (code == 0) card.state = *state;
      return code;
    }
    int code = P.initial(card.number, card.base, irq);
    if (code != 0 || !state) return code;
    // The library has just set every chip to inputs with clear latches: the
    // recorded output groups go out again, each with its latch.
    card.state = *state;
    card.state.output_groups = 0;
    return restore(card, *state);
  }

  // Every group whose direction or latch differs from state goes out again.
  static int resync(Card &card, const CardState &state) {
    GroupInfo groups[kMaxGroups];
    const int n = group_list(*card.info, groups, kMaxGroups);
    for (int i = 0; i < n; ++i) {
      const bool out = (state.output_groups >> i) & 1u;
      const uint8_t mask = groups[i].mask;
      const uint8_t latch = state.outputs[groups[i].port] & mask;
      if (out == is_output(card, i) && (!out || latch == (card.state.outputs[groups[i].port] & mask))) continue;
      uint8_t lines = 0;
      int code = out ? write_group(card, i, state.outputs[groups[i].port]) : read_group(card, i, &lines);
      if (code != 0) return code;
    }
    card.state.known_ports |= state.known_ports;
    return 0;
  }

  static int read_line(Card &card, int line, int *value) {
    if (line < 0 || line >= card.info->input_lines) return refuse(card, kNoSuchLine);
    const int port = line / kLinesPerPort, bit = line % kLinesPerPort;
    const int group = group_of(port, bit);
    uint8_t lines = card.state.outputs[port];
    int code = 0;
    if (!is_output(card, group) && (code = read_group(card, group, &lines)) != 0) return code;
    *value = (lines >> bit) & 1;
    return 0;
  }

  static int write_line(Card &card, int line, int value) {
    if (line < 0 || line >= card.info->output_lines) return refuse(card, kNoSuchLine);
    if (value != 0 && value != 1) return refuse(card, kBadLineValue);
    const int port = line / kLinesPerPort, bit = line % kLinesPerPort;
    const uint8_t mask = static_cast<uint8_t>(1u << bit);
    const uint8_t byte = static_cast<uint8_t>((card.state.outputs[port] & ~mask) | (value ? mask : 0));
    return write_group(card, group_of(port, bit), byte);
  }

  // A port's lines: the input groups read through the library, the output
  // groups from their latch.
  static int read_port(Card &card, int port, unsigned *value) {
    uint8_t byte = static_cast<uint8_t>(card.state.outputs[port] & outputs_in_port(card, port));
    const int channel = port / kPortsPerChannel;
    for (int i = 0; i < kGroupsPerChannel; ++i) {
      const int group = channel * kGroupsPerChannel + i;
      const GroupInfo g = group_at(card, group);
      if (g.port != port || is_output(card, group)) continue;
      uint8_t lines = 0;
      int code = read_group(card, group, &lines);
      if (code != 0) return code;
      byte |= lines;
    }
    *value = byte;
    return 0;
  }

  static int write_port(Card &card, int port, unsigned value) {
    const int channel = port / kPortsPerChannel, p = port % kPortsPerChannel;
    card.last_call = Call::WriteGroup;
    int code = P.write_group(channel * kCodesPerChannel + p, value & 0xFF);
    if (code != 0) return code;
    uint32_t groups = 1u << group_of(port, 0);
    if (p == kWholePortC) groups |= 1u << group_of(port, 7);
    record_output(card, port, static_cast<uint8_t>(value), groups);
    return 0;
  }

  // One write per direction group the mask touches, each made an output.
  static int write_lines(Card &card, int port, uint8_t mask, uint8_t lines) {
    uint32_t written = 0;
    for (int bit = 0; bit < kLinesPerPort; ++bit) {
      const int group = group_of(port, bit);
      if (!((mask >> bit) & 1u) || ((written >> group) & 1u)) continue;
      written |= 1u << group;
      const uint8_t merged = static_cast<uint8_t>((card.state.outputs[port] & ~mask) | (lines & mask));
      int code = write_group(card, group, merged);
      if (code != 0) return code;
    }
    return 0;
  }

  // The latch: what the output groups drive.
  static int read_back(Card &card, int port, unsigned *value) {
    *value = card.state.outputs[port];
    return 0;
  }

  static int set_direction(Card &card, int group, Direction direction) {
    if (direction == Direction::Output) return write_group(card, group, card.state.outputs[group_at(card, group).port]);
    uint8_t lines = 0;
    return read_group(card, group, &lines);
  }

  static constexpr CardOps ops(const char *name, CounterCalls counters = {}) {
    return {name, false, P.set_card, open, resync, read_line, write_line, read_port, write_port, write_lines,
            read_back, set_direction, outputs_in_port, counters};
  }
};

}  // namespace

extern const CardOps kFenmarOps = PpiCard<kFenmarCalls>::ops("fenmar");
// Wendal: the latched reads of its 8254, and the sampling clock on its counters 1 and 2.
extern const CardOps kWendalOps = PpiCard<kWendalCalls>::ops(
  "wendal", {nullptr, W_Wendal_Counter_Read, nullptr, W_Wendal_Clock_Start, W_Wendal_Clock_Stop});
extern const CardOps kDulvarOps = PpiCard<kDulvarCalls>::ops("dulvar");

}  // namespace cardio
