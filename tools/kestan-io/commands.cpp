// The commands of kestan-io: a table of words, their numbers and the library
// calls behind them. Each run function makes the calls and prints what a
// person wants to see; the numbers go to the library as given, so its own
// checks (and their codes) decide, except where the library would silently
// cut a value to its low bits: those ranges are checked here.
#include "commands.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "kestan.h"

namespace {

constexpr int kChannels = 32;
constexpr int kPorts = 4;
constexpr int kLinesPerPort = 8;
constexpr long long kAnyInt = INT_MAX;
constexpr long long kAnyIntMin = INT_MIN;
constexpr long long kByteMax = 0xFF;
constexpr long long kWordMax = 0xFFFF;
constexpr long long kSleepMaxMs = 60000;

// Prints 32 lines as four rows of eight, channel numbers first, then the word.
void print_lines(const char *what, unsigned long word) {
  for (int port = 0; port < kPorts; ++port) {
    int first = port * kLinesPerPort;
    std::printf("%s %2d-%-2d:", what, first, first + kLinesPerPort - 1);
    for (int bit = 0; bit < kLinesPerPort; ++bit) std::printf(" %lu", (word >> (first + bit)) & 1);
    std::printf("\n");
  }
  std::printf("%s word : 0x%08lX (bit n = channel n)\n", what, word);
}

int run_read(const KestanApi &api, const Step &step, const char **call) {
  if (step.arg_count == 1) {
    int value = 0;
    *call = "W_Kestan_DI_Channel";
    int code = api.DI_Channel(static_cast<int>(step.args[0]), &value);
    if (code == No_Error) std::printf("input %lld: %d\n", step.args[0], value);
    return code;
  }
  unsigned int low = 0, high = 0;
  *call = "W_Kestan_DI_16";
  int code = api.DI_16(0, &low);
  if (code == No_Error) code = api.DI_16(1, &high);
  if (code == No_Error) print_lines("inputs ", low | (static_cast<unsigned long>(high) << 16));
  return code;
}

int run_read_port(const KestanApi &api, const Step &step, const char **call) {
  unsigned char value = 0;
  *call = "W_Kestan_DI_8";
  int code = api.DI_8(static_cast<int>(step.args[0]), &value);
  if (code == No_Error) std::printf("input port %lld: 0x%02X\n", step.args[0], value);
  return code;
}

int run_write(const KestanApi &api, const Step &step, const char **call) {
  *call = "W_Kestan_DO_Channel";
  int code = api.DO_Channel(static_cast<int>(step.args[0]), static_cast<unsigned>(step.args[1]));
  if (code == No_Error) std::printf("output %lld set to %lld\n", step.args[0], step.args[1]);
  return code;
}

int run_write_port(const KestanApi &api, const Step &step, const char **call) {
  *call = "W_Kestan_DO_8";
  int code = api.DO_8(static_cast<int>(step.args[0]), static_cast<unsigned>(step.args[1]));
  if (code == No_Error) std::printf("output port %lld set to 0x%02llX\n", step.args[0], step.args[1]);
  return code;
}

int run_readback(const KestanApi &api, const Step &, const char **call) {
  unsigned long word = 0;
  *call = "W_Kestan_Read_Back";
  for (int port = 0; port < kPorts; ++port) {
    unsigned char byte = 0;
    int code = api.Read_Back(port, &byte);
    if (code != No_Error) return code;
    word |= static_cast<unsigned long>(byte) << (port * kLinesPerPort);
  }
  print_lines("outputs", word);
  return No_Error;
}

int run_counter_start(const KestanApi &api, const Step &step, const char **call) {
  *call = "W_Kestan_Timer_Start";
  int code = api.Timer_Start(static_cast<int>(step.args[0]), static_cast<int>(step.args[1]),
                             static_cast<unsigned>(step.args[2]));
  if (code == No_Error)
    std::printf("counter %lld started in mode %lld with count %lld\n", step.args[0], step.args[1],
                step.args[2]);
  return code;
}

int run_counter_read(const KestanApi &api, const Step &step, const char **call) {
  unsigned int count = 0;
  *call = "W_Kestan_Timer_Read";
  int code = api.Timer_Read(static_cast<int>(step.args[0]), &count);
  if (code == No_Error) std::printf("counter %lld: %u\n", step.args[0], count);
  return code;
}

int run_counter_stop(const KestanApi &api, const Step &step, const char **call) {
  unsigned int count = 0;
  *call = "W_Kestan_Timer_Stop";
  int code = api.Timer_Stop(static_cast<int>(step.args[0]), &count);
  if (code == No_Error) std::printf("counter %lld stopped at %u\n", step.args[0], count);
  return code;
}

int run_sleep(const KestanApi &, const Step &step, const char **) {
  timespec wait = {static_cast<time_t>(step.args[0] / 1000),
                   static_cast<long>(step.args[0] % 1000) * 1000000L};
  nanosleep(&wait, nullptr);
  return No_Error;
}

const ArgRule kChannelArg = {"CHANNEL", kAnyIntMin, kAnyInt};
const ArgRule kPortArg = {"PORT", kAnyIntMin, kAnyInt};
const ArgRule kCounterArg = {"COUNTER", kAnyIntMin, kAnyInt};

bool is_command_word(const char *text) {
  for (int i = 0; i < kCommandCount; ++i)
    if (std::strcmp(kCommands[i].word, text) == 0) return true;
  return false;
}

// The command that argv[at] (and for "counter" argv[at + 1]) names.
const Command *find_command(int argc, char **argv, int at, int *words) {
  for (int i = 0; i < kCommandCount; ++i) {
    const Command &c = kCommands[i];
    if (std::strcmp(c.word, argv[at]) != 0) continue;
    if (!c.subword) { *words = 1; return &c; }
    if (at + 1 < argc && std::strcmp(c.subword, argv[at + 1]) == 0) { *words = 2; return &c; }
  }
  return nullptr;
}

}  // namespace

