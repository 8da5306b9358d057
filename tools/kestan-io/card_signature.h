// Whether the ports at a base answer as a card of a kind does, told from
// reads alone: probe and scan write nothing, since a write meant for one
// card's register (an 8254 latch command) is a mode word or a bit command
// to another card's 8255 and switches its outputs.
//
// A card of the kind leaves a shape on the bus: its write-only and control
// registers (a lamp card's output registers, each 8255's control register,
// the 8254's control register) read FFH, its input ports and 8254 counters
// are read. It answers when that shape holds, something in it is not
// FFH (on the Kestan and Wendal cards every counter must answer), and the
// port below it is not part of another card that answers; a counter whose
// count moves between two reads a few milliseconds apart is counting. When
// every port reads FFH no card can be told from a card whose lines all
// float high (every line an input, its test cable out). Reads cannot tell
// every card from every other: a Fenmar card whose ports B and C float high
// reads as a Pellin card would, so a verdict names the shape, not the maker.
#ifndef KESTAN_IO_CARD_SIGNATURE_H
#define KESTAN_IO_CARD_SIGNATURE_H

#include "card_access.h"

enum class Verdict {
  Answers,     // the kind's shape holds and it answers
  Silent,      // every port reads FFH: no card, or one whose lines all read 1
  OtherCard,   // a register that reads FFH on the kind answers: another card's ports
  CannotTell,  // it answers as the kind would, but so does the port below: part of another card?
};

struct Signature {
  Verdict verdict;
  int read;           // ports read
  int not_ff;         // of them not FFH
  int counting;       // counters whose count moved (-1: the kind has none)
  bool inputs_float;  // Answers: every input port reads FFH (test cable out?)
  int telling_port;   // OtherCard, CannotTell: the port that answered
};

// The ports of a kind at base, read (twice for the counters, a few
// milliseconds apart). below_is_card: the port below base belongs to a card
// already found, so that it answering says nothing about this one.
Signature read_signature(const cardio::KindInfo &kind, int base, bool below_is_card);

#endif
