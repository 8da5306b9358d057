// kestan-io serve: the card on Modbus/TCP (tools/modbus) for as long as the
// server runs. The server owns the card meanwhile: it holds the card's state
// file (other kestan-io runs on that card end with status 8) and records
// every write in it, so the next run starts from what the card drives.
#include "serve_command.h"
#include "session.h"
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

}  // namespace

int run_serve(const Options &o, int argc, char **argv) {
  modbus_server::ServerOptions serve;
  char why[256];
  if (!modbus_server::parse_serve_words(argc, argv, 0, &serve, why, sizeof why)) return usage_error(why);
  if (!o.have_base) return usage_error("--base ADDRESS is missing");
  Session session;
  cardio::StateFile state;
  int code = open_session(o, serve.allow_writes, &session, &state);
  if (code == kExitOk) {
    Served served{&session, &state};
    code = modbus_server::serve_card(session.card, serve, record_state, &served) == 0 ? kExitOk : kExitNoListen;
  }
  cardio::state_file_close(&state);
  return code;
}
