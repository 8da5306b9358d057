#include "rack_config.h"

#include <cstring>

namespace sim {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool same_word(const char *text, size_t length, const char *word) {
  if (std::strlen(word) != length) return false;
  for (size_t i = 0; i < length; ++i)
    if (lower(text[i]) != word[i]) return false;
  return true;
}

// "2A8", "2a8h", "0x2A8": at most four digits.
bool parse_base(const char *text, size_t length, unsigned *base) {
  if (length >= 2 && text[0] == '0' && lower(text[1]) == 'x') {
    text += 2;
    length -= 2;
  } else if (length >= 1 && lower(text[length - 1]) == 'h') {
    --length;
  }
  if (length == 0 || length > 4) return false;
  unsigned value = 0;
  for (size_t i = 0; i < length; ++i) {
    int d = hex_digit(text[i]);
    if (d < 0) return false;
    value = value * 16 + static_cast<unsigned>(d);
  }
  *base = value;
  return true;
}

bool parse_entry(const char *text, size_t length, RackEntry *entry) {
  const char *at = static_cast<const char *>(std::memchr(text, '@', length));
  if (!at) return false;
  size_t kind_length = static_cast<size_t>(at - text);
  if (kind_length == 0 || kind_length >= sizeof entry->kind) return false;
  for (size_t i = 0; i < kind_length; ++i) {
    char c = lower(text[i]);
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  }
  if (!parse_base(at + 1, length - kind_length - 1, &entry->base)) return false;
  std::memcpy(entry->kind, text, kind_length);
  entry->kind[kind_length] = '\0';
  return true;
}

void note_bad(RackText *rack, const char *text, size_t length) {
  if (rack->bad++ > 0) return;
  size_t n = length < sizeof rack->first_bad - 1 ? length : sizeof rack->first_bad - 1;
  std::memcpy(rack->first_bad, text, n);
  rack->first_bad[n] = '\0';
}

}  // namespace

bool parse_rack(const char *text, RackText *rack) {
  rack->count = 0;
  rack->bad = 0;
  rack->first_bad[0] = '\0';
  if (!text) return false;
  const char *p = text;
  while (is_blank(*p)) ++p;
  if (!*p) return false;
  while (*p) {
    const char *end = std::strchr(p, ',');
    if (!end) end = p + std::strlen(p);
    const char *first = p, *last = end;
    while (first < last && is_blank(*first)) ++first;
    while (last > first && is_blank(last[-1])) --last;
    size_t length = static_cast<size_t>(last - first);
    RackEntry entry;
    if (same_word(first, length, "empty")) {
      // no card
    } else if (length == 0) {
      note_bad(rack, first, length);
    } else if (!parse_entry(first, length, &entry) || rack->count == RackText::kMaxEntries) {
      note_bad(rack, first, length);
    } else {
      rack->entries[rack->count++] = entry;
    }
    p = *end ? end + 1 : end;
  }
  return true;
}

}  // namespace sim
