// Watching a card's inputs (kestan-io watch).
#ifndef KESTAN_IO_WATCH_H
#define KESTAN_IO_WATCH_H

#include "card_access.h"

// A change seen within 1.75 ms, inside the 2 ms a user is promised with room
// for the wake-up's own lateness. Each wake-up costs some 25-30 us on a
// virtual machine: 1.5 ms put an idle watch right at 2 % of a core.
constexpr long kWatchPollNs = 1750000;

// Prints every input named in lines (bit b of lines[p]: line 8p + b) once,
// then each change with its time, until SIGINT or SIGTERM. Returns an exit
// code; a refused read leaves its code in *failed_code.
int watch_inputs(cardio::Card &card, bool json, const unsigned char *lines, int *failed_code);

#endif
