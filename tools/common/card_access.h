// One way for the native tools to reach a card of any of the seven kinds,
// over the kinds' own driver libraries (libkestan.so, liborvel.so, ...).
//
// A card has numbered lines and byte-wide ports:
//   lamp cards (kestan, orvel, sarrow, pellin): input line n and output
//     line n, bit n % 8 of input or output port n / 8;
//   8255 cards (fenmar, wendal, dulvar): 24 lines per channel (8255 chip),
//     line 24c + 8p + b is bit b of port p (0 A, 1 B, 2 C) of channel c, and
//     the lines are in direction groups (A, B, C upper, C lower: port codes
//     256c + 0, 1, 3, 4), each input or output. A line of an output group
//     reads what it drives, as the chip's mode 0 does; writing a line or a
//     port of an input group makes that group an output, as the library
//     does. Only a group's direction command or a read of an input group
//     reaches the library's read call, so reading never turns an output
//     group round.
//   counters: the three 8254 counters of the Kestan card (start, latched
//     read, stop) and of the Wendal card (latched read: its sampling clock
//     runs on counters 1 and 2 and is set by its two divisors).
//
// The layer keeps what the tool wrote (CardState): the output ports it knows
// and, on the 8255 cards, each group's direction and latch. A tool saves it
// between runs (card_state_file.h) and hands it back to card_open, which
// puts it on the card again, so a new process never switches off an output
// it was not asked to touch.
//
// Every call returns the code of the library call that decided it (0 on
// success; code_name() gives its name in the library's header), or one of
// the layer's own negative codes (kNoSuchLine, kNoCounter, kNoSuchGroup,
// kBadLineValue: their rows in tool_failures.h say what each means).
#ifndef KIT_TOOLS_CARD_ACCESS_H
#define KIT_TOOLS_CARD_ACCESS_H

#include <cstdint>

#include "tool_failures.h"

namespace cardio {

enum class Kind { Kestan, Orvel, Sarrow, Pellin, Fenmar, Wendal, Dulvar };
constexpr int kKindCount = 7;

// The port window the cards' base switches reach: every port of a card lies in it.
constexpr int kCardWindowFirst = 0x200;
constexpr int kCardWindowLast = 0x3FF;

constexpr int kMaxPorts = 18;      // 8255 cards: 3 ports per channel, 6 channels
constexpr int kMaxGroups = 24;     // 4 direction groups per channel
constexpr int kLinesPerPort = 8;

struct KindInfo {
  Kind kind;
  const char *name;        // "kestan", as io_claim and the tools spell it
  int ppi_channels;        // 8255 chips; 0 for a lamp card
  int input_lines, output_lines;  // lamp cards; 8255 cards: 24 per channel each
  int ports;               // input ports = output ports (bytes)
  int counters;            // counters with a latched read (kestan, wendal: 3)
  bool counter_control;    // kestan: they also start and stop
  bool sampling_clock;     // wendal: clock start D1 D2 / clock stop
  int decoded_ports;       // length of the card's port range
  int base_first, base_last, base_step;
  int cards;               // card numbers 0 to cards - 1
  bool needs_irq;          // its Initial takes an interrupt level
};

const KindInfo &kind_info(Kind kind);
// nullptr when no kind has that name.
const KindInfo *find_kind(const char *name);
// The name the library's header gives code, e.g. "Invalid_Channel_Number";
// "unknown" for a code the library does not have.
const char *code_name(Kind kind, int code);

enum class Direction : uint8_t { Input = 0, Output = 1 };

// One direction group of an 8255 card.
struct GroupInfo {
  int code;        // port code, 256 x channel + group number
  int port;        // card port (3 x channel + p) that holds its lines
  uint8_t mask;    // its lines in that port
  const char *name;  // "A", "B", "CH" (C upper), "CL" (C lower)
};
// The direction groups in port-code order; returns how many.
int group_list(const KindInfo &info, GroupInfo *groups, int max);

// What the tool wrote, kept between runs.
struct CardState {
  uint32_t known_ports;          // bit p: outputs[p] holds what port p drives
  uint8_t outputs[kMaxPorts];    // output latch of each port
  uint32_t output_groups;        // 8255: bit i set when group i (group_list) is output
  // Read from a record of this boot of the machine: the 8255 chips hold it
  // already, so the card is attached without programming them again.
  bool held_by_card;
};

// The library calls the layer makes, for naming the one that refused.
enum class Call {
  Initial, SetCard, ReadLine, WriteLine, ReadPort, WritePort, ReadBack, ReadGroup, WriteGroup,
  TimerStart, TimerRead, TimerStop, ClockStart, ClockStop, None
};
// "W_Orvel_DO_Channel" and the like; "" for Call::None.
const char *call_name(Kind kind, Call call);

struct Card {
  const KindInfo *info;
  int number;
  int base;
  CardState state;
  Call last_call;  // the library call made last (the one that refused, after a failure)
};

// Initialises card number at base in the kind's library (irq for the 8255
// cards) and puts state on it again: every known output port of a lamp
// card, every output group of an 8255 card with its latch (an 8255 card
// whose chips hold the state, held_by_card, is attached as it is: no
// output drops for a moment). With state nullptr the card starts from what
// the library holds.
int card_open(Card *card, Kind kind, int number, int base, int irq, const CardState *state);

// Brings the card to state, which another process may have recorded since
// this one opened it: the lamp cards take it as what the card drives; on
// the 8255 cards every group whose direction or latch differs goes out again.
int card_resync(Card &card, const CardState &state);

// Lines.
int read_input_line(Card &card, int line, int *value);
int write_output_line(Card &card, int line, int value);
// Ports: a whole byte. read_output_port gives what the card drives (the
// library's copy for lamp cards, the latch for the 8255 ports).
int read_input_port(Card &card, int port, unsigned *value);
int write_output_port(Card &card, int port, unsigned value);
// Switches the lines of port that mask selects to those of lines, and no
// other, in one write of the port (on an 8255 card one per direction group
// they touch, each made an output).
int write_output_lines(Card &card, int port, uint8_t mask, uint8_t lines);
int read_output_port(Card &card, int port, unsigned *value);

// 8255 direction groups (index into group_list).
int set_direction(Card &card, int group, Direction direction);
Direction group_direction(const Card &card, int group);
// The port's lines that are outputs.
uint8_t output_mask(const Card &card, int port);

// Counters (start and stop: kestan; read: kestan, wendal) and the
// sampling clock (wendal).
int counter_start(Card &card, int counter, int mode, unsigned count);
int counter_read(Card &card, int counter, unsigned *count);
int counter_stop(Card &card, int counter, unsigned *count);
int clock_start(Card &card, int divisor1, int divisor2);
int clock_stop(Card &card);

}  // namespace cardio

#endif
