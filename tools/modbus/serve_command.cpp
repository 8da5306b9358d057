#include "serve_command.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "card_tables.h"

namespace modbus_server {

namespace {

bool parse_count(const char *text, int min, int max, int *value) {
  char *end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < min || number > max) return false;
  *value = static_cast<int>(number);
  return true;
}

}  // namespace

bool parse_serve_words(int argc, char **argv, int at, ServerOptions *options, char *why, size_t why_size) {
  bool have_address = false;
  for (; at < argc; ++at) {
    const char *word = argv[at];
    const char *value = at + 1 < argc ? argv[at + 1] : nullptr;
    if (std::strcmp(word, "--allow-writes") == 0) {
      options->allow_writes = true;
      continue;
    }
    bool ok = value != nullptr;
    if (std::strcmp(word, "--modbus") == 0) {
      ok = ok && parse_listen_address(value, &options->listen);
      have_address = ok;
    } else if (std::strcmp(word, "--max-clients") == 0) {
      ok = ok && parse_count(value, 1, kMaxClientsLimit, &options->max_clients);
    } else if (std::strcmp(word, "--max-per-peer") == 0) {
      ok = ok && parse_count(value, 1, kMaxClientsLimit, &options->max_per_peer);
    } else if (std::strcmp(word, "--idle-timeout") == 0) {
      ok = ok && parse_count(value, 1, 24 * 3600, &options->idle_seconds);
    } else {
      std::snprintf(why, why_size, "serve does not know '%s'", word);
      return false;
    }
    if (!ok) {
      std::snprintf(why, why_size, "serve %s needs %s", word,
                    std::strcmp(word, "--modbus") == 0 ? "[ADDRESS:]PORT, e.g. 1502 or 0.0.0.0:502"
                    : std::strncmp(word, "--max-", 6) == 0    ? "a number from 1 to 1000"
                                                              : "a number of seconds from 1 to 86400");
      return false;
    }
    ++at;
  }
  if (!have_address) std::snprintf(why, why_size, "serve needs --modbus [ADDRESS:]PORT");
  return have_address;
}

int serve_card(cardio::Card &card, const ServerOptions &options, void (*written)(void *), void *context) {
  CardTables tables{&card, written, context};
  PointTables points = card_point_tables(&tables);
  return serve(options, points);
}

}  // namespace modbus_server
