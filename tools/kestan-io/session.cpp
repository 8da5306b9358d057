// Opening the card of a kestan-io run.
#include "session.h"

#include <cstdio>

#include "card_json.h"
#include "error_text.h"
#include "tool.h"

int library_error(const Session &session, const char *asked, int code) {
  char text[512];
  describe_card_error(session.card.info->kind, code, text, sizeof text);
  const char *call = cardio::call_name(session.card.info->kind, session.card.last_call);
  std::fprintf(stderr, "kestan-io: %s: %s%s%s\n", asked, call, *call ? ": " : "", text);
  if (session.json)
    cardio::print_json(cardio::Json{{"error", {{"asked", asked}, {"call", call}, {"code", code},
                                                {"name", cardio::code_name(session.card.info->kind, code)}}}});
  return kExitRefused;
}

int open_session(const Options &o, bool writes, Session *session, cardio::StateFile *state) {
  const cardio::KindInfo &k = *o.kind;
  // A card number or address the library will refuse touches no port: its
  // refusal says more than a check of the ports would.
  const bool library_accepts = o.card >= 0 && o.card < k.cards && o.base >= k.base_first &&
                               o.base <= k.base_last && o.base % k.base_step == 0;
  // The 8255 cards' Initial programs the chips: that is a write too.
  int code = library_accepts ? check_ports(o, static_cast<int>(o.base), k.decoded_ports,
                                           writes || k.ppi_channels > 0)
                             : kExitOk;
  if (code != kExitOk) return code;
  char dir[512], why[640];
  cardio::state_dir(on_simulator(), dir, sizeof dir);
  cardio::CardState kept{};
  bool have_state = library_accepts &&
                    cardio::state_file_open(state, dir, k.kind, static_cast<int>(o.base), why, sizeof why);
  if (library_accepts && !have_state && state->in_use) return tool_failure(kExitInUse, why);
  if (library_accepts && !have_state)
    std::fprintf(stderr, "kestan-io: warning: %s; outputs this run did not write may be switched off\n", why);
  else
    have_state = cardio::state_file_load(*state, &kept);
  session->json = o.json;
  int result = cardio::card_open(&session->card, k.kind, static_cast<int>(o.card), static_cast<int>(o.base),
                                 static_cast<int>(o.irq), have_state ? &kept : nullptr);
  if (result != 0) {
    char asked[64];
    std::snprintf(asked, sizeof asked, "card %lld at base 0x%llX", o.card, o.base);
    return library_error(*session, asked, result);
  }
  return kExitOk;
}

void keep_state(const Session &session, const cardio::StateFile &state) {
  if (state.fd >= 0 && !cardio::state_file_save(state, session.card.state))
    std::fprintf(stderr, "kestan-io: warning: the card's state could not be saved\n");
}
