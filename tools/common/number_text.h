// The one way the native tools (kestan-io, kestan-sim) read numbers from a
// command line, so that a number means the same in both:
//   a base address is hexadecimal, as port addresses are everywhere in this
//   field: 2A8, 2A8H or 0x2A8;
//   every other number (line, value, port, count) is decimal, or
//   hexadecimal with 0x: 5, 0x5A.
// A sign, blanks, a digit of the wrong base or a number past the limit is
// no number.
#ifndef KIT_TOOLS_NUMBER_TEXT_H
#define KIT_TOOLS_NUMBER_TEXT_H

namespace cardio {

constexpr long long kPortSpaceLast = 0xFFFF;
// Far past any count a card takes, so that a caller can say which limit a
// big number passes rather than call it no number.
constexpr long long kCountTextLast = 0xFFFFFFFFFFFFLL;

// A base address: false when text is none, or past kPortSpaceLast.
bool parse_base_text(const char *text, long long *base);
// A count: false when text is none, or past kCountTextLast.
bool parse_count_text(const char *text, long long *value);

}  // namespace cardio

#endif
