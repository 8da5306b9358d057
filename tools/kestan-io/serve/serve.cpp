// kestan-io serve: the card on Modbus/TCP (tools/modbus, over the tables of
// modbus_card_tables.h), as a panel page over HTTP (tools/http), or both at
// once, for as long as the server runs.
// The process owns the card meanwhile: it holds the card's state file
// (other kestan-io runs on that card end with status 8) and records every
// write in it, so the next run starts from what the card drives. The front
// ends share the card through one lock. SIGTERM, SIGINT and SIGHUP (unless
// ignored, as under nohup) end it and leave the outputs as they are.
#include <signal.h>

#include <cstdio>
#include <string>

#include "http_server.h"
#include "modbus_card_tables.h"
#include "serve_options.h"
#include "session.h"
#include "stop_signals.h"
#include "tool.h"

namespace {

struct Served {
  Session *session;
  cardio::StateFile *state;
};

void record_state(void *context) {
  Served &served = *static_cast<Served *>(context);
  keep_state(*served.session, *served.state);
}

int serve_modbus(panel_http::ServedCard &card, const modbus_server::ServerOptions &options) {
  return modbus_server::serve(options, modbus_card_tables(&card)) == 0 ? kExitOk : kExitNoListen;
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
  if (!parse_serve_words(argc, argv, &serve, why, sizeof why)) return usage_error(why);
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
