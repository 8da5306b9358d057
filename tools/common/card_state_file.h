// What the tools wrote to a card, kept in one locked file per card base, so
// that the next process starts from the outputs the card really drives.
//
// card_records.h says where the files live.
//
// The file is held with an exclusive lock (flock) from state_file_open to
// state_file_close, so two tools working on one card take turns. It is
// plain text: a first line "kestan card state 1", "kind NAME", then
// "port P 0xVV" for every known output port and "output-groups 0xMASK".
#ifndef KIT_TOOLS_CARD_STATE_FILE_H
#define KIT_TOOLS_CARD_STATE_FILE_H

#include <cstddef>

#include "card_access.h"
#include "card_records.h"

namespace cardio {

struct StateFile {
  int fd = -1;
  Kind kind = Kind::Kestan;
  bool in_use = false;  // the open failed because another program holds the lock
};

// Opens (creating it and its folder) and locks the file of the card base.
// False with a one-line reason in why when it cannot; in_use tells that
// another program still held the lock after a wait of two seconds.
bool state_file_open(StateFile *file, const char *dir, Kind kind, int base, char *why, size_t why_size);
// The recorded state; false (state all unknown) when the file is empty,
// damaged, or was written for another kind of card at that base.
bool state_file_load(const StateFile &file, CardState *state);
bool state_file_save(const StateFile &file, const CardState &state);
void state_file_close(StateFile *file);
// For a holder that keeps the file open between calls: give the lock up
// and take it again (false, errno EWOULDBLOCK, when another program still
// holds it after two seconds).
void state_file_unlock(const StateFile &file);
bool state_file_lock(const StateFile &file);

}  // namespace cardio

#endif
