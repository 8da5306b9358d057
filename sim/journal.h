// The journal of port accesses: a ring of the newest IOSIM_JOURNAL_CAPACITY
// accesses in the order the bus served them. The bus records under its own
// lock, so the journal has none.
#ifndef KIT_SIM_JOURNAL_H
#define KIT_SIM_JOURNAL_H

#include <cstdint>

#include "iosim.h"

namespace sim {

class Journal {
 public:
  bool on() const { return on_; }
  void enable(bool on) { on_ = on; }

  void record(int op, uint16_t port, uint16_t value) {
    iosim_access &a = ring_[total_ % IOSIM_JOURNAL_CAPACITY];
    a.op = op;
    a.port = port;
    a.value = value;
    ++total_;
  }

  void clear() { total_ = 0; }
  uint64_t total() const { return total_; }
  // Oldest kept access first; returns how many were copied.
  int read(iosim_access *out, int max) const;

 private:
  bool on_ = true;
  uint64_t total_ = 0;
  iosim_access ring_[IOSIM_JOURNAL_CAPACITY] = {};
};

}  // namespace sim

#endif
