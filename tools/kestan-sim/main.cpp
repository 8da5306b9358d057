// kestan-sim: the simulated PC that every simulator-build program of the
// session shares (panels under Wine, kestan-io, a learner's own program),
// run by hand: what is plugged and claimed, cables, input lines driven
// from outside, line changes as they happen, the last port accesses.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim_commands.h"

#ifndef KIT_VERSION
#define KIT_VERSION "0"
#endif

namespace {

const char kHelp[] =
  "Usage: kestan-sim COMMAND [ARGUMENT...]\n"
  "       kestan-sim --help | --version\n"
  "\n"
  "Runs the simulated PC by hand. Every simulator-build program of your session\n"
  "(the panels and samples under Wine, kestan-io --simulator, your own program\n"
  "linked with the simulator's libioport) works on this one PC, which keeps its\n"
  "cards, output latches, cables and claims between runs, as a PC does.\n"
  "\n"
  "The PC is the file KESTAN_SIM_PC names (default $XDG_RUNTIME_DIR/kestan-sim.pc,\n"
  "else /tmp/kestan-sim-UID/kestan-sim.pc, in a folder of your own); a new PC gets\n"
  "the rack of KESTAN_SIM_RACK (default: a Kestan card at 2A8H), and reset puts in\n"
  "the rack KESTAN_SIM_RACK names (or the default one); a rack or plug that names an unknown kind, a base the\n"
  "kind cannot sit at (off its step, or a port outside 200H-3FFH) or overlapping\n"
  "cards changes nothing. Bases are hexadecimal (2A8, 2A8H or 0x2A8); banks, lines\n"
  "and counts are decimal or 0x (0x7).\n"
  "\n"
  "Commands:\n"
  "%s"
  "\n"
  "Banks of lines: kestan, orvel: bank 0, 32 lines; sarrow: bank 0, 16 lines;\n"
  "pellin: bank 0, 8 lines; fenmar, wendal, dulvar: bank 3 x channel + port\n"
  "(port 0 A, 1 B, 2 C), 8 lines each.\n"
  "\n"
  "Example, a panel and a script on one PC:\n"
  "  wine build/win32/simulator/kestan_panel.exe &   # choose 2A8H\n"
  "  kestan-io --simulator --base 0x2A8 write 5 1    # input lamp 5 lights\n"
  "  kestan-sim set 2A8 0 7 1                        # input lamp 7 lights\n"
  "\n"
  "Exit status: 0 done; 1 the simulated PC refused (no card at that base, no\n"
  "such bank, range occupied, unknown kind, a base the kind cannot sit at, a rack\n"
  "it cannot plug) or its file cannot be used; 2 the command line is wrong; 3 what\n"
  "it printed could not be written to standard output; 75 a program holding the PC\n"
  "does not let go.\n";

void print_help() {
  char list[2048] = "";
  size_t used = 0;
  for (int i = 0; i < kSimCommandCount && used < sizeof list; ++i) {
    char words[48];
    std::snprintf(words, sizeof words, "%s %s", kSimCommands[i].word, kSimCommands[i].args);
    used += std::snprintf(list + used, sizeof list - used, "  %-28s %s\n", words, kSimCommands[i].help);
  }
  std::printf(kHelp, list);
}

// status, or kExitOutput when what was printed could not be written.
int finish_output(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "kestan-sim: what it printed could not be written to standard output (%s)\n",
               std::strerror(errno));
  return status == kExitOk ? kExitOutput : status;
}

}  // namespace

int usage_error(const char *why, const char *what) {
  if (what)
    std::fprintf(stderr, "kestan-sim: %s: %s (kestan-sim --help tells more)\n", why, what);
  else
    std::fprintf(stderr, "kestan-sim: %s (kestan-sim --help tells more)\n", why);
  return kExitUsage;
}

int main(int argc, char **argv) {
  if (argc < 2) return usage_error("no command");
  if (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")) {
    print_help();
    return finish_output(kExitOk);
  }
  if (!std::strcmp(argv[1], "-V") || !std::strcmp(argv[1], "--version")) {
    std::printf("kestan-sim %s\n", KIT_VERSION);
    return finish_output(kExitOk);
  }
  for (int i = 0; i < kSimCommandCount; ++i) {
    const SimCommand &c = kSimCommands[i];
    if (std::strcmp(argv[1], c.word) != 0) continue;
    int count = argc - 2;
    if (count < c.min_args || count > c.max_args) return usage_error("wrong number of arguments for", c.word);
    if (!shared_pc_reachable()) return kExitRefused;
    return finish_output(c.run(argv + 2, count));
  }
  return usage_error("unknown command", argv[1]);
}
