// Watching a card's inputs (kestan-io watch).
#ifndef KESTAN_IO_WATCH_H
#define KESTAN_IO_WATCH_H

#include "card_access.h"

// Prints every input named in lines (bit b of lines[p]: line 8p + b) once,
// then each change with its time, until SIGINT or SIGTERM. Returns an exit
// code; a refused read leaves its code in *failed_code.
int watch_inputs(cardio::Card &card, bool json, const unsigned char *lines, int *failed_code);

#endif
