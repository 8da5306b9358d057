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
 * "empty" for a bus with no card (bases may carry an H suffix or 0x prefix;
 * blanks around entries are ignored; an entry that cannot be read, names a
 * kind with no model or overlaps an earlier one is left out and said once on
 * stderr). An unoccupied port reads FFH (a word FFFFH; a word access that
 * straddles a card edge is two byte cycles).
 *
 * The rack kind "kestan_counter" is a Kestan card (kind "kestan" to its
 * driver and to iosim_card_at) with a counting fixture in its test socket
 * instead of the loopback cable: its 32 input lines show a count that steps
 * by one before every read cycle of input port 0 (a byte or word read at
 * offset 0; the first gives 1), whatever the outputs are. Reads of ports 1
 * to 3 and iosim_read_inputs show the count reached and step nothing. It
 * gives a program inputs that change on every pass, e.g.
 * KESTAN_SIM_RACK=kestan_counter@2A8.
 *
 * io_claim plugs a model of the claimed kind when the claimed range is
 * empty; a claim over a card of another kind (or at another base) is
 * refused with IO_CLAIM_OVERLAP; a claim of a kind with no model is recorded
 * and plugs nothing. io_release forgets the claim and leaves the card in,
 * with its state; a card that a claim plugged leaves when a later claim
 * needs its ports (a library moving its card to an overlapping range), a
 * card of a given rack (KESTAN_SIM_RACK, iosim_load_rack text,
 * iosim_plug) never does. The default rack's Kestan card stands in for the
 * user's card: a claim over its ports of another kind or base, made while
 * no claim holds it, takes it out and plugs the claimed card, as on a PC
 * that holds that card instead; once no running process claims a card that
 * a claim plugged over its ports, it is back (at the next process that
 * opens the PC, or the next io_release), as iosim_reset brings it back. A
 * card plugged by hand there, or a range emptied by hand, stays. Claims belong
 * to the process that made them: several processes may claim the same card
 * (same base and kind), io_release forgets only the caller's claim, and a
 * process's claims end with it.
 *
 * One simulated PC serves every process of the user's session, native and
 * Win32 (under Wine) alike: its state lives in one file that every process
 * maps, and outlives them, as a PC outlives its programs (output latches,
 * chip modes, counters, cables, claims of running processes). The variable
 * KESTAN_SIM_PC names the file (default: $XDG_RUNTIME_DIR/kestan-sim.pc,
 * else /tmp/kestan-sim-$USER.pc; on Windows %TEMP%\kestan-sim.pc); a new
 * PC is made with the rack of KESTAN_SIM_RACK. A process that cannot use
 * the file says so on stderr and runs a private PC of its own.
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
#define IOSIM_BAD_BASE      6 /* the kind cannot sit there: off its step, or a port outside 200H-3FFH */

/* --- the rack ---------------------------------------------------------- */

/* Plug a model of the kind ("kestan", "orvel", ...) with its first port at
 * base: IOSIM_BAD_BASE when the kind cannot sit there (off its base step, or
 * a port outside 200H-3FFH), IOSIM_BUSY when a card holds one of its ports. */
int  iosim_plug(const char *kind, unsigned short base);
int  iosim_unplug(unsigned short base);
/* Every card out, claims forgotten, clock back to real time, journal cleared,
 * pending interrupt requests dropped (attached handlers stay attached). */
void iosim_clear_rack(void);
/* iosim_clear_rack, then the default rack (or KESTAN_SIM_RACK) again. */
void iosim_reset(void);
/* iosim_clear_rack, then the rack described by text in the format of
 * KESTAN_SIM_RACK (NULL or blank: the default rack). Returns how many
 * entries were left out (0: all plugged). */
int  iosim_load_rack(const char *rack);
/* Whether rack text (the format of KESTAN_SIM_RACK) can be plugged as it
 * stands: every entry readable, of a kind with a model, at a base the kind
 * can sit at, no two overlapping. IOSIM_OK (NULL or blank text too: the
 * default rack), or the first problem's code (IOSIM_INVALID, _UNKNOWN_KIND,
 * _BAD_BASE, _BUSY) with a line saying it in why (size bytes). Changes
 * nothing. */
