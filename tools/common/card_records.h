// Where the tools keep their records of what they wrote to each card (one
// state file per card base, card_state_file.h), and forgetting them.
//
// The records live in a folder per machine: the real PC's and the simulated
// PC's cards are different cards. KESTAN_IO_STATE_DIR names the folder that
// holds one; without it the real PC's is /run/kestan-io when that can be
// made (it lasts until the machine is switched off, as the outputs do),
// else $XDG_RUNTIME_DIR/kestan-io/hardware or /tmp/kestan-io-UID/hardware; a
// simulated PC's go beside its file (KESTAN_SIM_PC.kestan-io), else in
// .../simulator. Each folder the tools make is 0700, and the folder of the
// records (and, by default, the per-user folder above it) must be the
// user's own and writable by nobody else: another user's folder or a
// symlink is refused, never used.
#ifndef KIT_TOOLS_CARD_RECORDS_H
#define KIT_TOOLS_CARD_RECORDS_H

#include <cstddef>

namespace cardio {

// Whether the user asked for a private simulated PC (KESTAN_SIM_PC=private):
// its records go to a folder of their own.
bool sim_pc_private_asked();
// The folder for the simulated or the real PC, into path (size bytes).
void state_dir(bool simulator, char *path, size_t size);
// Opens that folder, making what is missing and checking what must be the
// user's own. The descriptor, or -1 with a one-line reason (the path and
// the remedy) in why.
int open_state_dir(bool simulator, char *path, size_t size, char *why, size_t why_size);
// Empties the records in the folder of the card at base (every card when
// base is -1), as a power-up leaves its outputs off; a record another
// program holds (a kestan-io serve) stays. Returns how many were emptied.
int forget_card_records(bool simulator, int base);

// The names of a card's files in the folder.
void record_name(int base, char *name, size_t size);
void record_lock_name(int base, char *name, size_t size);

}  // namespace cardio

#endif
