// The commands of kestan-io: what each takes, and running one.
#ifndef KESTAN_IO_COMMANDS_H
#define KESTAN_IO_COMMANDS_H

#include "kestan_loader.h"

constexpr int kMaxCommandArgs = 3;

struct ArgRule {
  const char *name;
  long long min, max;  // what the tool passes on; the library checks the rest
};

struct Command;

// One command of the command line with its numbers.
struct Step {
  const Command *command;
  long long args[kMaxCommandArgs];
  int arg_count;
};

struct Command {
  const char *word;       // "read", "counter"
  const char *subword;    // "start" after "counter", or nullptr
  int min_args, max_args;
  ArgRule args[kMaxCommandArgs];
  const char *help;
  // Returns the library's code; on failure names the call in *call.
  int (*run)(const KestanApi &api, const Step &step, const char **call);
};

extern const Command kCommands[];
extern const int kCommandCount;

// Parses a number as "680", "0x2A8", "2A8H" or "-1". False if it is none.
bool parse_number(const char *text, long long *value);

// Parses argv[at...] into steps (at most max_steps). On a mistake writes it
// into why and returns -1; otherwise the number of steps.
int parse_steps(int argc, char **argv, int at, Step *steps, int max_steps, char *why, int why_size);

#endif
