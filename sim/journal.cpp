#include "journal.h"

namespace sim {

int Journal::read(iosim_access *out, int max) const {
  if (!out || max <= 0) return 0;
  uint64_t kept = st_->total < IOSIM_JOURNAL_CAPACITY ? st_->total : IOSIM_JOURNAL_CAPACITY;
  uint64_t n = kept < static_cast<uint64_t>(max) ? kept : static_cast<uint64_t>(max);
  uint64_t first = st_->total - kept;
  for (uint64_t i = 0; i < n; ++i) out[i] = st_->ring[(first + i) % IOSIM_JOURNAL_CAPACITY];
  return static_cast<int>(n);
}

}  // namespace sim
