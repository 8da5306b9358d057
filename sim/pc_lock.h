// The simulated PC's lock: one word of the shared state holding the id of
// the process that holds it (0 when free). Taking it is one atomic
// compare-and-swap, which native Linux programs and Win32 programs under
// Wine share. A process killed while it holds the lock does not stop the
// PC: a waiter that finds the holder gone takes the lock over.
//
// Threads of one process share its id, so the lock also serialises them;
// it is not recursive.
#ifndef KIT_SIM_PC_LOCK_H
#define KIT_SIM_PC_LOCK_H

#include <cstdint>

namespace sim {

void pc_lock(uint32_t *word);
void pc_unlock(uint32_t *word);

class PcGuard {
 public:
  explicit PcGuard(uint32_t *word) : word_(word) { pc_lock(word_); }
  ~PcGuard() { pc_unlock(word_); }
  PcGuard(const PcGuard &) = delete;
  PcGuard &operator=(const PcGuard &) = delete;

 private:
  uint32_t *word_;
};

}  // namespace sim

#endif
