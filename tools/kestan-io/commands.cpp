// The commands of kestan-io: a table of words, their operands and the card
// calls behind them. Each run function makes the calls and prints what a
// person (or with --json a script) wants to see. Every operand is checked
// here against what the card at hand has (its lines, ports, counters), with
// the rest of the line, before anything runs: a line that stopped halfway
// would leave the card half changed.
#include "commands.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "card_json.h"
#include "number_text.h"
#include "pit8254_control.h"
#include "port_codes.h"

using namespace cardio;

namespace {

constexpr long long kAnyInt = INT_MAX;
constexpr long long kByteMax = 0xFF;
constexpr long long kModeMax = pit8254::kModes - 1;
constexpr long long kWordMax = 0xFFFF;
constexpr long long kSleepMaxMs = 60000;
constexpr int kPortsPerChannel = ppicard::kPortsPerChannel;
constexpr int kCodesPerChannel = ppicard::kCodesPerChannel;
constexpr int kWholePortC = ppicard::kGroupC;
const char *const kPortLetters[] = {"A", "B", "C"};

bool is_ppi(const KindInfo &k) { return k.ppi_channels > 0; }
bool has_counters(const KindInfo &k) { return k.counters > 0; }
bool starts_counters(const KindInfo &k) { return k.counter_control; }
bool has_clock(const KindInfo &k) { return k.sampling_clock; }

// --- printing ------------------------------------------------------------------

// "ch1 B" for port 4 of an 8255 card.
void port_label(const KindInfo &k, int port, char *text, size_t size) {
  std::snprintf(text, size, "ch%d %s", port / kPortsPerChannel, kPortLetters[port % kPortsPerChannel]);
  (void)k;
}

// The lines of every port, a row of eight each, then (lamp cards) the word.
void print_ports(const Session &s, const char *command, const char *what, const unsigned *bytes) {
  const KindInfo &k = *s.card.info;
  if (s.json) return print_json(ports_json(command, what, bytes, k.ports));
  unsigned long word = 0;
  const int digits = k.ports * kLinesPerPort > 100 ? 3 : 2;  // the columns line up past line 99
  for (int p = 0; p < k.ports; ++p) {
    const int first = p * kLinesPerPort;
    std::printf("%-7s %*d-%-*d:", what, digits, first, digits, first + kLinesPerPort - 1);
    for (int bit = 0; bit < kLinesPerPort; ++bit) std::printf(" %u", (bytes[p] >> bit) & 1);
    if (is_ppi(k)) {
      char label[16];
      port_label(k, p, label, sizeof label);
      const uint8_t out = output_mask(s.card, p);
      std::printf("  %s %s\n", label, out == 0xFF ? "out" : out == 0 ? "in" : out == 0xF0 ? "CH out, CL in" : "CH in, CL out");
    } else {
      std::printf("\n");
      word |= static_cast<unsigned long>(bytes[p]) << first;
    }
  }
  if (!is_ppi(k))
    std::printf("%-7s word : 0x%0*lX (bit n = channel n)\n", what, k.ports * 2, word);
}

void print_line(const Session &s, const char *command, const char *what, long long line, long long value,
                bool set) {
  if (s.json)
    print_json(line_json(command, what, line, value));
  else
    std::printf("%s %lld%s %lld\n", what, line, set ? " set to" : ":", value);
}

void print_port(const Session &s, const char *command, const char *what, long long port, unsigned value,
                bool set) {
  if (s.json)
    print_json(port_json(command, what, port, value));
  else
    std::printf("%s port %lld%s 0x%02X\n", what, port, set ? " set to" : ":", value);
}

// --- running ---------------------------------------------------------------------

int read_all(Session &s, const char *command, const char *what,
             int (*read)(Card &, int, unsigned *)) {
  unsigned bytes[kMaxPorts] = {};
  for (int p = 0; p < s.card.info->ports; ++p) {
    int code = read(s.card, p, &bytes[p]);
    if (code != 0) return code;
  }
  print_ports(s, command, what, bytes);
  return 0;
}

int run_read(Session &s, const Step &step) {
  if (step.arg_count == 0) return read_all(s, "read", "inputs", read_input_port);
  for (int i = 0; i < step.arg_count; ++i) {
    int value = 0;
    int code = read_input_line(s.card, static_cast<int>(step.args[i]), &value);
    if (code != 0) return code;
    print_line(s, "read", "input", step.args[i], value, false);
  }
  return 0;
}

int run_read_port(Session &s, const Step &step) {
  for (int i = 0; i < step.arg_count; ++i) {
    unsigned value = 0;
    int code = read_input_port(s.card, static_cast<int>(step.args[i]), &value);
    if (code != 0) return code;
    print_port(s, "read-port", "input", step.args[i], value, false);
  }
  return 0;
}

int run_write(Session &s, const Step &step) {
  int code = write_output_line(s.card, static_cast<int>(step.args[0]), static_cast<int>(step.args[1]));
  if (code == 0) print_line(s, "write", "output", step.args[0], step.args[1], true);
  return code;
}

// Each port that the assignments touch is written once, with all its lines
// (the last value given for a line wins), in the order the ports come.
int run_set(Session &s, const Step &step) {
  uint8_t mask[kMaxPorts] = {}, lines[kMaxPorts] = {};
  for (int i = 0; i + 1 < step.arg_count; i += 2) {
    const long long port = step.args[i] / kLinesPerPort;
    const uint8_t bit = static_cast<uint8_t>(1u << (step.args[i] % kLinesPerPort));
    mask[port] |= bit;
    lines[port] = static_cast<uint8_t>(step.args[i + 1] ? lines[port] | bit : lines[port] & ~bit);
  }
  for (int i = 0; i + 1 < step.arg_count; i += 2) {
    const int port = static_cast<int>(step.args[i] / kLinesPerPort);
    if (mask[port] == 0) continue;  // written with an earlier line
    int code = write_output_lines(s.card, port, mask[port], lines[port]);
    if (code != 0) return code;
    mask[port] = 0;
    for (int j = i; j + 1 < step.arg_count; j += 2)
      if (step.args[j] / kLinesPerPort == port) print_line(s, "set", "output", step.args[j], step.args[j + 1], true);
  }
  return 0;
}

int run_write_port(Session &s, const Step &step) {
  int code = write_output_port(s.card, static_cast<int>(step.args[0]), static_cast<unsigned>(step.args[1]));
  if (code == 0) print_port(s, "write-port", "output", step.args[0], static_cast<unsigned>(step.args[1]), true);
  return code;
}

int run_readback(Session &s, const Step &) { return read_all(s, "readback", "outputs", read_output_port); }

// The direction groups a port code names: one, or both halves for Port C.
int groups_of_code(const KindInfo &k, long long code, int *groups) {
  GroupInfo all[kMaxGroups];
  const int n = group_list(k, all, kMaxGroups);
  const long long channel = code / kCodesPerChannel, group = code % kCodesPerChannel;
  int found = 0;
  for (int i = 0; i < n; ++i) {
    const long long c = all[i].code / kCodesPerChannel, g = all[i].code % kCodesPerChannel;
    if (c == channel && (g == group || (group == kWholePortC && g > kWholePortC))) groups[found++] = i;
  }
  return found;
}

int run_dir(Session &s, const Step &step) {
  GroupInfo all[kMaxGroups];
  const int n = group_list(*s.card.info, all, kMaxGroups);
  if (step.arg_count == 0) {
    for (int i = 0; i < n; ++i) {
      const char *dir = group_direction(s.card, i) == Direction::Output ? "out" : "in";
      if (s.json)
        print_json(group_json(all[i], group_direction(s.card, i)));
      else
        std::printf("ch%d %-2s (port code %3d): %s\n", all[i].code / kCodesPerChannel, all[i].name,
                    all[i].code, dir);
    }
    return 0;
  }
  for (int a = 0; a + 1 < step.arg_count; a += 2) {
    int groups[2];
    const int count = groups_of_code(*s.card.info, step.args[a], groups);
    const Direction d = step.args[a + 1] ? Direction::Output : Direction::Input;
    for (int i = 0; i < count; ++i) {
      int code = set_direction(s.card, groups[i], d);
      if (code != 0) return code;
      const GroupInfo &g = all[groups[i]];
      const char *dir = d == Direction::Output ? "out" : "in";
      if (s.json)
        print_json(group_json(g, d));
      else
        std::printf("ch%d %s set to %s\n", g.code / kCodesPerChannel, g.name, dir);
    }
  }
  return 0;
}

void print_count(const Session &s, const char *command, long long counter, unsigned count, const char *text) {
  if (s.json)
    print_json(Json{{"command", std::string("counter ") + command}, {"counter", counter}, {"count", count}});
  else
    std::printf(text, counter, count);
}

int run_counter_start(Session &s, const Step &step) {
  int code = counter_start(s.card, static_cast<int>(step.args[0]), static_cast<int>(step.args[1]),
                           static_cast<unsigned>(step.args[2]));
  if (code != 0) return code;
  if (s.json)
    print_json(Json{{"command", "counter start"}, {"counter", step.args[0]}, {"mode", step.args[1]},
                    {"count", step.args[2]}});
  else
    std::printf("counter %lld started in mode %lld with count %lld\n", step.args[0], step.args[1], step.args[2]);
  return 0;
}

int run_counter_read(Session &s, const Step &step) {
  unsigned count = 0;
  int code = counter_read(s.card, static_cast<int>(step.args[0]), &count);
  if (code == 0) print_count(s, "read", step.args[0], count, "counter %lld: %u\n");
  return code;
}

int run_counter_stop(Session &s, const Step &step) {
  unsigned count = 0;
  int code = counter_stop(s.card, static_cast<int>(step.args[0]), &count);
  if (code == 0) print_count(s, "stop", step.args[0], count, "counter %lld stopped at %u\n");
  return code;
}

int run_clock_start(Session &s, const Step &step) {
  int code = clock_start(s.card, static_cast<int>(step.args[0]), static_cast<int>(step.args[1]));
  if (code != 0) return code;
  if (s.json)
    print_json(Json{{"command", "clock start"}, {"divisor1", step.args[0]}, {"divisor2", step.args[1]}});
  else
    std::printf("clock started: 2 MHz / %lld / %lld\n", step.args[0], step.args[1]);
  return 0;
}

int run_clock_stop(Session &s, const Step &) {
  int code = clock_stop(s.card);
  if (code == 0 && s.json) print_json(Json{{"command", "clock stop"}});
  if (code == 0 && !s.json) std::printf("clock stopped\n");
  return code;
}

int run_sleep(Session &, const Step &step) {
  timespec wait = {static_cast<time_t>(step.args[0] / 1000), static_cast<long>(step.args[0] % 1000) * 1000000L};
  nanosleep(&wait, nullptr);
  return 0;
}

int last_line(const KindInfo &k) { return k.output_lines - 1; }
int last_port(const KindInfo &k) { return k.ports - 1; }
int last_counter(const KindInfo &k) { return k.counters - 1; }

const ArgRule kLineArg = {"LINE", ArgType::Number, 0, kAnyInt, last_line};
const ArgRule kPortArg = {"PORT", ArgType::Port, 0, kAnyInt, last_port};
const ArgRule kCounterArg = {"COUNTER", ArgType::Number, 0, kAnyInt, last_counter};
// The library decides whether two counters can make the product.
const ArgRule kDivisorArg = {"DIVISOR", ArgType::Number, 1, kAnyInt};
const ArgRule kLineValueArg = {"VALUE", ArgType::Number, 0, 1};

// --- parsing ---------------------------------------------------------------------

bool is_command_word(const char *text) {
  for (int i = 0; i < kCommandCount; ++i)
    if (std::strcmp(kCommands[i].word, text) == 0) return true;
  return false;
}

// The command that words[at] (and for "counter" words[at + 1]) names.
const Command *find_command(int count, char **words, int at, int *used) {
  for (int i = 0; i < kCommandCount; ++i) {
    const Command &c = kCommands[i];
    if (std::strcmp(c.word, words[at]) != 0) continue;
    if (!c.subword) { *used = 1; return &c; }
    if (at + 1 < count && std::strcmp(c.subword, words[at + 1]) == 0) { *used = 2; return &c; }
  }
  return nullptr;
}

// "A", "1B", "2CH" on an 8255 card of k: the port code; -1 when it is none.
long long parse_group_name(const KindInfo &k, const char *text, bool port_only) {
  if (!is_ppi(k)) return -1;
  const char *p = text;
  int channel = 0;
  if (std::isdigit(static_cast<unsigned char>(*p))) channel = *p++ - '0';
  if (channel >= k.ppi_channels) return -1;
  struct Name {
    const char *name;
    int group;
    bool port;
  };
  const Name names[] = {{"A", ppicard::kGroupA, true},
                        {"B", ppicard::kGroupB, true},
                        {"C", ppicard::kGroupC, true},
                        {"CH", ppicard::kGroupCUpper, false},
                        {"CL", ppicard::kGroupCLower, false}};
  for (const Name &n : names) {
    if (strcasecmp(p, n.name) == 0 && (n.port || !port_only))
      return port_only ? channel * kPortsPerChannel + n.group : channel * kCodesPerChannel + n.group;
  }
  return -1;
}

// "counter start": the command's words; returns the length written.
int command_name(const Command &c, char *text, size_t size) {
  return std::snprintf(text, size, "%s%s%s", c.word, c.subword ? " " : "", c.subword ? c.subword : "");
}

long long rule_last(const KindInfo &k, const ArgRule &rule) { return rule.last ? rule.last(k) : rule.max; }

// n within the rule for the card at hand; else the limit into why.
bool within(const KindInfo &k, const Command &c, const ArgRule &rule, const char *text, long long n, char *why,
            size_t why_size) {
  const long long last = rule_last(k, rule);
  if (n >= rule.min && n <= last) return true;
  char name[32];
  command_name(c, name, sizeof name);
  if (rule.last)
    std::snprintf(why, why_size, "%s: %s %s is not one of a %s card (0 to %lld)", name, rule.name, text, k.name,
                  last);
  else
    std::snprintf(why, why_size, "%s: %s %s is out of range %lld to %lld", name, rule.name, text, rule.min, last);
  return false;
}

bool parse_operand(const KindInfo &k, const Command &c, const ArgRule &rule, const char *text, Step *step,
                   char *why, size_t why_size) {
  long long n = 0;
  switch (rule.type) {
    case ArgType::Direction:
      if (std::strcmp(text, "in") != 0 && std::strcmp(text, "out") != 0) {
        std::snprintf(why, why_size, "%s: %s '%s': say in or out", c.word, rule.name, text);
        return false;
      }
      step->args[step->arg_count++] = std::strcmp(text, "out") == 0;
      return true;
    case ArgType::Group:
    case ArgType::Port: {
      long long named = parse_group_name(k, text, rule.type == ArgType::Port);
      if (named >= 0) {
        step->args[step->arg_count++] = named;
        return true;
      }
      if (rule.type == ArgType::Group) {
        std::snprintf(why, why_size, "%s: '%s' is no group of a %s card (A, B, C, CH, CL%s)", c.word,
                      text, k.name, k.ppi_channels > 1 ? ", with a channel before: 1A" : "");
        return false;
      }
      break;
    }
    case ArgType::Assignment: {
      const char *equals = std::strchr(text, '=');
      char line[32];
      long long value = 0;
      if (!equals || static_cast<size_t>(equals - text) >= sizeof line) break;
      std::memcpy(line, text, static_cast<size_t>(equals - text));
      line[equals - text] = '\0';
      if (!parse_count_text(line, &n) || !parse_count_text(equals + 1, &value)) break;
      if (!within(k, c, kLineArg, line, n, why, why_size) ||
          !within(k, c, kLineValueArg, equals + 1, value, why, why_size))
        return false;
      step->args[step->arg_count++] = n;
      step->args[step->arg_count++] = value;
      return true;
    }
    case ArgType::Number:
      break;
  }
  if (rule.type == ArgType::Port && is_ppi(k) && !parse_count_text(text, &n)) {
    std::snprintf(why, why_size, "%s: '%s' is no port of a %s card (0 to %d, or A, B, C%s)", c.word, text, k.name,
                  last_port(k), k.ppi_channels > 1 ? " with a channel before: 1A" : "");
    return false;
  }
  if (rule.type == ArgType::Assignment) {
    std::snprintf(why, why_size, "%s: '%s' is not LINE=VALUE (LINE 0 to %d, VALUE 0 or 1)", c.word, text,
                  last_line(k));
    return false;
  }
  if (!parse_count_text(text, &n)) {
    std::snprintf(why, why_size, "%s: %s '%s' is not a number (decimal, or hexadecimal with 0x; 0 or more)",
                  c.word, rule.name, text);
    return false;
  }
  if (!within(k, c, rule, text, n, why, why_size)) return false;
  step->args[step->arg_count++] = n;
  return true;
}

}  // namespace

