/*
 * kestancards: the tools' card-access layer with a C interface, for
 * programs in other languages (the kestan Python package calls it through
 * ctypes). A card is a handle; every call returns the code of the library
 * call that decided it (0 on success), or one of the tools' negative codes
 * (tool_failures.h: the layer's refusals, and those below, which opening a
 * card meets). The outputs a handle writes are kept in the card's state
 * file as kestan-io keeps them: each call that writes takes the file's lock,
 * first brings the card to what other processes recorded, and records what
 * it did.
 */
#ifndef KIT_TOOLS_CARD_API_H
#define KIT_TOOLS_CARD_API_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kit_card kit_card;

#define KIT_CARD_UNKNOWN_KIND (-100) /* no card kind of that name */
#define KIT_CARD_NO_RIGHTS    (-101) /* the port rights are refused: kit_card_reason says why */
#define KIT_CARD_NO_LAYER     (-102) /* the port layer is not installed */
#define KIT_CARD_IN_USE       (-103) /* another program (a kestan-io serve) holds the card */
#define KIT_CARD_NO_STATE     (-104) /* the card's record cannot be kept: kit_card_reason says why */

/* Opens card number at base ("kestan", "orvel", ... "dulvar"). */
int kit_card_open(const char *kind, int number, int base, int irq, kit_card **card);
void kit_card_close(kit_card *card);
/* Why the last open (or write) failed for want of rights, layer or record (one line). */
const char *kit_card_reason(void);
/* "hardware" or "simulator": the layer the calls reach. */
const char *kit_card_layer(void);

int kit_card_read_line(kit_card *card, int line, int *value);
int kit_card_write_line(kit_card *card, int line, int value);
int kit_card_read_port(kit_card *card, int port, unsigned *value);
int kit_card_write_port(kit_card *card, int port, unsigned value);
int kit_card_read_back(kit_card *card, int port, unsigned *value);
/* 8255 cards: group is an index into the card's groups (A, B, CH, CL of
 * channel 0, then channel 1, ...); output 1 or 0. */
int kit_card_set_direction(kit_card *card, int group, int output);
int kit_card_direction(kit_card *card, int group);
int kit_card_counter_start(kit_card *card, int counter, int mode, unsigned count);
int kit_card_counter_read(kit_card *card, int counter, unsigned *count);
int kit_card_counter_stop(kit_card *card, int counter, unsigned *count);
int kit_card_clock_start(kit_card *card, int divisor1, int divisor2);
int kit_card_clock_stop(kit_card *card);

/* The card's shape: lines, ports, groups, counters. */
int kit_card_lines(kit_card *card);
int kit_card_ports(kit_card *card);
int kit_card_groups(kit_card *card);
int kit_card_counters(kit_card *card);
/* The code's name in the library's header, and the call that refused last. */
const char *kit_code_name(const char *kind, int code);
const char *kit_card_call(kit_card *card);

#ifdef __cplusplus
}
#endif

#endif
