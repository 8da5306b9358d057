// Port groups over one channel's 8255 (internal to ppicard).
#ifndef KIT_PPI_GROUPS_H
#define KIT_PPI_GROUPS_H

#include <cstdint>

#include "ppi_card_lib.h"

namespace ppicard {

// Splits a port code; false when the card has no such channel or group.
bool decode_port_code(const CardRules &rules, int code, int *channel, int *group);

unsigned channel_port(const Card &card, int channel, unsigned reg);

// Make the group's lines inputs or outputs (no port access when they are).
void set_group_direction(Card &card, int channel, int group, bool input);
// Write the channel's mode-set word from the shadow again, with the output
// write-back, whatever the chip holds now.
void reassert_channel(Card &card, int channel);
// Set every channel to the chip's power-up state.
void reset_channels(Card &card, int channels);
// Take what the chips hold into the shadow, writing nothing.
void adopt_channels(Card &card, int channels, const HeldChannels &held);

// Group access with no checks, the direction already set (interrupt path).
uint8_t input_group(Card &card, int channel, int group);
void output_group(Card &card, int channel, int group, unsigned value);
// The new value into the shadow (merged with the rest of the port); returns the port byte.
uint8_t merge_into_shadow(Card &card, int channel, int group, unsigned value);
bool group_is_output(const Card &card, int channel, int group);
// Write a group, making its lines outputs first if they are not.
void write_group_lines(Card &card, int channel, int group, unsigned value);

}  // namespace ppicard

#endif
