// The card a kestan-io run works on: checked, opened over its recorded
// state, and the state kept for the next run.
#ifndef KESTAN_IO_SESSION_H
#define KESTAN_IO_SESSION_H

#include "card_access.h"
#include "card_state_file.h"
#include "options.h"

// What the commands print to and work on.
struct Session {
  cardio::Card card;
  bool json;
};

// Checks the ports (tool.h), locks and loads the card's state file and
// opens the card over it. Returns an exit code (kExitOk when open).
int open_session(const Options &options, bool writes, Session *session, cardio::StateFile *state);
// Records the card's state after a command changed it; kExitNoState (said
// on stderr) when the record could not be saved: the next run would undo
// the change.
int keep_state(const Session &session, const cardio::StateFile &state);
// One line on stderr for a refused call; returns kExitRefused.
int library_error(const Session &session, const char *asked, int code);

#endif
