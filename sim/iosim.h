/*
 * iosim: controls of the simulated PC, exported only by the simulator build
 * of ioport. Tests, benchmarks and tools use them; the toolkit's programs and
 * drivers never do (they see only ioport.h).
 *
 * The simulated PC is an ISA bus of card models. Out of the box it holds a
 * Kestan card at 2A8H; a card of another kind is plugged where its driver
 * claims a range (io_claim). The environment variable KESTAN_SIM_RACK, read
 * once by the simulator, replaces the default rack: a list of kind@base
 * entries such as "kestan@2A8,kestan@300,orvel@200" (hexadecimal bases), or
 * "empty" for a bus with no card. An unoccupied port reads FFH.
 *
 * Functions use the C calling convention and plain names.
 */
#ifndef KIT_IOSIM_H
#define KIT_IOSIM_H

#include "ioport.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results. */
#define IOSIM_OK            0
#define IOSIM_BUSY          1 /* the range is occupied by another card */
#define IOSIM_UNKNOWN_KIND  2 /* no model of that card kind */
#define IOSIM_NO_CARD       3 /* no card at that base */
#define IOSIM_BAD_BANK      4 /* the card has no such bank of lines */
#define IOSIM_INVALID       5 /* other bad argument */

/* --- the rack ---------------------------------------------------------- */

/* Plug a model of the kind ("kestan", "orvel", ...) with its first port at base. */
int  iosim_plug(const char *kind, unsigned short base);
int  iosim_unplug(unsigned short base);
/* Every card out, claims forgotten, clock back to real time, journal cleared. */
void iosim_clear_rack(void);
/* iosim_clear_rack, then the default rack (or KESTAN_SIM_RACK) again. */
void iosim_reset(void);
/* Kind of the card whose range holds port, copied into kind (size bytes);
 * returns the card's base, or -1 when the port is unoccupied. */
int  iosim_card_at(unsigned short port, char *kind, int size);

/* --- lines ------------------------------------------------------------- */
/*
 * A card's digital lines come in banks of up to 32 lines; bit n of a bank
 * value is line n. Banks by kind:
 *   kestan, orvel   bank 0: 32 inputs / 32 outputs
 *   sarrow          bank 0: 16 inputs / 16 outputs
 *   pellin          bank 0:  8 inputs /  8 outputs
 *   fenmar, wendal, dulvar
 *                   bank 3 x chip + p: port p (0 A, 1 B, 2 C) of 8255 chip
 *                   (channel) number chip, 8 lines each
 * By default every card has its test cable in (loopback): each input line
 * follows the output that the cable joins to it, and a line that nothing
 * drives floats high (reads 1).
 */

/* Drive the lines of mask from outside with value; they no longer follow the cable. */
int iosim_drive_inputs(unsigned short base, int bank, unsigned int mask, unsigned int value);
/* Give the lines of mask back to the cable (or to floating, without cable). */
int iosim_release_inputs(unsigned short base, int bank, unsigned int mask);
/* Plug (1) or pull (0) the card's test cable. */
int iosim_set_loopback(unsigned short base, int on);
/* What the card drives on its output lines now. */
int iosim_read_outputs(unsigned short base, int bank, unsigned int *value);
/* What the card's input lines see now. */
int iosim_read_inputs(unsigned short base, int bank, unsigned int *value);

/* --- journal of port accesses ------------------------------------------ */

#define IOSIM_IN8   1
#define IOSIM_IN16  2
#define IOSIM_OUT8  3
#define IOSIM_OUT16 4

typedef struct iosim_access {
  int op;               /* IOSIM_IN8 ... IOSIM_OUT16 */
  unsigned short port;  /* absolute port */
  unsigned short value; /* value read or written */
} iosim_access;

/* The journal keeps the newest IOSIM_JOURNAL_CAPACITY accesses, in order. */
#define IOSIM_JOURNAL_CAPACITY 65536

void iosim_journal_enable(int on); /* on by default */
void iosim_journal_clear(void);
/* Accesses recorded since the last clear (may exceed the capacity). */
unsigned long iosim_journal_total(void);
/* Copy up to max of the kept accesses, oldest first; returns how many. */
int  iosim_journal_read(iosim_access *out, int max);

/* --- time -------------------------------------------------------------- */
/*
 * Timer chips count from a clock that runs in real time (monotonic clock).
 * A test may stop real time and step the clock itself; the simulator is then
 * fully deterministic.
 */
void iosim_clock_manual(int on);
void iosim_clock_advance_ns(unsigned long long ns);
unsigned long long iosim_clock_now_ns(void);

#ifdef __cplusplus
}
#endif

#endif
