// kestan-io's options, GNU style: anywhere on the line, "--base 2A8" or
// "--base=0x2A8", and "--" before operands that look like options. Numbers
// as number_text.h reads them: the base hexadecimal, the others decimal or 0x.
#ifndef KESTAN_IO_OPTIONS_H
#define KESTAN_IO_OPTIONS_H

#include <cstddef>

#include "card_access.h"

enum class PortLayer { Default, Hardware, Simulator };

struct Options {
  const cardio::KindInfo *kind = nullptr;  // --kind, kestan when not given
  long long card = 0;
  long long base = 0;
  bool have_base = false;
  long long irq = 5;
  PortLayer layer = PortLayer::Default;
  bool json = false;
  bool force = false;
  bool help = false;
  bool version = false;
};

// The options a program takes itself (serve's, serve_options.h) may stand
// anywhere on the line too. A lookup finds one by its name (length
// characters, no dashes): the word it is handed on as among the operands
// ("--modbus"), with *takes_value set when a value follows; nullptr when
// the program has no such option.
using ProgramOptionLookup = const char *(*)(const char *name, size_t length, bool *takes_value);

// Parses argv; the operands (everything that is not an option of kestan-io,
// in order, with program_option's options handed on among them) are left in
// operands[0 .. *count - 1]. On a mistake writes it into why and returns false.
bool parse_options(int argc, char **argv, ProgramOptionLookup program_option, Options *options,
                   char **operands, int *count, char *why, size_t why_size);

#endif
