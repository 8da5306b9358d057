// kestan-io serve: the card on Modbus/TCP (tools/modbus), as a panel page
// over HTTP (tools/http), or both at once, for as long as the server runs.
// The process owns the card meanwhile: it holds the card's state file
// (other kestan-io runs on that card end with status 8) and records every
// write in it, so the next run starts from what the card drives. The front
// ends share the card through one lock. SIGTERM, SIGINT and SIGHUP (unless
// ignored, as under nohup) end it and leave the outputs as they are.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "card_tables.h"
#include "http_server.h"
#include "serve_command.h"
#include "session.h"
#include "stop_signals.h"
#include "tool.h"

namespace {

struct ServeOptions {
  bool modbus = false;
  modbus_server::ServerOptions modbus_options;
  bool http = false;
  panel_http::HttpOptions http_options;
};

bool parse_pages(const char *text, int *pages) {
  char *end = nullptr;
  long number = text ? std::strtol(text, &end, 10) : 0;
  if (!text || end == text || *end != '\0' || number < 1 || number > panel_http::kMaxPagesLimit) return false;
  *pages = static_cast<int>(number);
  return true;
}

bool parse_http_address(const char *text, panel_http::HttpOptions *http) {
  modbus_server::ListenAddress address;
  if (!text || !modbus_server::parse_listen_address(text, &address)) return false;
  http->host = address.host;
  http->port = address.port;
  return true;
}

// Takes the HTTP words out of the serve words; the rest are the Modbus
// server's (and --allow-writes, which is both front ends').
bool parse_words(int argc, char **argv, ServeOptions *o, char *why, size_t why_size) {
  std::vector<char *> rest;
  bool modbus_words = false;
  for (int at = 0; at < argc; ++at) {
    const char *word = argv[at], *value = at + 1 < argc ? argv[at + 1] : nullptr;
    if (std::strcmp(word, "--http") == 0 || std::strcmp(word, "--max-pages") == 0) {
      const bool http = word[2] == 'h';
      if (http ? !parse_http_address(value, &o->http_options) : !parse_pages(value, &o->http_options.max_pages)) {
        std::snprintf(why, why_size, "serve %s needs %s", word,
                      http ? "[ADDRESS:]PORT, e.g. 8080 or 0.0.0.0:8080" : "a number from 1 to 256");
        return false;
      }
      o->http = o->http || http;
      ++at;
      continue;
    }
    modbus_words = modbus_words || std::strcmp(word, "--allow-writes") != 0;
    o->modbus = o->modbus || std::strcmp(word, "--modbus") == 0;
    if (std::strcmp(word, "--allow-writes") == 0) o->http_options.allow_writes = true;
    rest.push_back(argv[at]);
  }
  if (o->modbus || (modbus_words && !o->http))
    return modbus_server::parse_serve_words(static_cast<int>(rest.size()), rest.data(), 0, &o->modbus_options, why,
                                            why_size);
  for (char *word : rest) {
    if (std::strcmp(word, "--allow-writes") == 0) continue;
    std::snprintf(why, why_size, "serve %s goes with --modbus", word);
    return false;
  }
  if (!o->http) std::snprintf(why, why_size, "serve needs --modbus [ADDRESS:]PORT or --http [ADDRESS:]PORT");
  return o->http;
}

struct Served {
  Session *session;
  cardio::StateFile *state;
};

void record_state(void *context) {
  Served &served = *static_cast<Served *>(context);
  keep_state(*served.session, *served.state);
}

// The Modbus tables over the shared card, each call under its lock.
struct LockedTables {
  modbus_server::PointTables inner;
  panel_http::ServedCard *card;
};

int locked_read(void *context, modbus_server::Table table, int address, int count, uint16_t *values) {
  LockedTables &t = *static_cast<LockedTables *>(context);
  std::lock_guard<std::mutex> guard(t.card->lock);
  return t.inner.read(t.inner.context, table, address, count, values);
}

int locked_write(void *context, modbus_server::Table table, int address, int count, const uint16_t *values,
                 char *why, size_t why_size) {
  LockedTables &t = *static_cast<LockedTables *>(context);
  std::lock_guard<std::mutex> guard(t.card->lock);
  return t.inner.write(t.inner.context, table, address, count, values, why, why_size);
}

int serve_modbus(panel_http::ServedCard &card, const modbus_server::ServerOptions &options) {
  modbus_server::CardTables tables{card.card, card.written, card.written_context};
  LockedTables locked{modbus_server::card_point_tables(&tables), &card};
  modbus_server::PointTables points = locked.inner;
  points.context = &locked;
  points.read = locked_read;
  points.write = locked_write;
  return modbus_server::serve(options, points) == 0 ? kExitOk : kExitNoListen;
}

// HTTP alone: the stop signals are waited for here.
int wait_for_stop(const sigset_t &wait_mask) {
  while (!modbus_server::g_stop_signal) sigsuspend(&wait_mask);
  std::fprintf(stderr, "kestan-io: http: stopped by %s; the outputs stay as they are\n",
               modbus_server::stop_signal_name(modbus_server::g_stop_signal));
  return kExitOk;
}

int serve_card(panel_http::ServedCard &card, const ServeOptions &o) {
  // The stop signals (those of the Modbus server) are blocked before the
  // HTTP server's threads start, which inherit the mask: only this thread
  // takes them, in the Modbus loop or below.
  sigset_t wait_mask;
  modbus_server::catch_stop_signals(&wait_mask);
  signal(SIGPIPE, SIG_IGN);
  panel_http::HttpServer http(card, o.http_options);
  std::string why;
  if (o.http && !http.start(&why)) return tool_failure(kExitNoListen, why.c_str());
  int code = o.modbus ? serve_modbus(card, o.modbus_options) : wait_for_stop(wait_mask);
  http.stop();
  return code;
}

}  // namespace

int run_serve(const Options &o, int argc, char **argv) {
  ServeOptions serve;
  char why[256];
  if (!parse_words(argc, argv, &serve, why, sizeof why)) return usage_error(why);
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  serve.http_options.allow_writes = serve.http_options.allow_writes || serve.modbus_options.allow_writes;
  Session session;
  cardio::StateFile state;
  int code = open_session(o, serve.http_options.allow_writes, &session, &state);
  if (code == kExitOk) {
    Served served{&session, &state};
    panel_http::ServedCard card;
    card.card = &session.card;
    card.written = record_state;
    card.written_context = &served;
    code = serve_card(card, serve);
  }
  cardio::state_file_close(&state);
  return code;
}
