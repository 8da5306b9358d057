// The claims of the card libraries of every process on the simulated PC
// (io_claim), each with the process that made it. Several processes may
// claim the same range for the same kind of card (a panel and a script
// driving one card); a claim that overlaps a claim of another range or
// another kind is refused. A claim lives until its process releases it or
// ends. Works on the PC's claims under the PC's lock.
#ifndef KIT_SIM_CLAIM_TABLE_H
#define KIT_SIM_CLAIM_TABLE_H

#include <cstdint>

#include "pc_state.h"
#include "process_id.h"

namespace sim {

class ClaimTable {
 public:
  void bind(PcState *pc) { pc_ = pc; }

  // IO_CLAIM_* result; kind is lower case. The same process claiming the
  // same base and kind again takes the new length.
  int claim(unsigned base, unsigned length, const char *kind, ProcessId process);
  // The process's claim at base.
  void release(unsigned base, ProcessId process);
  // Some running process claims the range that starts at base.
  bool claimed(unsigned base) const;
  // Forget the claims of processes that have ended.
  void prune();
  void clear() { pc_->claim_count = 0; }

  int count() const { return static_cast<int>(pc_->claim_count); }
  const ClaimState &at(int i) const { return pc_->claims[i]; }

 private:
  void remove(int i);

  PcState *pc_ = nullptr;
};

}  // namespace sim

#endif
