#include "pc_lock.h"

#include <chrono>
#include <thread>

#include "process_id.h"

namespace sim {

namespace {

constexpr int kSpins = 200;
// How long a waiter trusts a holder before it asks whether it still runs.
constexpr auto kHolderCheck = std::chrono::milliseconds(20);

bool try_take(uint32_t *word, uint32_t expected, uint32_t me) {
  return __atomic_compare_exchange_n(word, &expected, me, false, __ATOMIC_ACQUIRE,
                                     __ATOMIC_RELAXED);
}

void pause() {
#if defined(__i386__) || defined(__x86_64__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

void pc_lock(uint32_t *word) {
  const uint32_t me = this_process();
  if (try_take(word, 0, me)) return;
  for (int i = 0; i < kSpins; ++i) {
    pause();
    if (__atomic_load_n(word, __ATOMIC_RELAXED) == 0 && try_take(word, 0, me)) return;
  }
  using Steady = std::chrono::steady_clock;
  auto check_at = Steady::now() + kHolderCheck;
  int naps = 0;
  for (;;) {
    // Yield first; sleep once the wait is long (a holder that was preempted).
    if (++naps < 50)
      std::this_thread::yield();
    else
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    uint32_t holder = __atomic_load_n(word, __ATOMIC_RELAXED);
    if (holder == 0) {
      if (try_take(word, 0, me)) return;
      continue;
    }
    if (Steady::now() < check_at) continue;
    check_at = Steady::now() + kHolderCheck;
    // A holder that no longer runs will never let go: take over from it.
    if (holder != me && !process_alive(holder) && try_take(word, holder, me)) return;
  }
}

void pc_unlock(uint32_t *word) { __atomic_store_n(word, 0, __ATOMIC_RELEASE); }

}  // namespace sim
