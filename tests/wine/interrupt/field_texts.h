// The texts the Setup dialogs' edit fields are fed under test, each kind a
// few times over, and what the dialogs' decimal parse makes of each.
#ifndef KIT_TESTS_FIELD_TEXTS_H
#define KIT_TESTS_FIELD_TEXTS_H

#include <cstdint>
#include <string>

namespace field_texts {

const int kFieldCharacters = 15;  // what a 16-character read buffer holds

// Texts of the sweep, each kind a few times over.
inline const char *const kFieldTexts[] = {
  "", " ", "      ", "\t", " \t ",                         // empty, blanks
  "+", "-", "+-", "-+", "--", "++", " - ",                 // signs alone
  "123456789012345", "000000000000042", "-00000000032768",  // 15 characters
  "1234567890123456789", "               7",              // longer: cut at 15
  "2147483647", "2147483648", "4294967295", "4294967296",  // overflow
  "4294967306", "-2147483648", "-2147483649", "99999999999999",
  "32767", "32768", "32769", "65536", "-1", "0", "1",       // around the limit
  "abc", "x", "H", "ZZZZZZZZZZZZZZZ",                       // letters
  "12abc", "a12", "1 2", " -5", "+7", "0x10", "1e3", "3-",  // mixed
  "2C0H", "\xA3\xA4", "-\t5", "+ 5",
};

// The documented parse, written out here: first 15 characters, blanks
// skipped, one sign, digits to the first other character, modulo 2^32.
inline int documented_value(const char *text) {
  std::string t = std::string(text).substr(0, kFieldCharacters);
  size_t i = 0;
  while (i < t.size() && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  uint32_t value = 0;
  for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) value = value * 10u + (t[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

}  // namespace field_texts

#endif
