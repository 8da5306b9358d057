// The record of port ranges that card libraries have claimed, which the
// hardware build of ioport keeps to refuse overlapping claims (the simulator
// keeps its claims in the shared simulated PC: sim/claim_table.h).
#ifndef KIT_PORT_CLAIMS_H
#define KIT_PORT_CLAIMS_H

#include <cstring>

#include "ioport.h"

namespace ioport {

struct Claim {
  unsigned base;
  unsigned length;
  char card[16];
};

class PortClaims {
 public:
  static constexpr int kMaxClaims = 32;
  static constexpr unsigned kPortSpace = 0x10000;

  // An IO_CLAIM_* result. The same base claimed again by the same kind succeeds
  // and takes the new length.
  int claim(unsigned base, unsigned length, const char *card) {
    if (length == 0 || base + length > kPortSpace) return IO_CLAIM_INVALID;
    const char *kind = card ? card : "";
    int same = -1;
    for (int i = 0; i < count_; ++i) {
      const Claim &c = claims_[i];
      if (c.base == base && std::strncmp(c.card, kind, sizeof c.card - 1) == 0) {
        same = i;
        continue;
      }
      if (base < c.base + c.length && c.base < base + length) return IO_CLAIM_OVERLAP;
    }
    if (same < 0) {
      if (count_ == kMaxClaims) return IO_CLAIM_OVERLAP;
      same = count_++;
    }
    Claim &c = claims_[same];
    c.base = base;
    c.length = length;
    size_t n = std::strlen(kind);
    if (n > sizeof c.card - 1) n = sizeof c.card - 1;
    std::memcpy(c.card, kind, n);
    c.card[n] = '\0';
    return IO_CLAIM_OK;
  }

  void release(unsigned base) {
    for (int i = 0; i < count_; ++i) {
      if (claims_[i].base == base) {
        claims_[i] = claims_[--count_];
        return;
      }
    }
  }

  const Claim *find(unsigned base) const {
    for (int i = 0; i < count_; ++i)
      if (claims_[i].base == base) return &claims_[i];
    return nullptr;
  }

  void clear() { count_ = 0; }

 private:
  Claim claims_[kMaxClaims] = {};
  int count_ = 0;
};

}  // namespace ioport

#endif
