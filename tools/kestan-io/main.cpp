// kestan-io: a card's inputs, outputs, port groups and counters from a Linux
// shell, through the card's own library. The first operand chooses the
// program: one of kPrograms (probe, scan, watch), or else a list of
// commands run in order in one process (read, write, set, ...). The whole
// line is parsed and checked before anything runs.
#include <cstdio>
#include <cstring>

#include "card_state_file.h"
#include "commands.h"
#include "number_text.h"
#include "options.h"
#include "serve_options.h"
#include "session.h"
#include "tool.h"
#include "watch.h"

#ifndef KIT_VERSION
#define KIT_VERSION "0"
#endif

namespace {

constexpr int kMaxSteps = 256;
constexpr int kMaxOperands = 4096;

struct Program {
  const char *word;
  const char *usage;
  const char *help;
  int (*run)(const Options &options, int argc, char **argv);
};

// Programs other than the command list. A new one is one more row.
const Program kPrograms[] = {
  {"probe", "probe", "does a card of --kind answer at --base, by reads alone? (exit 6: no, or cannot tell)", run_probe},
  {"scan", "scan", "the bases where a card of --kind answers, once per card; busy ones (/proc/ioports) skipped", run_scan},
  {"watch", "watch [LINE...]", "print every input change with its time until Ctrl-C", run_watch},
  {"serve", "serve --modbus|--http [ADDRESS:]PORT", "the card on Modbus/TCP, as a web page, or both, until Ctrl-C (see Serving below)",
   run_serve},
};

const char kHelpHead[] =
  "Usage: kestan-io [OPTION...] --base ADDRESS COMMAND...\n"
  "       kestan-io [OPTION...] --base ADDRESS probe|watch\n"
  "       kestan-io [OPTION...] scan\n"
  "       kestan-io [OPTION...] --base ADDRESS serve --modbus|--http [ADDRESS:]PORT [SERVE OPTION...]\n"
  "\n"
  "Reads and writes a digital I/O card through its library (libkestan.so,\n"
  "liborvel.so, ...). A base address is hexadecimal (2A8, 2A8H or 0x2A8); every\n"
  "other number is decimal (90) or hexadecimal with 0x (0x5A), never negative.\n"
  "Options may stand anywhere, as --base 2A8 or --base=0x2A8; after -- everything\n"
  "is a command.\n"
  "\n"
  "Options:\n"
  "  --kind KIND     kestan (default), orvel, sarrow, pellin, fenmar, wendal, dulvar\n"
  "  --base ADDRESS  the card's base address, as set on its switches (200 to 3FF)\n"
  "  --card N        the card number in the library's table (default 0)\n"
  "  --irq N         fenmar, wendal, dulvar: the card's interrupt level (default 5)\n"
  "  --simulator     the simulated PC instead of the real ports (KESTAN_IOPORT=simulator;\n"
  "                  its Kestan card sits at 0x2A8 with the test cable in: input n\n"
  "                  follows output n; KESTAN_SIM_RACK changes the rack, see README)\n"
  "  --hardware      the real ports (the default; needs root or CAP_SYS_RAWIO)\n"
  "  --json          one JSON object per result line, for scripts\n"
  "  --force         write even where /proc/ioports says a kernel driver owns the ports\n"
  "  -V, --version   the version\n"
  "  -h, --help      this text\n"
  "\n"
  "Lines and ports: on the kestan, orvel, sarrow and pellin cards input and output\n"
  "LINE n is bit n %% 8 of PORT n / 8. On the 8255 cards (fenmar 24 lines, wendal 48,\n"
  "dulvar 144) LINE 24c + 8p + b is bit b of port p (A, B, C) of channel c; a PORT is\n"
  "its number 3c + p or its name (A, B, C, on channel c: 1A, 2C, ...); GROUP is A, B,\n"
  "CH (C lines 4-7), CL (C lines 0-3) or C (both), with the channel before (1CH).\n"
  "Writing a group makes it an output and reading an input group keeps it one, as the\n"
  "library does; an output group reads what it drives.\n"
  "\n"
  "Commands (give as many as you like; they run in order):\n";

const char kHelpTail[] =
  "\n"
  "Outputs stay as they are between runs, as on the card: kestan-io keeps what it\n"
  "wrote in a locked state file per card base (KESTAN_IO_STATE_DIR, else for the\n"
  "simulated PC beside its file, KESTAN_SIM_PC.kestan-io, and for the real PC\n"
  "/run/kestan-io when it may, else $XDG_RUNTIME_DIR/kestan-io or /tmp/kestan-io-UID)\n"
  "and puts it back in the library before it writes, so a one-line write leaves the\n"
  "other outputs on (on the simulated PC a lamp card's outputs are read from the PC; an\n"
  "8255 card recorded in this boot is attached as its chips hold it).\n"
  "  kestan-io --simulator --base 0x2A8 write 3 1\n"
  "  kestan-io --simulator --base 0x2A8 set 5=1 6=0 read 3 5 6 readback\n"
  "  kestan-io --simulator --kind fenmar --base 0x220 dir A out write-port A 0x5A read-port C\n"
  "  kestan-io --simulator --base 0x2A8 counter start 0 2 1000 sleep 5 counter read 0\n"
  "\n"
  "Serving: serve puts the card on Modbus/TCP, unit id 1 (coils: outputs, discrete\n"
  "inputs: inputs, input registers: input words and counters, holding registers:\n"
  "output words and 8255 group directions; the map is in docs/programming.md), until\n"
  "SIGTERM or Ctrl-C, which leave the outputs as they are. It holds the card's state\n"
  "file meanwhile: other runs on that card end with status 8. Serve options:\n"
  "  --modbus [ADDRESS:]PORT  where to listen; 127.0.0.1 unless ADDRESS is given\n"
  "                           (0.0.0.0: every interface; port 0: the system chooses)\n"
  "  --http [ADDRESS:]PORT    the card's panel as a web page at http://ADDRESS:PORT/,\n"
  "                           live, with a JSON API under /api/ (alone or with --modbus)\n"
  "  --max-pages N            pages open at once, 1 to 256 (default 32)\n"
  "  --allow-writes           accept writes (else every write gets exception 01H or 403)\n"
  "  --max-clients N          clients at once, 1 to 1000 (default 16)\n"
  "  --max-per-peer N         clients at once from one address (default 8)\n"
  "  --idle-timeout SECONDS   drop a client without a whole request that long (default 60)\n"
  "  kestan-io --simulator --base 0x2A8 serve --modbus 1502 --allow-writes\n"
  "  kestan-io --simulator --base 0x2A8 serve --http 8080 --allow-writes\n"
  "\n"
  "Exit status: 0 done; 1 the library refused a call (the message names the call and\n"
  "the code, e.g. \"Invalid_Base_Address (4)\", and what to do); 2 the command line\n"
  "is wrong; 3 the port layer is not installed; 4 no right to the card's ports (root\n"
  "or CAP_SYS_RAWIO, kernel lockdown); 5 a kernel driver owns the ports (--force);\n"
  "6 probe: nothing answers; 7 serve: the address cannot be listened on; 8 the card\n"
  "is in use (another program, such as a kestan-io serve, held it for 2 seconds);\n"
  "9 the results could not be written to standard output; 10 the card's record cannot\n"
  "be kept (its folder or file is not yours alone, or it could not be saved: the\n"
  "message names it). Every line and value is checked against the card before the\n"
  "first port access (status 2, with the limit); with --json a failure is also\n"
  "{\"error\":{\"status\":N,\"message\":...}} on stdout.\n";

void print_help() {
  std::printf(kHelpHead);
  for (int i = 0; i < kCommandCount; ++i) {
    const Command &c = kCommands[i];
    char words[96];
    int n = std::snprintf(words, sizeof words, "%s%s%s", c.word, c.subword ? " " : "", c.subword ? c.subword : "");
    // Optional operands in one pair of brackets: "dir [GROUP in|out...]".
    for (int a = 0; a < c.rule_count && n < static_cast<int>(sizeof words); ++a)
      n += std::snprintf(words + n, sizeof words - n, a == c.min_args ? " [%s" : " %s", c.args[a].name);
    if (c.repeat && n < static_cast<int>(sizeof words)) n += std::snprintf(words + n, sizeof words - n, "...");
    if (c.min_args < c.rule_count && n < static_cast<int>(sizeof words))
      n += std::snprintf(words + n, sizeof words - n, "]");
    std::printf("  %-34s %s\n", words, c.help);
  }
  for (const Program &p : kPrograms) std::printf("  %-34s %s\n", p.usage, p.help);
  std::printf(kHelpTail);
}

const Program *find_program(const char *word) {
  for (const Program &p : kPrograms)
    if (std::strcmp(p.word, word) == 0) return &p;
  return nullptr;
}

bool any_writes(const Step *steps, int count) {
  for (int i = 0; i < count; ++i)
    if (steps[i].command->writes) return true;
  return false;
}

int run_commands(const Options &o, int argc, char **argv) {
  static Step steps[kMaxSteps];
  char why[256];
  int count = parse_steps(*o.kind, argc, argv, steps, kMaxSteps, why, sizeof why);
  if (count < 0) return usage_error(why);
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  Session session;
  cardio::StateFile state;
  int code = open_session(o, any_writes(steps, count), &session, &state);
  for (int i = 0; i < count && code == kExitOk; ++i) {
    int result = steps[i].command->run(session, steps[i]);
    if (steps[i].command->writes && keep_state(session, state) != kExitOk && code == kExitOk) code = kExitNoState;
    if (result != 0) {
      char asked[128];
      describe_step(steps[i], asked, sizeof asked);
      code = library_error(session, asked, result);
    }
  }
  cardio::state_file_close(&state);
  return code;
}

}  // namespace

