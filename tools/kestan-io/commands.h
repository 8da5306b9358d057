// The commands of kestan-io that work on one card: what each takes, and
// running one. A command line is a list of them, run in order in one
// process; every one is parsed and checked before the first runs.
#ifndef KESTAN_IO_COMMANDS_H
#define KESTAN_IO_COMMANDS_H

#include <cstddef>

#include "card_access.h"
#include "session.h"

constexpr int kMaxCommandArgs = 64;

enum class ArgType {
  Number,      // a number within the rule's range
  Assignment,  // LINE=VALUE, two numbers
  Port,        // a port number, or on an 8255 card a port name (A, B, C, 1A ...)
  Group,       // an 8255 group name (A, B, C, CH, CL, with a channel before: 1A), as its port code
  Direction,   // in (0) or out (1)
};

struct ArgRule {
  const char *name;
  ArgType type;
  long long min, max;  // Number, and the value of an Assignment
  // The last one the card at hand has (its last line, port, counter), in
  // place of max; nullptr: max.
  int (*last)(const cardio::KindInfo &kind) = nullptr;
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
  int min_args, max_args; // operands, not numbers: an assignment is one
  int rule_count;         // the rules; with repeat they apply again in turn
  ArgRule args[3];
  bool repeat;
  bool writes;            // changes outputs or directions (kept in the state file)
  bool (*fits)(const cardio::KindInfo &kind);  // nullptr: every kind
  const char *help;
  // Returns the card layer's code (0 on success).
  int (*run)(Session &session, const Step &step);
};

extern const Command kCommands[];
extern const int kCommandCount;

// Parses words[0 .. count - 1] into steps (at most max_steps) for the kind.
// On a mistake writes it into why and returns -1; otherwise the number of
// steps.
int parse_steps(const cardio::KindInfo &kind, int count, char **words, Step *steps, int max_steps,
                char *why, size_t why_size);

// "write 5 1" and the like, as the step was given.
void describe_step(const Step &step, char *text, size_t size);

#endif