int  iosim_check_rack(const char *rack, char *why, int size);
/* Kind of the card whose range holds port, copied into kind (size bytes);
 * returns the card's base, or -1 when the port is unoccupied. */
int  iosim_card_at(unsigned short port, char *kind, int size);

/* What is plugged, in the order of the bases; returns how many cards there
 * are (copies up to max of them). irq: the level the card's requests go
 * to, -1 none; by_claim: plugged by a library's claim. */
typedef struct iosim_card_info {
  unsigned short base;
  unsigned short length;
  int irq;
  int by_claim;
  char kind[16];
} iosim_card_info;
int  iosim_cards(iosim_card_info *out, int max);

/* The claims of running processes (io_claim), each with its process id
 * (the system's id, the same for native and Wine programs). Returns how
 * many there are (copies up to max). */
typedef struct iosim_claim_info {
  unsigned short base;
  unsigned short length;
  unsigned int process;
  char card[16];
} iosim_claim_info;
int  iosim_claims(iosim_claim_info *out, int max);

/* The file of the PC this process works on, copied into path (size
 * bytes); returns 1 when it is that shared file, 0 for a private PC. */
int  iosim_pc_file(char *path, int size);
/* This PC, as against any other that was ever at its path (a number fixed
 * when the PC was made): records kept about the PC's cards name it. */
unsigned long long iosim_pc_id(void);

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
 * drives floats high (reads 1). (On a kestan_counter card the inputs
 * follow its count instead; pulling its fixture lets them float high.)
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

/* --- interrupts --------------------------------------------------------- */
/*
 * The simulated PC has an interrupt controller with levels 0 to 15 and one
 * handler per level (io_irq_attach; a second one gets IO_IRQ_BUSY). A card's
 * interrupt request goes to one level:
 *   - the level of the card's jumper, when set with iosim_set_card_irq;
 *   - otherwise (jumper -1, "follows the driver", the default): the level of
 *     the most recent successful io_irq_attach made while this card was the
 *     only card with an interrupt source whose base is claimed (io_claim).
 *     An attach made while two or more such cards are claimed changes no
 *     card's level: give those cards jumpers. (The Kestan card is no such
 *     source: its timer interrupt needs the jumper.)
 * A request for a level with no handler is dropped. Requests are counted,
 * not merged: every one runs the handler once. A handler runs as an
 * interrupt would: for a request raised during a port access (or an iosim
 * call), right after that access on the same thread, with the bus free for
 * the handler's own port accesses; for a request raised by time, on the
 * simulator's ticker thread (or in iosim_clock_advance_ns on the caller's
 * thread). Levels are served lowest first, and a level's handler never runs
 * twice at once (a request arriving meanwhile runs after it). Once
 * io_irq_detach returns, the handler does not run any more.
 */

/* Set the card's interrupt jumper: level 0 to 15, or -1 to follow the
 * driver (above). IOSIM_NO_CARD, IOSIM_INVALID. */
int iosim_set_card_irq(unsigned short base, int level);

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
 * Timer chips count from a clock that runs in real time (monotonic clock,
 * nanoseconds since the simulator started). A test may stop real time and
 * step the clock itself; the simulator is then fully deterministic. The
 * clock never runs backwards: switching manual time off continues from the
 * value reached. iosim_clock_advance_ns brings every card up to the new time
 * (running their due counts and interrupts in order) before it returns; in
 * real-time mode it makes the clock jump ahead.
 *
 * Every card with a timer is brought up to date before each access that
 * depends on time (on the Kestan card: its timer ports, offsets 4 to 7) and
 * by a background ticker about every millisecond while the process has an
 * interrupt handler attached; each update runs every due count and request
 * in order, so none is lost however late it comes.
 *
 * Timer clocks: on the Kestan card all three 8254 counters count a 1 MHz
 * on-board oscillator (1,000,000 pulses per second), gates tied high.
 * Counter 2's OUT reaches an interrupt level only through the card's jumper
 * (iosim_set_card_irq): each rising edge is one request.
 */
void iosim_clock_manual(int on);
void iosim_clock_advance_ns(unsigned long long ns);
unsigned long long iosim_clock_now_ns(void);

#ifdef __cplusplus
}
#endif

#endif
