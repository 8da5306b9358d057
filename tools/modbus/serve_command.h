// kestan-io's serve command: the words after "serve", and serving the card
// the tool has opened until SIGTERM or SIGINT.
//   serve --modbus [ADDRESS:]PORT [--allow-writes] [--max-clients N] [--max-per-peer N]
//                  [--idle-timeout SECONDS]
#ifndef KIT_MODBUS_SERVE_COMMAND_H
#define KIT_MODBUS_SERVE_COMMAND_H

#include <cstddef>

#include "card_access.h"
#include "server.h"

namespace modbus_server {

// Parses argv[at...] (the words after "serve"). False with the mistake in
// why (one line).
bool parse_serve_words(int argc, char **argv, int at, ServerOptions *options, char *why, size_t why_size);

// Serves card (open, and kept open by the caller) on Modbus/TCP; written,
// when given, runs after every write that reached the card (to record the
// card's state). Returns the tool's exit status: 0 after SIGTERM or SIGINT,
// 1 when the server cannot listen.
int serve_card(cardio::Card &card, const ServerOptions &options, void (*written)(void *), void *context);

}  // namespace modbus_server

#endif
