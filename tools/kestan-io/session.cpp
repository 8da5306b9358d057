// Opening the card of a kestan-io run.
#include "session.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "card_json.h"
#include "card_start.h"
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
  char why[640];
  cardio::CardState kept{};
  bool have_state = false;
  if (library_accepts) {
    // A record that cannot be kept (another user's folder, a symlink) is
    // refused before the card is touched: the run would undo others' outputs.
    if (!cardio::state_file_open(state, on_simulator(), k.kind, static_cast<int>(o.base), why, sizeof why))
      return tool_failure(state->in_use ? kExitInUse : kExitNoState, why);
    cardio::Record record = cardio::starting_state(*state, &kept, why, sizeof why);
    if (record == cardio::Record::kDamaged)
      std::fprintf(stderr, "kestan-io: warning: %s; outputs this run does not write may be switched off\n", why);
    have_state = record == cardio::Record::kLoaded;
  }
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

int keep_state(const Session &session, const cardio::StateFile &state) {
  if (state.fd < 0 || cardio::state_file_save(state, session.card.state)) return kExitOk;
  char why[800];
  std::snprintf(why, sizeof why, "the card's state could not be saved in %s: %s; the next run may undo this one",
                state.path, std::strerror(errno));
  return tool_failure(kExitNoState, why);
}
