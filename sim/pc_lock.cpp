#include "pc_lock.h"

#include <thread>

namespace sim {

namespace {

static_assert(__atomic_always_lock_free(sizeof(uint64_t), nullptr),
              "the lock word is shared by processes: its compare-and-swap must be one instruction");

constexpr int kSpins = 200;
// How long a waiter trusts a holder before it asks whether it still runs.
constexpr auto kHolderCheck = std::chrono::milliseconds(20);

bool try_take(uint64_t *word, uint64_t expected, uint64_t me) {
  return __atomic_compare_exchange_n(word, &expected, me, false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED);
}

void pause() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

bool pc_lock(uint64_t *word, ProcessId *holder_out) {
  const ProcessId me = this_process();
  if (try_take(word, 0, me)) return true;
  for (int i = 0; i < kSpins; ++i) {
    pause();
    if (__atomic_load_n(word, __ATOMIC_RELAXED) == 0 && try_take(word, 0, me)) return true;
  }
  using Steady = std::chrono::steady_clock;
  auto check_at = Steady::now() + kHolderCheck;
  // The patience runs per holder: a queue of quick holders is no stuck one.
  ProcessId watched = 0;
  auto watched_since = Steady::now();
  int naps = 0;
  for (;;) {
    // Yield first; sleep once the wait is long (a holder that was preempted).
    if (++naps < 50)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    uint64_t holder = __atomic_load_n(word, __ATOMIC_RELAXED);
    if (holder == 0) {
      if (try_take(word, 0, me)) return true;
      continue;
    }
    const auto now = Steady::now();
    if (holder != watched) {
      watched = holder;
      watched_since = now;
    }
    if (now < check_at) continue;
    check_at = now + kHolderCheck;
    // A holder that no longer runs will never let go: take over from it.
    if (holder != me && !process_alive(holder)) {
      if (try_take(word, holder, me)) return true;
      continue;
    }
    if (now - watched_since >= kPcLockPatience) {
      *holder_out = holder;
      return false;
    }
  }
}

void pc_unlock(uint64_t *word) { __atomic_store_n(word, 0, __ATOMIC_RELEASE); }

}  // namespace sim
