// The commands of kestan-sim, one function each over the iosim controls.
// Each returns an exit code (kestan-sim --help lists them).
#ifndef KESTAN_SIM_COMMANDS_H
#define KESTAN_SIM_COMMANDS_H

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;  // the simulated PC refused (no card there, no such bank, ...)
constexpr int kExitUsage = 2;    // the command line is wrong
constexpr int kExitOutput = 3;   // what it printed could not be written to stdout

struct SimCommand {
  const char *word;
  const char *args;  // as --help shows them
  int min_args, max_args;
  const char *help;
  int (*run)(char **args, int count);
};

extern const SimCommand kSimCommands[];
extern const int kSimCommandCount;

// Whether the commands reach the shared simulated PC (or the private one
// KESTAN_SIM_PC=private asks for); says why not on stderr.
bool shared_pc_reachable();

// A usage mistake, said on stderr.
int usage_error(const char *why, const char *what = nullptr);

#endif