int run_watch(const Options &o, int argc, char **argv) {
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  unsigned char lines[cardio::kMaxPorts] = {};
  for (int p = 0; p < o.kind->ports; ++p) lines[p] = 0xFF;
  if (argc > 0) {
    for (unsigned char &l : lines) l = 0;
    for (int i = 0; i < argc; ++i) {
      long long line = 0;
      if (!cardio::parse_count_text(argv[i], &line) || line >= o.kind->input_lines) {
        char why[128];
        std::snprintf(why, sizeof why, "watch: LINE '%s' is not a line of a %s card (0-%d)", argv[i],
                      o.kind->name, o.kind->input_lines - 1);
        return usage_error(why);
      }
      lines[line / 8] = static_cast<unsigned char>(lines[line / 8] | (1u << (line % 8)));
    }
  }
  Session session;
  cardio::StateFile state;
  int code = open_session(o, false, &session, &state);
  // Other runs may write the card meanwhile: the lock is not held while watching.
  cardio::state_file_close(&state);
  if (code != kExitOk) return code;
  int refused = 0;
  code = watch_inputs(session.card, o.json, lines, &refused);
  return code == kExitRefused ? library_error(session, "watch", refused) : code;
}

// --json before "--", seen before the line is parsed: a mistake in the
// line is then said as JSON too.
static bool asks_for_json(int argc, char **argv) {
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    if (std::strcmp(argv[i], "--json") == 0) return true;
  return false;
}

static int run_line(int argc, char **argv) {
  Options options;
  static char *operands[kMaxOperands];
  int count = 0;
  char why[256];
  // An option handed on as "--name=value" makes two operands.
  if (argc > kMaxOperands / 2) return usage_error("too many arguments");
  if (!parse_options(argc, argv, find_serve_option, &options, operands, &count, why, sizeof why)) return usage_error(why);
  if (options.help) {
    print_help();
    return kExitOk;
  }
  if (options.version) {
    std::printf("kestan-io %s\n", KIT_VERSION);
    return kExitOk;
  }
  if (count == 0) return usage_error("no command given");
  choose_port_layer(options);
  if (const Program *program = find_program(operands[0])) return program->run(options, count - 1, operands + 1);
  return run_commands(options, count, operands);
}

int main(int argc, char **argv) {
  report_errors_as_json(asks_for_json(argc, argv));
  return finish_output(run_line(argc, argv));
}
