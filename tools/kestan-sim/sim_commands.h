// The commands of kestan-sim, one function each over the iosim controls.
// Each returns an exit code (kestan-sim --help lists them).
#ifndef KESTAN_SIM_COMMANDS_H
#define KESTAN_SIM_COMMANDS_H

#include "tool_failures.h"

// kestan-sim's exit codes, as tool_failures.h's table gives them.
using cardio::kExitOk;
using cardio::kExitRefused;  // the simulated PC refused (no card there, no such bank, ...)
constexpr int kExitUsage = cardio::sim_status(cardio::kUsage);
constexpr int kExitOutput = cardio::sim_status(cardio::kOutput);

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
