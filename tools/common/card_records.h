// Where the tools keep their records of what they wrote to each card (one
// state file per card base, card_state_file.h), and forgetting them.
//
// The records live in a folder per machine: the real PC's and the simulated
// PC's cards are different cards. KESTAN_IO_STATE_DIR names the folder;
// without it the real PC's is /run/kestan-io when that can be made (it
// lasts until the machine is switched off, as the outputs do), else
// $XDG_RUNTIME_DIR/kestan-io/hardware or /tmp/kestan-io-UID/hardware; a
// simulated PC's go beside its file (KESTAN_SIM_PC), else in .../simulator.
#ifndef KIT_TOOLS_CARD_RECORDS_H
#define KIT_TOOLS_CARD_RECORDS_H

#include <cstddef>

namespace cardio {

// The folder for the simulated or the real PC, into path (size bytes).
void state_dir(bool simulator, char *path, size_t size);
// mkdir -p, each new folder private to the user.
bool make_record_dirs(const char *path);
// Empties the records in dir of the card at base (every card when base is
// -1), as a power-up leaves its outputs off; a record another program holds
// (a kestan-io serve) stays. Returns how many were emptied.
int forget_card_records(const char *dir, int base);

}  // namespace cardio

#endif
