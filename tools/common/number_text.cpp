#include "number_text.h"

#include <cstring>

namespace cardio {

namespace {

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

bool has_hex_prefix(const char *text) { return text[0] == '0' && (text[1] == 'x' || text[1] == 'X'); }

// Exactly length digits of radix, at most limit.
bool parse_digits(const char *text, size_t length, int radix, long long limit, long long *value) {
  if (length == 0) return false;
  long long n = 0;
  for (size_t i = 0; i < length; ++i) {
    const int d = digit_value(text[i]);
    if (d >= radix) return false;
    n = n * radix + d;
    if (n > limit) return false;
  }
  *value = n;
  return true;
}

}  // namespace

bool parse_base_text(const char *text, long long *base) {
  size_t length = std::strlen(text);
  if (has_hex_prefix(text)) {
    text += 2;
    length -= 2;
  } else if (length > 1 && (text[length - 1] == 'h' || text[length - 1] == 'H')) {
    --length;
  }
  return parse_digits(text, length, 16, kPortSpaceLast, base);
}

bool parse_count_text(const char *text, long long *value) {
  if (has_hex_prefix(text)) return parse_digits(text + 2, std::strlen(text) - 2, 16, kCountTextLast, value);
  return parse_digits(text, std::strlen(text), 10, kCountTextLast, value);
}

}  // namespace cardio
