// The Modbus tables of a card reached through the card-access layer, unit
// id 1, addresses from 0:
//   coil n              output line n (8255 cards: 0 while its group is input)
//   discrete input n    input line n (8255 cards: an output line reads what it drives)
//   input register w    input lines 16w to 16w + 15 (ports 2w and 2w + 1);
//                       then the 8254's counters 0 to 2 (Kestan, Wendal),
//                       latched reads
//   holding register w  output lines 16w to 16w + 15; then, on the 8255
//                       cards, one register per direction group in port-code
//                       order (A, B, C upper, C lower of each channel):
//                       0 input, 1 output
// A write that would drive a line of an input group is refused, as is a bit
// set for a line the card does not have.
#ifndef KIT_MODBUS_CARD_TABLES_H
#define KIT_MODBUS_CARD_TABLES_H

#include "card_access.h"
#include "point_tables.h"

namespace modbus_server {

struct CardTables {
  cardio::Card *card;
  void (*written)(void *context);  // after every write that reached the card, or null
  void *written_context;
};

// The tables over tables->card (which must stay open while they are served).
PointTables card_point_tables(CardTables *tables);

// Number of 16-bit words that hold the card's lines.
int line_words(const cardio::KindInfo &info);

}  // namespace modbus_server

#endif
