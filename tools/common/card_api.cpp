// The C interface of the card-access layer (card_api.h).
#include "card_api.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "card_access.h"
#include "card_start.h"
#include "card_state_file.h"
#include "ioport.h"

#define KIT_API extern "C" __attribute__((visibility("default")))

// The C spelling of the codes that opening a card meets (tool_failures.h).
static_assert(KIT_CARD_UNKNOWN_KIND == cardio::kUnknownKind, "tool_failures.h: kUnknownKind");
static_assert(KIT_CARD_NO_RIGHTS == cardio::kNoRights, "tool_failures.h: kNoRights");
static_assert(KIT_CARD_NO_LAYER == cardio::kNoLayer, "tool_failures.h: kNoLayer");
static_assert(KIT_CARD_IN_USE == cardio::kInUse, "tool_failures.h: kInUse");
static_assert(KIT_CARD_NO_STATE == cardio::kNoState, "tool_failures.h: kNoState");

struct kit_card {
  cardio::Card card;
  cardio::StateFile file;
};

namespace {

char g_reason[640];

bool on_simulator() { return std::strcmp(io_layer(), "simulator") == 0; }

// A call that may change outputs or directions, between the others that
// share the card: under the state file's lock, from the recorded state,
// and recorded after.
// A call that cannot take the lock does not run: unlocked, it would undo
// the holder's outputs, and its record would be lost.
template <class Call>
int writing(kit_card *c, Call call) {
  if (!cardio::state_file_lock(c->file)) {
    if (errno == EWOULDBLOCK) return KIT_CARD_IN_USE;
    std::snprintf(g_reason, sizeof g_reason, "cannot lock the record %s: %s", c->file.path, std::strerror(errno));
    return KIT_CARD_NO_STATE;
  }
  cardio::CardState recorded;
  char why[640];
  int code = 0;
  if (cardio::starting_state(c->file, &recorded, why, sizeof why) == cardio::Record::kLoaded)
    code = cardio::card_resync(c->card, recorded);
  if (code == 0) {
    code = call();
    cardio::state_file_save(c->file, c->card.state);
  }
  cardio::state_file_unlock(c->file);
  return code;
}

}  // namespace

KIT_API int kit_card_open(const char *kind, int number, int base, int irq, kit_card **card) {
  const cardio::KindInfo *info = kind ? cardio::find_kind(kind) : nullptr;
  if (!info) return KIT_CARD_UNKNOWN_KIND;
  g_reason[0] = '\0';
  if (base >= info->base_first && base <= info->base_last && base % info->base_step == 0) {
    int rights = io_rights(static_cast<unsigned short>(base), static_cast<unsigned short>(info->decoded_ports),
                           g_reason, sizeof g_reason);
    if (rights == IO_RIGHTS_NO_LAYER) return KIT_CARD_NO_LAYER;
    if (rights != IO_RIGHTS_OK) return KIT_CARD_NO_RIGHTS;
  }
  kit_card *c = new kit_card;
  char why[640];
  cardio::CardState recorded{};
  // The record is kept in a folder of the user's own, or the card is not opened.
  if (!cardio::state_file_open(&c->file, on_simulator(), info->kind, base, why, sizeof why)) {
    std::snprintf(g_reason, sizeof g_reason, "%s", why);
    int refused = c->file.in_use ? KIT_CARD_IN_USE : KIT_CARD_NO_STATE;
    delete c;
    return refused;
  }
  bool have = cardio::starting_state(c->file, &recorded, why, sizeof why) == cardio::Record::kLoaded;
  int code = cardio::card_open(&c->card, info->kind, number, base, irq, have ? &recorded : nullptr);
  if (code == 0) cardio::state_file_save(c->file, c->card.state);
  cardio::state_file_unlock(c->file);
  if (code != 0) {
    cardio::state_file_close(&c->file);
    delete c;
    return code;
  }
  *card = c;
  return 0;
}

KIT_API void kit_card_close(kit_card *card) {
  if (!card) return;
  cardio::state_file_close(&card->file);
  delete card;
}

KIT_API const char *kit_card_reason(void) { return g_reason; }
KIT_API const char *kit_card_layer(void) { return io_layer(); }

KIT_API int kit_card_read_line(kit_card *c, int line, int *value) {
  return cardio::read_input_line(c->card, line, value);
}
KIT_API int kit_card_write_line(kit_card *c, int line, int value) {
  return writing(c, [&] { return cardio::write_output_line(c->card, line, value); });
}
KIT_API int kit_card_read_port(kit_card *c, int port, unsigned *value) {
  return cardio::read_input_port(c->card, port, value);
}
KIT_API int kit_card_write_port(kit_card *c, int port, unsigned value) {
  return writing(c, [&] { return cardio::write_output_port(c->card, port, value); });
}
KIT_API int kit_card_read_back(kit_card *c, int port, unsigned *value) {
  return cardio::read_output_port(c->card, port, value);
}
KIT_API int kit_card_set_direction(kit_card *c, int group, int output) {
  return writing(c, [&] {
    return cardio::set_direction(c->card, group, output ? cardio::Direction::Output : cardio::Direction::Input);
  });
}
KIT_API int kit_card_direction(kit_card *c, int group) {
  return cardio::group_direction(c->card, group) == cardio::Direction::Output;
}
KIT_API int kit_card_counter_start(kit_card *c, int counter, int mode, unsigned count) {
  return cardio::counter_start(c->card, counter, mode, count);
}
KIT_API int kit_card_counter_read(kit_card *c, int counter, unsigned *count) {
  return cardio::counter_read(c->card, counter, count);
}
KIT_API int kit_card_counter_stop(kit_card *c, int counter, unsigned *count) {
  return cardio::counter_stop(c->card, counter, count);
}
KIT_API int kit_card_clock_start(kit_card *c, int divisor1, int divisor2) {
  return cardio::clock_start(c->card, divisor1, divisor2);
}
KIT_API int kit_card_clock_stop(kit_card *c) { return cardio::clock_stop(c->card); }

KIT_API int kit_card_lines(kit_card *c) { return c->card.info->input_lines; }
KIT_API int kit_card_ports(kit_card *c) { return c->card.info->ports; }
KIT_API int kit_card_groups(kit_card *c) { return c->card.info->ppi_channels * 4; }
KIT_API int kit_card_counters(kit_card *c) { return c->card.info->counters; }
KIT_API const char *kit_code_name(const char *kind, int code) {
  const cardio::FailureInfo *failure = cardio::is_open_failure(code) ? cardio::find_failure(code) : nullptr;
  if (failure) return failure->name;
  const cardio::KindInfo *info = kind ? cardio::find_kind(kind) : nullptr;
  return info ? cardio::code_name(info->kind, code) : "unknown";
}KIT_API const char *kit_card_call(kit_card *c) { return cardio::call_name(c->card.info->kind, c->card.last_call); }
