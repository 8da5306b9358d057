#include "claim_table.h"

#include <cstring>

#include "ioport.h"

namespace sim {

void ClaimTable::remove(int i) { pc_->claims[i] = pc_->claims[--pc_->claim_count]; }

void ClaimTable::prune() {
  for (int i = count() - 1; i >= 0; --i)
    if (!process_alive(pc_->claims[i].process)) remove(i);
}

int ClaimTable::claim(unsigned base, unsigned length, const char *kind, ProcessId process) {
  if (length == 0 || base + length > kPortSpace) return IO_CLAIM_INVALID;
  prune();
  int mine = -1;
  for (int i = 0; i < count(); ++i) {
    const ClaimState &c = at(i);
    bool same = c.base == base && std::strncmp(c.card, kind, sizeof c.card - 1) == 0;
    if (same) {
      if (c.process == process) mine = i;
      continue;
    }
    if (base < c.base + c.length && c.base < base + length) return IO_CLAIM_OVERLAP;
  }
  if (mine < 0) {
    if (count() == kMaxClaims) return IO_CLAIM_OVERLAP;
    mine = static_cast<int>(pc_->claim_count++);
  }
  ClaimState &c = pc_->claims[mine];
  c.base = base;
  c.length = length;
  c.process = process;
  std::memset(c.card, 0, sizeof c.card);
  std::strncpy(c.card, kind, sizeof c.card - 1);
  return IO_CLAIM_OK;
}

void ClaimTable::release(unsigned base, ProcessId process) {
  for (int i = 0; i < count(); ++i) {
    if (at(i).base == base && at(i).process == process) {
      remove(i);
      return;
    }
  }
}

bool ClaimTable::claimed(unsigned base) const {
  for (int i = 0; i < count(); ++i)
    if (at(i).base == base && process_alive(at(i).process)) return true;
  return false;
}

}  // namespace sim
