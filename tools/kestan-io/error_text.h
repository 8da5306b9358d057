// One-line explanations of the card libraries' result codes, for people.
#ifndef KESTAN_IO_ERROR_TEXT_H
#define KESTAN_IO_ERROR_TEXT_H

#include <cstddef>

#include "card_access.h"

// Writes "Name (code): what went wrong. Remedy: what to do." into text (size
// bytes), with the limits of the kind's card; a code the library does not
// document is named as such.
void describe_card_error(cardio::Kind kind, int code, char *text, size_t size);
// The same for the kestan library.
void describe_kestan_error(int code, char *text, size_t size);

#endif
