// The PC's lock as the bus takes it: a holder that does not let go ends the
// wait with a message naming it; a PC file replaced or removed under this
// process is noticed at a lock (a retired one at the next, a removed one
// within kFileCheckNs), and the process goes on with the PC now at that
// path, so that every program works on one PC.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "bus.h"

namespace sim {

namespace {

// Asking the file system whether the path still names the mapped file
// costs a system call: it is asked this often at most. A retired PC (one
// that another process replaced) is noticed at once. Under Wine the same
// question is an open, a query and a close, each a round trip to the
// wineserver: asked at every 50 ms poll of a panel it tripled the panel's
// wake-ups, so a Windows program asks once a second.
#ifdef _WIN32
constexpr int64_t kFileCheckNs = 1000 * 1000 * 1000;
#else
constexpr int64_t kFileCheckNs = 50 * 1000 * 1000;
#endif

// A coarse clock is enough for that, and cheap on every lock.
int64_t monotonic_ns() {
#ifdef CLOCK_MONOTONIC_COARSE
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
#else
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
#endif
}

}  // namespace

void Bus::lock_pc() {
  for (;;) {
    PcState *pc = __atomic_load_n(&pc_, __ATOMIC_ACQUIRE);
    ProcessId holder = 0;
    if (!pc_lock(&pc->header.lock, &holder)) {
      char who[64], what[900];
      describe_process(holder, who, sizeof who);
      std::snprintf(what, sizeof what,
                    "process %s has held the simulated PC %s for %lld s without letting go (is it stopped?): "
                    "this program gives up. Remedy: let it go on (kill -CONT %u) or end it",
                    who, place_.path, static_cast<long long>(kPcLockPatience.count() / 1000),
                    process_number(holder));
      pc_failed(what);
    }
    // Another thread of this process moved to a new PC meanwhile: lock that one.
    if (pc != __atomic_load_n(&pc_, __ATOMIC_ACQUIRE)) {
      pc_unlock(&pc->header.lock);
      continue;
    }
    for (; carried_count_ > 0; --carried_count_) {
      const ClaimState &c = carried_[carried_count_ - 1];
      claim_locked(c.base, c.length, c.card);
    }
    if (!place_.shared) return;
    if (!__atomic_load_n(&pc->header.retired, __ATOMIC_ACQUIRE)) {
      const int64_t now = monotonic_ns();
      if (now < next_file_check_ns_) return;
      next_file_check_ns_ = now + kFileCheckNs;
      if (pc_file_current(place_)) return;
    }
    follow_pc_file();
  }
}

// Under the old PC's lock, which it lets go. The old mapping stays: a thread
// may still hold a pointer into it. The process's claims (its libraries
// hold their cards) and interrupt levels come along.
void Bus::follow_pc_file() {
  std::fprintf(stderr, "iosim: the simulated PC %s was replaced or removed: this program goes on with the one there now\n",
               place_.path);
  carried_count_ = 0;
  for (int i = 0; i < claims_.count(); ++i)
    if (claims_.at(i).process == this_process()) carried_[carried_count_++] = claims_.at(i);
  pc_unlock(&pc_->header.lock);
  place_ = open_pc(&Bus::make_fresh);
  next_file_check_ns_ = 0;
  bind(place_.pc);
}

}  // namespace sim