const Command kCommands[] = {
  {"read", nullptr, 0, 32, 1, {kLineArg}, true, false, nullptr,
   "every input; with LINEs those inputs", run_read},
  {"read-port", nullptr, 1, 18, 1, {kPortArg}, true, false, nullptr,
   "the inputs of each PORT as a byte", run_read_port},
  {"write", nullptr, 2, 2, 2, {kLineArg, kLineValueArg}, false, true, nullptr,
   "switch output LINE off (0) or on (1)", run_write},
  {"set", nullptr, 1, 32, 1, {{"LINE=VALUE", ArgType::Assignment, 0, 1}}, true, true, nullptr,
   "switch outputs, each port in one write: set 5=1 6=0", run_set},
  {"write-port", nullptr, 2, 2, 2, {kPortArg, {"VALUE", ArgType::Number, 0, kByteMax}}, false, true, nullptr,
   "write byte VALUE (0-255) to the outputs of PORT", run_write_port},
  {"readback", nullptr, 0, 0, 0, {}, false, false, nullptr,
   "every output as last written", run_readback},
  {"dir", nullptr, 0, 48, 2, {{"GROUP", ArgType::Group, 0, 0}, {"in|out", ArgType::Direction, 0, 1}}, true,
   true, is_ppi, "8255 cards: the groups' directions; GROUP in|out sets one", run_dir},
  {"counter", "start", 3, 3, 3, {kCounterArg, {"MODE", ArgType::Number, 0, kModeMax},
   {"COUNT", ArgType::Number, 0, kWordMax}}, false, false, starts_counters,
   "kestan: start COUNTER (0-2) in MODE (0-5), COUNT 0-65535", run_counter_start},
  {"counter", "read", 1, 1, 1, {kCounterArg}, false, false, has_counters,
   "kestan, wendal: latch and print the count of COUNTER", run_counter_read},
  {"counter", "stop", 1, 1, 1, {kCounterArg}, false, false, starts_counters,
   "kestan: print the count of COUNTER and stop it", run_counter_stop},
  {"clock", "start", 2, 2, 2, {kDivisorArg, kDivisorArg}, false, false, has_clock,
   "wendal: the sampling clock at 2 MHz / DIVISOR / DIVISOR", run_clock_start},
  {"clock", "stop", 0, 0, 0, {}, false, false, has_clock, "wendal: stop the sampling clock", run_clock_stop},
  {"sleep", nullptr, 1, 1, 1, {{"MS", ArgType::Number, 0, kSleepMaxMs}}, false, false, nullptr,
   "wait MS milliseconds (0-60000)", run_sleep},
};
const int kCommandCount = sizeof kCommands / sizeof kCommands[0];

