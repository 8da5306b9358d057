// kestan-io serve's options: the words after "serve", which the top-level
// parser hands on among the operands wherever they stood on the line.
//   serve --modbus [ADDRESS:]PORT [--allow-writes] [--max-clients N] [--max-per-peer N]
//         [--idle-timeout SECONDS]
//   serve --http [ADDRESS:]PORT [--allow-writes] [--max-pages N]
// (or both front ends at once).
#ifndef KESTAN_IO_SERVE_OPTIONS_H
#define KESTAN_IO_SERVE_OPTIONS_H

#include <cstddef>

#include "http_server.h"
#include "server.h"

struct ServeOptions {
  bool modbus = false;
  modbus_server::ServerOptions modbus_options;
  bool http = false;
  panel_http::HttpOptions http_options;
};

// Parses the words after "serve". False with the mistake in why (one line).
bool parse_serve_words(int argc, char **argv, ServeOptions *options, char *why, size_t why_size);

// The serve option named name (length characters, no dashes): the operand
// it is handed on as ("--modbus"), with *takes_value set when a value
// follows it; nullptr when serve has no such option.
const char *find_serve_option(const char *name, size_t length, bool *takes_value);

#endif
