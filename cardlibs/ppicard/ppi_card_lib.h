// The driver shared by the 8255-based card libraries (fenmar, wendal,
// dulvar): card table, port groups over the channels' 8255 chips with an
// output and direction shadow, and the interrupt transfer. Each library keeps
// one Library in its own static storage and passes it in; this code keeps no
// data of its own.
//
// Register map of one channel (8255 number c of the card, at base + 4c):
//   + 0  Port A      + 1  Port B      + 2  Port C      + 3  control (write-only)
// Port codes and their groups: port_codes.h.
//
// Directions follow use: reading a group makes its lines inputs, writing it
// makes them outputs (registering a transfer buffer likewise). A change needs
// a new mode-set word, which clears all three output latches of the chip, so
// the driver then writes back, from its shadow, every port that still has
// output lines and a non-zero latch, in the order A, B, C, with nothing in
// between: the other groups' output lines are at 0 only from the control
// write to the next write of their port. A group written for the first time
// goes out with its new value in that same write-back. A Port C half is
// written as one byte merged with the other half's shadow.
//
// At initialisation of a card (a new base) every channel is set to the chip's
// power-up state, all inputs (control word 9BH), and the shadow with it; a
// card initialised again at the same base keeps its directions and outputs.
//
// Concurrency: the interrupt handler of a transfer runs on another thread. It
// touches only the transfer (fixed while it runs), its count and status
// (atomics: a value is stored before the count that covers it) and the
// output latch of its pattern port (atomic bytes). There are no locks; a
// program that writes a running transfer's pattern port itself shares that
// port with the handler, as it would on the card.
#ifndef KIT_PPI_CARD_LIB_H
#define KIT_PPI_CARD_LIB_H

#include <atomic>
#include <cstdint>

#include "port_card_errors.h"
#include "port_codes.h"

namespace ppicard {

constexpr int kMaxCards = 8;
constexpr int kMaxChannels = 6;

// What differs between the cards.
struct Card;

struct CardRules {
  const char *kind;   // name given to io_claim
  int channels;       // 8255 chips, 4 ports apart from the base
  unsigned ports;     // ports the card decodes (claimed)
  int base_min;
  int base_max;       // last base whose ports end at or below 3FFH
  int base_step;      // a base is a multiple of it
  int irq_min;
  int irq_max;
  void (*reset_extra)(Card &card);  // the card's other chips to power-up state, or null
};

struct ChannelShadow {
  std::atomic<uint8_t> mode{ppi8255::kAllInputs};  // mode-set word last written
  std::atomic<uint8_t> latch[ppi8255::kPorts] = {{0}, {0}, {0}};
};

// Transfer status as the query reports it (values in port_card_errors.h).
constexpr int kTransferDone = Transfer_Finished;
constexpr int kTransferRunning = Transfer_Armed;
constexpr int kTransferIdle = Transfer_Not_Armed;

constexpr int kDirectionIn = 1;   // values read from the port into the buffer
constexpr int kDirectionOut = 2;  // values taken from the buffer to the port

struct Registration {
  bool used = false;
  int channel = 0;
  int group = 0;
  int32_t *buffer = nullptr;
  int length = 0;
};

struct Transfer {
  Registration in;   // direction 1
  Registration out;  // direction 2
  int total = 0;
  bool attached = false;
  int level = 0;
  std::atomic<int> count{0};
  std::atomic<int> status{kTransferIdle};
};

struct Card {
  bool initialised = false;
  int base = 0;
  int irq = 0;
  bool claimed = false;
  ChannelShadow channel[kMaxChannels];
  Transfer transfer;
};

struct Library {
  const CardRules *rules;
  Card cards[kMaxCards];
  int current = 0;
  explicit Library(const CardRules *r) : rules(r) {}
};

// What the chips of a card hold, as a process that programmed them left
// them: each channel's mode-set word and its three output latches.
struct HeldChannels {
  uint8_t mode[kMaxChannels];
  uint8_t latch[kMaxChannels][kPortsPerChannel];
};

// Card table.
int initial(Library &lib, int card, int base, int irq);
// As initial, for a card whose chips already hold what held says (set by
// an earlier process in this boot): the shadow takes it and no port is
// written, so the outputs stay as they are.
int attach(Library &lib, int card, int base, int irq, const HeldChannels &held);
// The same from a library's arguments: a mode-set word per channel and
// three latches per channel (A, B, C), channel after channel.
int attach(Library &lib, int card, int base, int irq, const unsigned char *modes, const unsigned char *latches);
int set_card(Library &lib, int card);
int get_card(Library &lib, int *card);
// The current card if initialised, else nullptr (Card_Not_Initial).
Card *current_card(Library &lib);

// Port groups of the current card.
int read_group(Library &lib, int code, unsigned char *value);
int write_group(Library &lib, int code, unsigned value);

// Interrupt transfer of the current card: on every interrupt, first the next
// value of the direction-2 buffer goes to its group, then its group of the
// direction-1 buffer is read into the next slot; after N interrupts the
// transfer is done and ignores further interrupts.
int transfer_setup(Library &lib);
int transfer_buffer(Library &lib, int code, int direction, int32_t *buffer, int count);
int transfer_arm(Library &lib, int count);
int transfer_query(Library &lib, int *status, int *count);
int transfer_stop(Library &lib, int *count);

// For the cards' own parts: ends a transfer of card (detaches its handler);
// an armed one then reports finished with the count it reached.
void transfer_end(Card &card);
// Ends it and forgets it: nothing armed, count 0 (buffers stay registered).
void transfer_reset(Card &card);

}  // namespace ppicard

#endif
