// The words after "serve" are read in two rounds: the panel page's words
// first, then what is left is the Modbus server's (--allow-writes is both
// front ends'). A word of the Modbus server with only --http given is a
// mistake, and so is a serve with neither front end.
#include "serve_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The front end a word belongs to.
enum class Front { Http, Modbus, Both };

struct ServeWord {
  const char *word;
  Front front;
  bool names_address;  // the word that asks for its front end
  bool (*take)(const char *value, ServeOptions *o);  // nullptr: the word takes no value
  const char *needs;   // what its value must be, for the mistake's message
};

bool parse_count(const char *text, int min, int max, int *value) {
  char *end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < min || number > max) return false;
  *value = static_cast<int>(number);
  return true;
}

bool take_modbus_address(const char *value, ServeOptions *o) {
  return modbus_server::parse_listen_address(value, &o->modbus_options.listen);
}
bool take_max_clients(const char *value, ServeOptions *o) {
  return parse_count(value, 1, modbus_server::kMaxClientsLimit, &o->modbus_options.max_clients);
}
bool take_max_per_peer(const char *value, ServeOptions *o) {
  return parse_count(value, 1, modbus_server::kMaxClientsLimit, &o->modbus_options.max_per_peer);
}
bool take_idle_timeout(const char *value, ServeOptions *o) {
  return parse_count(value, 1, 24 * 3600, &o->modbus_options.idle_seconds);
}
bool take_http_address(const char *value, ServeOptions *o) {
  modbus_server::ListenAddress address;
  if (!modbus_server::parse_listen_address(value, &address)) return false;
  o->http_options.host = address.host;
  o->http_options.port = address.port;
  return true;
}
bool take_max_pages(const char *value, ServeOptions *o) {
  return parse_count(value, 1, panel_http::kMaxPagesLimit, &o->http_options.max_pages);
}

const ServeWord kServeWords[] = {
  {"--modbus", Front::Modbus, true, take_modbus_address, "[ADDRESS:]PORT, e.g. 1502 or 0.0.0.0:502"},
  {"--allow-writes", Front::Both, false, nullptr, nullptr},
  {"--max-clients", Front::Modbus, false, take_max_clients, "a number from 1 to 1000"},
  {"--max-per-peer", Front::Modbus, false, take_max_per_peer, "a number from 1 to 1000"},
  {"--idle-timeout", Front::Modbus, false, take_idle_timeout, "a number of seconds from 1 to 86400"},
  {"--http", Front::Http, true, take_http_address, "[ADDRESS:]PORT, e.g. 8080 or 0.0.0.0:8080"},
  {"--max-pages", Front::Http, false, take_max_pages, "a number from 1 to 256"},
};

const ServeWord *find_word(const char *word) {
  for (const ServeWord &w : kServeWords)
    if (std::strcmp(w.word, word) == 0) return &w;
  return nullptr;
}

bool is_front(const ServeWord *w, Front front) { return w && w->front == front; }

// The word's value into o; false with the mistake in why.
bool take_value(const ServeWord &w, const char *value, ServeOptions *o, char *why, size_t why_size) {
  if (value && w.take(value, o)) return true;
  std::snprintf(why, why_size, "serve %s needs %s", w.word, w.needs);
  return false;
}

bool parse_modbus_words(const std::vector<char *> &words, ServeOptions *o, char *why, size_t why_size) {
  bool have_address = false;
  for (size_t at = 0; at < words.size(); ++at) {
    const ServeWord *w = find_word(words[at]);
    if (is_front(w, Front::Both)) {
      o->modbus_options.allow_writes = true;
      continue;
    }
    if (!is_front(w, Front::Modbus)) {
      std::snprintf(why, why_size, "serve does not know '%s'", words[at]);
      return false;
    }
    if (!take_value(*w, at + 1 < words.size() ? words[at + 1] : nullptr, o, why, why_size)) return false;
    have_address = have_address || w->names_address;
    ++at;
  }
  if (!have_address) std::snprintf(why, why_size, "serve needs --modbus [ADDRESS:]PORT");
  return have_address;
}

}  // namespace

bool parse_serve_words(int argc, char **argv, ServeOptions *o, char *why, size_t why_size) {
  std::vector<char *> rest;
  bool modbus_words = false;
  for (int at = 0; at < argc; ++at) {
    const ServeWord *w = find_word(argv[at]);
    if (is_front(w, Front::Http)) {
      if (!take_value(*w, at + 1 < argc ? argv[at + 1] : nullptr, o, why, why_size)) return false;
      o->http = o->http || w->names_address;
      ++at;
      continue;
    }
    const bool both = is_front(w, Front::Both);
    modbus_words = modbus_words || !both;
    o->modbus = o->modbus || (w && w->names_address);
    if (both) o->http_options.allow_writes = true;
    rest.push_back(argv[at]);
  }
  if (o->modbus || (modbus_words && !o->http)) return parse_modbus_words(rest, o, why, why_size);
  for (char *word : rest) {
    if (is_front(find_word(word), Front::Both)) continue;
    std::snprintf(why, why_size, "serve %s goes with --modbus", word);
    return false;
  }
  if (!o->http) std::snprintf(why, why_size, "serve needs --modbus [ADDRESS:]PORT or --http [ADDRESS:]PORT");
  return o->http;
}

const char *find_serve_option(const char *name, size_t length, bool *takes_value) {
  for (const ServeWord &w : kServeWords) {
    const char *bare = w.word + 2;
    if (std::strlen(bare) == length && std::strncmp(bare, name, length) == 0) {
      *takes_value = w.take != nullptr;
      return w.word;
    }
  }
  return nullptr;
}
