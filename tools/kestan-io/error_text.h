// One-line explanations of the kestan library's result codes, for people.
#ifndef KESTAN_IO_ERROR_TEXT_H
#define KESTAN_IO_ERROR_TEXT_H

#include <cstddef>

// Writes "Name (code): what went wrong. What to do." into text (size bytes);
// a code the library does not document is named as such.
void describe_kestan_error(int code, char *text, size_t size);

#endif
