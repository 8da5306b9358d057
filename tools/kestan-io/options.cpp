// GNU-style option parsing for kestan-io.
#include "options.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// PassOn: an option of one program (serve), handed on to it among the
// operands as "--name" and, with Value, its value.
enum class Takes { Nothing, Number, Kind, PassOn, PassOnValue };

struct OptionRule {
  const char *name;  // without the dashes
  char letter;       // short form, or 0
  Takes takes;
  void (*apply)(Options *o, long long number, const cardio::KindInfo *kind);
  const char *passed_as = nullptr;  // PassOn, PassOnValue: the operand it becomes
};

const OptionRule kOptions[] = {
  {"base", 0, Takes::Number, [](Options *o, long long n, const cardio::KindInfo *) { o->base = n; o->have_base = true; }},
  {"card", 0, Takes::Number, [](Options *o, long long n, const cardio::KindInfo *) { o->card = n; }},
  {"irq", 0, Takes::Number, [](Options *o, long long n, const cardio::KindInfo *) { o->irq = n; }},
  {"kind", 0, Takes::Kind, [](Options *o, long long, const cardio::KindInfo *k) { o->kind = k; }},
  {"simulator", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->layer = PortLayer::Simulator; }},
  {"hardware", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->layer = PortLayer::Hardware; }},
  {"json", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->json = true; }},
  {"force", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->force = true; }},
  {"help", 'h', Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->help = true; }},
  {"version", 'V', Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->version = true; }},
  {"modbus", 0, Takes::PassOnValue, nullptr, "--modbus"},
  {"allow-writes", 0, Takes::PassOn, nullptr, "--allow-writes"},
  {"max-clients", 0, Takes::PassOnValue, nullptr, "--max-clients"},
  {"max-per-peer", 0, Takes::PassOnValue, nullptr, "--max-per-peer"},
  {"idle-timeout", 0, Takes::PassOnValue, nullptr, "--idle-timeout"},
};

// An argument that begins with a dash but is a number ("-1") is an operand.
bool looks_like_option(const char *text) {
  return text[0] == '-' && text[1] != '\0' && !(text[1] >= '0' && text[1] <= '9');
}

const OptionRule *find_option(const char *text, const char **inline_value) {
  *inline_value = nullptr;
  if (text[1] != '-') {  // -h, -V
    for (const OptionRule &r : kOptions)
      if (r.letter && text[1] == r.letter && text[2] == '\0') return &r;
    return nullptr;
  }
  const char *name = text + 2;
  const char *equals = std::strchr(name, '=');
  size_t length = equals ? static_cast<size_t>(equals - name) : std::strlen(name);
  for (const OptionRule &r : kOptions) {
    if (std::strlen(r.name) == length && std::strncmp(r.name, name, length) == 0) {
      if (equals) *inline_value = equals + 1;
      return &r;
    }
  }
  return nullptr;
}

}  // namespace

bool parse_number(const char *text, long long *value) {
  const char *p = text;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  size_t length = std::strlen(p);
  int base = 10;
  char digits[32];
  if (length > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
    length -= 2;
  } else if (length > 1 && (p[length - 1] == 'h' || p[length - 1] == 'H')) {
    base = 16;
    --length;
  }
  if (length == 0 || length >= sizeof digits) return false;
  std::memcpy(digits, p, length);
  digits[length] = '\0';
  char *end = nullptr;
  unsigned long long magnitude = std::strtoull(digits, &end, base);
  if (*end != '\0' || digits[0] == '-' || digits[0] == '+' || digits[0] == ' ') return false;
  if (magnitude > static_cast<unsigned long long>(LLONG_MAX)) return false;
  *value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return true;
}

bool parse_options(int argc, char **argv, Options *options, char **operands, int *count,
                   char *why, size_t why_size) {
  *count = 0;
  bool only_operands = false;
  for (int at = 1; at < argc; ++at) {
    const char *arg = argv[at];
    if (only_operands || !looks_like_option(arg)) {
      operands[(*count)++] = argv[at];
      continue;
    }
    if (std::strcmp(arg, "--") == 0) {
      only_operands = true;
      continue;
    }
    const char *value = nullptr;
    const OptionRule *rule = find_option(arg, &value);
    if (!rule) {
      std::snprintf(why, why_size, "unknown option '%s'", arg);
      return false;
    }
    if (rule->takes == Takes::PassOn || rule->takes == Takes::PassOnValue) {
      operands[(*count)++] = const_cast<char *>(rule->passed_as);
      if (rule->takes == Takes::PassOn && value) {
        std::snprintf(why, why_size, "--%s takes no value", rule->name);
        return false;
      }
      if (rule->takes == Takes::PassOnValue && !value) {
        if (at + 1 >= argc) {
          std::snprintf(why, why_size, "--%s needs a value", rule->name);
          return false;
        }
        value = argv[++at];
      }
      if (value) operands[(*count)++] = const_cast<char *>(value);
      continue;
    }
    if (rule->takes == Takes::Nothing) {
      if (value) {
        std::snprintf(why, why_size, "--%s takes no value", rule->name);
        return false;
      }
      rule->apply(options, 0, nullptr);
      continue;
    }
    if (!value) {
      if (at + 1 >= argc) {
        std::snprintf(why, why_size, "--%s needs a %s", rule->name,
                      rule->takes == Takes::Kind ? "card kind" : "number");
        return false;
      }
      value = argv[++at];
    }
    if (rule->takes == Takes::Kind) {
      const cardio::KindInfo *kind = cardio::find_kind(value);
      if (!kind) {
        std::snprintf(why, why_size,
                      "--kind '%s': say kestan, orvel, sarrow, pellin, fenmar, wendal or dulvar", value);
        return false;
      }
      rule->apply(options, 0, kind);
      continue;
    }
    long long number = 0;
    if (!parse_number(value, &number) || number < INT_MIN || number > INT_MAX) {
      std::snprintf(why, why_size, "--%s needs a number", rule->name);
      return false;
    }
    rule->apply(options, number, nullptr);
  }
  if (!options->kind) options->kind = &cardio::kind_info(cardio::Kind::Kestan);
  return true;
}
