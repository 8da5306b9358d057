// kestan-io: the Kestan card's inputs, outputs and counters from a Linux
// shell, through libkestan.so. Options first, then one or more commands,
// run in order in one process; the first failure ends the run.
#include <climits>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "error_text.h"
#include "kestan.h"
#include "kestan_loader.h"

namespace {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitLibraryError = 1;  // the library refused a call
constexpr int kExitUsage = 2;         // the command line is wrong
constexpr int kExitNoLibrary = 3;     // libkestan.so or libioport.so did not load

constexpr int kMaxSteps = 256;
constexpr long long kDefaultCard = 0;

const char kHelp[] =
  "Usage: kestan-io [--simulator] [--card N] --base ADDRESS COMMAND... \n"
  "\n"
  "Reads and writes a Kestan card (32 inputs, 32 outputs, three 8254 counters)\n"
  "through libkestan.so. Numbers are decimal (680), hexadecimal with 0x (0x2A8)\n"
  "or with a trailing H (2A8H).\n"
  "\n"
  "Options:\n"
  "  --base ADDRESS  the card's base address, as set on its switches: a\n"
  "                  multiple of 8 from 0x200 to 0x3F8 (required)\n"
  "  --card N        the card number in the library's table, 0 to 7 (default 0)\n"
  "  --simulator     use the simulated PC instead of the real ports (its Kestan\n"
  "                  card sits at 0x2A8 with the test cable in: input n follows\n"
  "                  output n; KESTAN_SIM_RACK changes the rack, see README)\n"
  "  --hardware      use the real ports (the default); needs root or\n"
  "                  CAP_SYS_RAWIO, else reads give FFH and writes are dropped\n"
  "  -h, --help      this text\n"
  "\n"
  "Commands (give as many as you like; they run in order):\n"
  "%s"
  "\n"
  "Several commands in one run matter: the library keeps its copy of the\n"
  "outputs (readback) only while the process lives. The card keeps its outputs\n"
  "between runs, on the simulated PC too (one PC for every program of the\n"
  "session, see kestan-sim). Write and read back in the same run:\n"
  "  kestan-io --simulator --base 0x2A8 write 5 1 read readback\n"
  "  kestan-io --simulator --base 0x2A8 counter start 0 2 1000 sleep 5 counter read 0\n"
  "\n"
  "Which ports: kestan-io loads ../hardware/libioport.so or, with --simulator,\n"
  "../simulator/libioport.so (next to the folder of kestan-io) by its full path\n"
  "first, then ../lib/libkestan.so. The dynamic loader binds libkestan.so to the\n"
  "libioport.so already loaded, so the choice holds whatever LD_LIBRARY_PATH\n"
  "or the library's run path say.\n"
  "\n"
  "Exit status: 0 done; 1 the library refused a call (the message names the\n"
  "code, e.g. \"Invalid_Channel_Number (12)\", and what to do); 2 the command line\n"
  "is wrong; 3 a library did not load.\n";

void print_help() {
  char list[4096] = "";
  size_t used = 0;
  for (int i = 0; i < kCommandCount && used < sizeof list; ++i) {
    const Command &c = kCommands[i];
    char words[64];
    int n = std::snprintf(words, sizeof words, "%s%s%s", c.word, c.subword ? " " : "",
                          c.subword ? c.subword : "");
    for (int a = 0; a < c.max_args && n < static_cast<int>(sizeof words); ++a)
      n += std::snprintf(words + n, sizeof words - n, a < c.min_args ? " %s" : " [%s]", c.args[a].name);
    used += std::snprintf(list + used, sizeof list - used, "  %-33s %s\n", words, c.help);
  }
  std::printf(kHelp, list);
}

int usage_error(const char *why) {
  std::fprintf(stderr, "kestan-io: %s (kestan-io --help tells more)\n", why);
  return kExitUsage;
}

// One line on stderr: what was asked, which call refused it, the code, the remedy.
int library_error(const char *asked, const char *call, int code) {
  char text[512];
  describe_kestan_error(code, text, sizeof text);
  std::fprintf(stderr, "kestan-io: %s: %s: %s\n", asked, call, text);
  return kExitLibraryError;
}

void describe_step(const Step &step, char *text, size_t size) {
  const Command &c = *step.command;
  int n = std::snprintf(text, size, "%s%s%s", c.word, c.subword ? " " : "", c.subword ? c.subword : "");
  for (int a = 0; a < step.arg_count && n < static_cast<int>(size); ++a)
    n += std::snprintf(text + n, size - n, " %lld", step.args[a]);
}

struct Options {
  IoportBuild build = IoportBuild::Hardware;
  long long card = kDefaultCard;
  long long base = 0;
  bool have_base = false;
  bool help = false;
};

// Parses the options before the first command; returns the index of the
// first command, or -1 after reporting a mistake.
int parse_options(int argc, char **argv, Options *options) {
  int at = 1;
  for (; at < argc && argv[at][0] == '-' && argv[at][1] == '-' ; ++at) {
    const char *option = argv[at];
    if (std::strcmp(option, "--help") == 0) { options->help = true; continue; }
    if (std::strcmp(option, "--simulator") == 0) { options->build = IoportBuild::Simulator; continue; }
    if (std::strcmp(option, "--hardware") == 0) { options->build = IoportBuild::Hardware; continue; }
    bool base = std::strcmp(option, "--base") == 0;
    bool card = std::strcmp(option, "--card") == 0;
    if (!base && !card) {
      char why[128];
      std::snprintf(why, sizeof why, "unknown option '%s'", option);
      usage_error(why);
      return -1;
    }
    long long value = 0;
    if (at + 1 >= argc || !parse_number(argv[at + 1], &value) || value < INT_MIN || value > INT_MAX) {
      char why[128];
      std::snprintf(why, sizeof why, "%s needs a number", option);
      usage_error(why);
      return -1;
    }
    ++at;
    if (base) { options->base = value; options->have_base = true; }
    if (card) options->card = value;
  }
  if (at < argc && std::strcmp(argv[at], "-h") == 0) { options->help = true; ++at; }
  return at;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  int first = parse_options(argc, argv, &options);
  if (first < 0) return kExitUsage;
  if (options.help) {
    print_help();
    return kExitOk;
  }
  static Step steps[kMaxSteps];
  char why[256];
  int count = parse_steps(argc, argv, first, steps, kMaxSteps, why, sizeof why);
  if (count < 0) return usage_error(why);
  if (count == 0) return usage_error("no command given");
  if (!options.have_base) return usage_error("--base ADDRESS is missing");

  KestanApi api;
  if (!load_kestan(options.build, &api, why, sizeof why)) {
    std::fprintf(stderr, "kestan-io: %s\n", why);
    return kExitNoLibrary;
  }
  int code = api.Initial(static_cast<int>(options.card), static_cast<int>(options.base));
  if (code != No_Error) {
    char asked[64];
    std::snprintf(asked, sizeof asked, "card %lld at base 0x%llX", options.card, options.base);
    return library_error(asked, "W_Kestan_Initial", code);
  }
  for (int i = 0; i < count; ++i) {
    const char *call = "";
    code = steps[i].command->run(api, steps[i], &call);
    if (code != No_Error) {
      char asked[128];
      describe_step(steps[i], asked, sizeof asked);
      return library_error(asked, call, code);
    }
  }
  return kExitOk;
}