int parse_steps(const KindInfo &kind, int count, char **words, Step *steps, int max_steps, char *why,
                size_t why_size) {
  int n = 0;
  char name[32];
  for (int at = 0; at < count;) {
    int used = 0;
    const Command *c = find_command(count, words, at, &used);
    if (!c) {
      if (std::strcmp(words[at], "counter") == 0 || std::strcmp(words[at], "clock") == 0)
        std::snprintf(why, why_size, "%s: say %s", words[at],
                      words[at][1] == 'o' ? "start, read or stop" : "start or stop");
      else
        std::snprintf(why, why_size, "unknown command '%s'", words[at]);
      return -1;
    }
    if (c->fits && !c->fits(kind)) {
      command_name(*c, name, sizeof name);
      std::snprintf(why, why_size, "%s: a %s card has none", name, kind.name);
      return -1;
    }
    if (n == max_steps) {
      std::snprintf(why, why_size, "more than %d commands", max_steps);
      return -1;
    }
    Step &step = steps[n++];
    step.command = c;
    step.arg_count = 0;
    at += used;
    int operands = 0;
    // Operands follow until the next command word or the end.
    while (at < count && !is_command_word(words[at]) && operands < c->max_args) {
      const ArgRule &rule = c->args[operands % c->rule_count];
      if (!parse_operand(kind, *c, rule, words[at], &step, why, why_size)) return -1;
      ++operands;
      ++at;
    }
    if (operands < c->min_args || (c->repeat && c->rule_count > 1 && operands % c->rule_count)) {
      command_name(*c, name, sizeof name);
      std::snprintf(why, why_size, "%s: %s missing", name, c->args[operands % (c->rule_count ? c->rule_count : 1)].name);
      return -1;
    }
    if (at < count && !is_command_word(words[at])) {
      std::snprintf(why, why_size, "%s: unexpected '%s'", c->word, words[at]);
      return -1;
    }
  }
  return n;
}

void describe_step(const Step &step, char *text, size_t size) {
  const Command &c = *step.command;
  int n = command_name(c, text, size);
  const bool pairs = c.args[0].type == ArgType::Assignment;
  for (int a = 0; a < step.arg_count && n < static_cast<int>(size); ++a) {
    if (pairs) {
      n += std::snprintf(text + n, size - n, " %lld=%lld", step.args[a], step.args[a + 1]);
      ++a;
    } else {
      n += std::snprintf(text + n, size - n, " %lld", step.args[a]);
    }
  }
}
