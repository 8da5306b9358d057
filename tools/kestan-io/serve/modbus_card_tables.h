// The Modbus tables of the card kestan-io serves, unit id 1, addresses from 0:
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
// set for a line the card does not have. Every call takes the served card's
// lock, which the panel page shares.
#ifndef KESTAN_IO_MODBUS_CARD_TABLES_H
#define KESTAN_IO_MODBUS_CARD_TABLES_H

#include "point_tables.h"
#include "served_card.h"

// The tables over card (which must stay open while they are served).
modbus_server::PointTables modbus_card_tables(panel_http::ServedCard *card);

#endif
