// The simulated PC's lock: one 64-bit word of the shared state holding the
// identity of the process that holds it (process_id.h; 0 when free). Taking
// it is one atomic compare-and-swap, which native Linux programs and Win32
// programs under Wine share. A process killed while it holds the lock does
// not stop the PC: a waiter that finds the holder gone (or the word naming
// a process that is not the one that took it) takes the lock over. A holder
// that runs but does not let go (a stopped process) is waited for at most
// kPcLockPatience; then the wait fails and names it.
//
// Threads of one process share its identity, so the lock also serialises
// them; it is not recursive.
#ifndef KIT_SIM_PC_LOCK_H
#define KIT_SIM_PC_LOCK_H

#include <chrono>
#include <cstdint>

#include "process_id.h"

namespace sim {

constexpr auto kPcLockPatience = std::chrono::milliseconds(2000);

// True once taken; false when a live holder kept it past the patience, in
// *holder.
bool pc_lock(uint64_t *word, ProcessId *holder);
void pc_unlock(uint64_t *word);

}  // namespace sim

#endif
