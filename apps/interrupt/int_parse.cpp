// Decimal and address-entry parses of the Setup dialog.
#include "int_parse.h"

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Two's-complement reading of a 32-bit pattern, without relying on an
// implementation-defined conversion.
int as_signed(unsigned value) {
  if (value <= 0x7FFFFFFFu) return static_cast<int>(value);
  return -static_cast<int>(~value) - 1;
}

}  // namespace

int parse_decimal(const char *text) {
  const char *p = text;
  while (is_blank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  unsigned value = 0;
  for (; is_digit(*p); ++p) value = value * 10u + static_cast<unsigned>(*p - '0');
  return as_signed(negative ? 0u - value : value);
}

enum { ADDRESS_DIGITS = 3 };

int parse_address_entry(const char *text) {
  unsigned value = 0;
  for (int i = 0; i < ADDRESS_DIGITS && text[i] != '\0'; ++i) {
    const unsigned code = static_cast<unsigned char>(text[i]);
    const unsigned digit = code < 'A' ? code - '0' : code - 'A' + 10u;
    value = value * 16u + digit;
  }
  return as_signed(value);
}
