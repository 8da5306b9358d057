// What the tools wrote to a card, kept in one file per card base, so that
// the next process starts from the outputs the card really drives.
//
// card_records.h says where the files live.
//
// Two tools working on one card take turns: each holds an exclusive lock
// (flock) on the card's lock file, card-BASE.lock, from state_file_open to
// state_file_close. The record itself, card-BASE.state, is replaced whole
// at each save (written under a unique name, then renamed into place), so
// a reader never sees half of one. It is plain text: a first line "kestan
// card state 1", "kind NAME", "machine ID" (the boot of the real PC, or
// which simulated PC), then "port P 0xVV" for every known output port and
// "output-groups 0xMASK". A record of another machine (the real PC booted
// since, a simulated PC that was replaced) describes outputs that are no
// more: it is dropped. A damaged one is reported and not used at all.
#ifndef KIT_TOOLS_CARD_STATE_FILE_H
#define KIT_TOOLS_CARD_STATE_FILE_H

#include <cstddef>

#include "card_access.h"
#include "card_records.h"

namespace cardio {

struct StateFile {
  int fd = -1;   // the lock file, while held
  int dir = -1;  // the folder of the records
  int base = 0;
  Kind kind = Kind::Kestan;
  bool simulator = false;
  bool in_use = false;  // the open failed because another program holds the lock
  char path[600] = "";  // the record, for messages
};

// Opens the folder (card_records.h), then opens and locks the card's lock
// file. False with a one-line reason in why when it cannot; in_use tells
// that another program still held the lock after a wait of two seconds.
bool state_file_open(StateFile *file, bool simulator, Kind kind, int base, char *why, size_t why_size);

enum class Record { kNone, kLoaded, kDamaged };
// The recorded state; kNone (state all unknown) when there is none, or it
// was written for another kind of card at that base or another machine;
// kDamaged, with the reason in why, when it cannot be read as a record.
Record state_file_load(const StateFile &file, CardState *state, char *why, size_t why_size);
bool state_file_save(const StateFile &file, const CardState &state);
void state_file_close(StateFile *file);
// For a holder that keeps the file open between calls: give the lock up
// and take it again (false, errno EWOULDBLOCK, when another program still
// holds it after two seconds).
void state_file_unlock(const StateFile &file);
bool state_file_lock(const StateFile &file);

}  // namespace cardio

#endif