const Command kCommands[] = {
  {"read", nullptr, 0, 1, {kChannelArg}, "the 32 inputs; with CHANNEL that one input", run_read},
  {"read-port", nullptr, 1, 1, {kPortArg}, "the 8 inputs of PORT (0-3) as a byte", run_read_port},
  {"write", nullptr, 2, 2, {kChannelArg, {"VALUE", 0, kByteMax}},
   "switch output CHANNEL (0-31) off (0) or on (1)", run_write},
  {"write-port", nullptr, 2, 2, {kPortArg, {"VALUE", 0, kByteMax}},
   "write byte VALUE (0-255) to outputs of PORT (0-3)", run_write_port},
  {"readback", nullptr, 0, 0, {}, "the 32 outputs as last written (library copy)", run_readback},
  {"counter", "start", 3, 3, {kCounterArg, {"MODE", kAnyIntMin, kAnyInt}, {"COUNT", 0, kWordMax}},
   "start COUNTER (0-2) in MODE (0-5), COUNT 0-65535", run_counter_start},
  {"counter", "read", 1, 1, {kCounterArg}, "latch and print the count of COUNTER", run_counter_read},
  {"counter", "stop", 1, 1, {kCounterArg}, "print the count of COUNTER and stop it", run_counter_stop},
  {"sleep", nullptr, 1, 1, {{"MS", 0, kSleepMaxMs}}, "wait MS milliseconds (0-60000)", run_sleep},
};
const int kCommandCount = sizeof kCommands / sizeof kCommands[0];

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

int parse_steps(int argc, char **argv, int at, Step *steps, int max_steps, char *why, int why_size) {
  int count = 0;
  while (at < argc) {
    int words = 0;
    const Command *c = find_command(argc, argv, at, &words);
    if (!c) {
      if (std::strcmp(argv[at], "counter") == 0)
        std::snprintf(why, why_size, "counter: say start, read or stop");
      else
        std::snprintf(why, why_size, "unknown command '%s'", argv[at]);
      return -1;
    }
    if (count == max_steps) {
      std::snprintf(why, why_size, "more than %d commands", max_steps);
      return -1;
    }
    Step &step = steps[count++];
    step.command = c;
    step.arg_count = 0;
    at += words;
    // Numbers follow until the next command word or the end.
    while (at < argc && !is_command_word(argv[at]) && step.arg_count < c->max_args) {
      const ArgRule &rule = c->args[step.arg_count];
      long long n = 0;
      if (!parse_number(argv[at], &n)) {
        std::snprintf(why, why_size, "%s: %s '%s' is not a number", c->word, rule.name, argv[at]);
        return -1;
      }
      if (n < rule.min || n > rule.max) {
        std::snprintf(why, why_size, "%s: %s %s is out of range %lld to %lld", c->word, rule.name,
                      argv[at], rule.min, rule.max);
        return -1;
      }
      step.args[step.arg_count++] = n;
      ++at;
    }
    if (step.arg_count < c->min_args) {
      std::snprintf(why, why_size, "%s%s%s: %s missing", c->word, c->subword ? " " : "",
                    c->subword ? c->subword : "", c->args[step.arg_count].name);
      return -1;
    }
    if (at < argc && !is_command_word(argv[at])) {
      std::snprintf(why, why_size, "%s: unexpected '%s'", c->word, argv[at]);
      return -1;
    }
  }
  return count;
}
