/*
 * Numbers read from the Setup dialog. Both parses compute in unsigned
 * arithmetic: a decimal text too long for 32 bits wraps around modulo 2^32,
 * as the samples always did, without signed overflow.
 */
#ifndef KIT_INTERRUPT_INT_PARSE_H
#define KIT_INTERRUPT_INT_PARSE_H

/* Leading white space skipped, optional + or -, digits up to the first other
 * character; no digits give 0. */
int parse_decimal(const char *text);

/* The first three characters of an address entry ("2C0H") as upper-case
 * hexadecimal digits. */
int parse_address_entry(const char *text);

#endif
