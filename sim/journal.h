// The journal of port accesses: a ring of the newest IOSIM_JOURNAL_CAPACITY
// accesses in the order the bus served them, kept in the shared PC (so it
// shows the accesses of every process on the PC). The bus records under the
// PC's lock, so the journal has none.
#ifndef KIT_SIM_JOURNAL_H
#define KIT_SIM_JOURNAL_H

#include <cstdint>

#include "iosim.h"
#include "pc_state.h"

namespace sim {

class Journal {
 public:
  void bind(JournalState *state) { st_ = state; }

  bool on() const { return st_->on != 0; }
  void enable(bool on) { st_->on = on; }

  void record(int op, uint16_t port, uint16_t value) {
    iosim_access &a = st_->ring[st_->total % IOSIM_JOURNAL_CAPACITY];
    a.op = op;
    a.port = port;
    a.value = value;
    ++st_->total;
  }

  void clear() { st_->total = 0; }
  uint64_t total() const { return st_->total; }
  // Oldest kept access first; returns how many were copied.
  int read(iosim_access *out, int max) const;

 private:
  JournalState *st_ = nullptr;
};

}  // namespace sim

#endif
