// GNU-style option parsing for kestan-io.
#include "options.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "number_text.h"

namespace {

enum class Takes { Nothing, Number, Base, Kind };

struct OptionRule {
  const char *name;  // without the dashes
  char letter;       // short form, or 0
  Takes takes;
  void (*apply)(Options *o, long long number, const cardio::KindInfo *kind);
};

const OptionRule kOptions[] = {
  {"base", 0, Takes::Base, [](Options *o, long long n, const cardio::KindInfo *) { o->base = n; o->have_base = true; }},
  {"card", 0, Takes::Number, [](Options *o, long long n, const cardio::KindInfo *) { o->card = n; }},
  {"irq", 0, Takes::Number, [](Options *o, long long n, const cardio::KindInfo *) { o->irq = n; }},
  {"kind", 0, Takes::Kind, [](Options *o, long long, const cardio::KindInfo *k) { o->kind = k; }},
  {"simulator", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->layer = PortLayer::Simulator; }},
  {"hardware", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->layer = PortLayer::Hardware; }},
  {"json", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->json = true; }},
  {"force", 0, Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->force = true; }},
  {"help", 'h', Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->help = true; }},
  {"version", 'V', Takes::Nothing, [](Options *o, long long, const cardio::KindInfo *) { o->version = true; }},
};

// A base past the cards' window: said with the limit, and for a number that
// was meant as decimal (680 for 2A8H), with what it is in hexadecimal.
void say_base_past_window(const char *text, long long base, char *why, size_t why_size) {
  long long decimal = 0;
  if (cardio::parse_count_text(text, &decimal) && std::strspn(text, "0123456789") == std::strlen(text) &&
      decimal >= cardio::kCardWindowFirst && decimal <= cardio::kCardWindowLast)
    std::snprintf(why, why_size, "--base %s is %llXH, past %XH (bases are hexadecimal: decimal %lld is %llXH)",
                  text, base, cardio::kCardWindowLast, decimal, decimal);
  else
    std::snprintf(why, why_size, "--base %s is %llXH, past %XH, the last port a card sits at", text, base,
                  cardio::kCardWindowLast);
}

bool parse_option_number(const OptionRule &rule, const char *value, long long *number, char *why,
                         size_t why_size) {
  if (rule.takes == Takes::Base) {
    if (!cardio::parse_base_text(value, number)) {
      std::snprintf(why, why_size, "--base '%s' is no base address (hexadecimal: 2A8, 2A8H or 0x2A8)", value);
      return false;
    }
    if (*number > cardio::kCardWindowLast) {
      say_base_past_window(value, *number, why, why_size);
      return false;
    }
    return true;
  }
  if (!cardio::parse_count_text(value, number)) {
    std::snprintf(why, why_size, "--%s '%s' is not a number (decimal, or hexadecimal with 0x; 0 or more)",
                  rule.name, value);
    return false;
  }
  if (*number > INT_MAX) {
    std::snprintf(why, why_size, "--%s %s is out of range 0 to %d", rule.name, value, INT_MAX);
    return false;
  }
  return true;
}

// An argument that begins with a dash but is a number ("-1") is an operand.
bool looks_like_option(const char *text) {
  return text[0] == '-' && text[1] != '\0' && !(text[1] >= '0' && text[1] <= '9');
}

// "--name=value": the name's length, and the value after "=" (or nullptr).
size_t split_long_option(const char *name, const char **inline_value) {
  const char *equals = std::strchr(name, '=');
  *inline_value = equals ? equals + 1 : nullptr;
  return equals ? static_cast<size_t>(equals - name) : std::strlen(name);
}

const OptionRule *find_option(const char *text, const char **inline_value) {
  *inline_value = nullptr;
  if (text[1] != '-') {  // -h, -V
    for (const OptionRule &r : kOptions)
      if (r.letter && text[1] == r.letter && text[2] == '\0') return &r;
    return nullptr;
  }
  const char *value = nullptr;
  const size_t length = split_long_option(text + 2, &value);
  for (const OptionRule &r : kOptions) {
    if (std::strlen(r.name) == length && std::strncmp(r.name, text + 2, length) == 0) {
      *inline_value = value;
      return &r;
    }
  }
  return nullptr;
}

// A program's option, handed on among the operands as its word and, when it
// takes one, its value; nullptr when no program has the option.
const char *find_program_option(const char *text, ProgramOptionLookup lookup, bool *takes_value,
                                const char **inline_value) {
  *inline_value = nullptr;
  if (text[1] != '-' || !lookup) return nullptr;
  const char *value = nullptr;
  const char *word = lookup(text + 2, split_long_option(text + 2, &value), takes_value);
  if (word) *inline_value = value;
  return word;
}

bool hand_on(const char *word, bool takes_value, const char *value, int argc, char **argv, int *at,
             char **operands, int *count, char *why, size_t why_size) {
  operands[(*count)++] = const_cast<char *>(word);
  if (!takes_value && value) {
    std::snprintf(why, why_size, "%s takes no value", word);
    return false;
  }
  if (takes_value && !value) {
    if (*at + 1 >= argc) {
      std::snprintf(why, why_size, "%s needs a value", word);
      return false;
    }
    value = argv[++*at];
  }
  if (value) operands[(*count)++] = const_cast<char *>(value);
  return true;
}

}  // namespace

bool parse_options(int argc, char **argv, ProgramOptionLookup program_option, Options *options,
                   char **operands, int *count, char *why, size_t why_size) {
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
    bool takes_value = false;
    if (const char *word = find_program_option(arg, program_option, &takes_value, &value)) {
      if (!hand_on(word, takes_value, value, argc, argv, &at, operands, count, why, why_size)) return false;
      continue;
    }
    const OptionRule *rule = find_option(arg, &value);
    if (!rule) {
      std::snprintf(why, why_size, "unknown option '%s'", arg);
      return false;
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
    if (!parse_option_number(*rule, value, &number, why, why_size)) return false;
    rule->apply(options, number, nullptr);
  }
  if (!options->kind) options->kind = &cardio::kind_info(cardio::Kind::Kestan);
  return true;
}
