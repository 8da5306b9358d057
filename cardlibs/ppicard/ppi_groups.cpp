#include "ppi_groups.h"

#include "ioport.h"

namespace ppicard {

namespace {

// Lines of the port that the mode-set word makes outputs.
uint8_t output_lines(uint8_t mode, unsigned port) {
  uint8_t lines = 0;
  for (int group : kDirectionGroups) {
    const GroupInfo &g = kGroupTable[group];
    if (g.port == port && !(mode & g.input_bits)) lines |= g.mask;
  }
  return lines;
}

// The mode-set word and the write-back right after it, from the shadow.
void write_mode(Card &card, int channel, uint8_t mode) {
  ChannelShadow &sh = card.channel[channel];
  sh.mode.store(mode, std::memory_order_relaxed);
  io_out8(static_cast<unsigned short>(channel_port(card, channel, ppi8255::kControlRegister)), mode);
  for (unsigned port = ppi8255::kPortA; port <= ppi8255::kPortC; ++port) {
    const uint8_t latch = sh.latch[port].load(std::memory_order_relaxed);
    if (output_lines(mode, port) & latch)
      io_out8(static_cast<unsigned short>(channel_port(card, channel, port)), latch);
  }
}

}  // namespace

bool decode_port_code(const CardRules &rules, int code, int *channel, int *group) {
  if (code < 0) return false;
  const int ch = code / kCodesPerChannel;
  const int g = code % kCodesPerChannel;
  if (ch >= rules.channels || g >= kGroups) return false;
  *channel = ch;
  *group = g;
  return true;
}

unsigned channel_port(const Card &card, int channel, unsigned reg) {
  return static_cast<unsigned>(card.base) + kChannelStride * static_cast<unsigned>(channel) + reg;
}

void set_group_direction(Card &card, int channel, int group, bool input) {
  const uint8_t bits = kGroupTable[group].input_bits;
  const uint8_t mode = card.channel[channel].mode.load(std::memory_order_relaxed);
  const uint8_t wanted = static_cast<uint8_t>(ppi8255::kModeSet | (input ? (mode | bits) : (mode & ~bits)));
  if (wanted != mode) write_mode(card, channel, wanted);
}

void reassert_channel(Card &card, int channel) {
  write_mode(card, channel, card.channel[channel].mode.load(std::memory_order_relaxed));
}

void reset_channels(Card &card, int channels) {
  for (int c = 0; c < channels; ++c) {
    ChannelShadow &sh = card.channel[c];
    for (auto &latch : sh.latch) latch.store(0, std::memory_order_relaxed);
    write_mode(card, c, ppi8255::kAllInputs);
  }
}

void adopt_channels(Card &card, int channels, const HeldChannels &held) {
  for (int c = 0; c < channels; ++c) {
    ChannelShadow &sh = card.channel[c];
    sh.mode.store(static_cast<uint8_t>(ppi8255::kModeSet | held.mode[c]), std::memory_order_relaxed);
    for (unsigned port = ppi8255::kPortA; port <= ppi8255::kPortC; ++port)
      sh.latch[port].store(held.latch[c][port], std::memory_order_relaxed);
  }
}

uint8_t input_group(Card &card, int channel, int group) {
  const GroupInfo &g = kGroupTable[group];
  const uint8_t v = io_in8(static_cast<unsigned short>(channel_port(card, channel, g.port)));
  return static_cast<uint8_t>((v & g.mask) >> g.shift);
}

uint8_t merge_into_shadow(Card &card, int channel, int group, unsigned value) {
  const GroupInfo &g = kGroupTable[group];
  std::atomic<uint8_t> &latch = card.channel[channel].latch[g.port];
  const uint8_t merged = static_cast<uint8_t>((latch.load(std::memory_order_relaxed) & ~g.mask) |
                                              ((value << g.shift) & g.mask));
  latch.store(merged, std::memory_order_relaxed);
  return merged;
}

void output_group(Card &card, int channel, int group, unsigned value) {
  const uint8_t merged = merge_into_shadow(card, channel, group, value);
  io_out8(static_cast<unsigned short>(channel_port(card, channel, kGroupTable[group].port)), merged);
}

bool group_is_output(const Card &card, int channel, int group) {
  return !(card.channel[channel].mode.load(std::memory_order_relaxed) & kGroupTable[group].input_bits);
}

void write_group_lines(Card &card, int channel, int group, unsigned value) {
  if (group_is_output(card, channel, group)) {
    output_group(card, channel, group, value);
    return;
  }
  // The new value rides on the write-back that follows the mode-set word.
  merge_into_shadow(card, channel, group, value);
  set_group_direction(card, channel, group, false);
}

}  // namespace ppicard
