#include "interrupt_controller.h"

#include "process_id.h"

namespace sim {

void InterruptController::bind(IrqLevelState *levels) {
  shared_ = levels;
  const ProcessId me = this_process();
  for (int level = 0; level < kLevels; ++level) {
    ProcessId free = 0;
    if (mask_.load(std::memory_order_acquire) & (1u << level))
      __atomic_compare_exchange_n(&shared_[level].owner, &free, me, false, __ATOMIC_RELEASE, __ATOMIC_RELAXED);
  }
}

int InterruptController::attach(int level, io_irq_handler handler, void *context) {
  if (level < 0 || level >= kLevels || !handler) return IO_IRQ_INVALID;
  std::lock_guard<std::mutex> lk(lock_);
  Level &l = levels_[level];
  IrqLevelState &s = shared_[level];
  const ProcessId owner = __atomic_load_n(&s.owner, __ATOMIC_ACQUIRE);
  if (l.handler) return IO_IRQ_BUSY;
  if (owner != 0 && owner != this_process() && process_alive(owner)) return IO_IRQ_BUSY;
  l.handler = handler;
  l.context = context;
  __atomic_store_n(&s.pending, 0u, __ATOMIC_RELAXED);
  __atomic_store_n(&s.owner, this_process(), __ATOMIC_RELEASE);
  mask_.fetch_or(1u << level, std::memory_order_release);
  return IO_IRQ_OK;
}

int InterruptController::detach(int level) {
  if (level < 0 || level >= kLevels) return IO_IRQ_INVALID;
  std::unique_lock<std::mutex> lk(lock_);
  Level &l = levels_[level];
  if (!l.handler) return IO_IRQ_NOT_ATTACHED;
  l.handler = nullptr;
  l.context = nullptr;
  mask_.fetch_and(~(1u << level), std::memory_order_release);
  ProcessId me = this_process();
  __atomic_compare_exchange_n(&shared_[level].owner, &me, ProcessId{0}, false, __ATOMIC_RELEASE,
                              __ATOMIC_RELAXED);
  __atomic_store_n(&shared_[level].pending, 0u, __ATOMIC_RELAXED);
  // Once detach returns the handler runs no more: wait for a run in progress
  // on another thread (a handler that detaches its own level does not wait).
  if (l.in_service && l.service_thread != std::this_thread::get_id())
    idle_.wait(lk, [&l] { return !l.in_service; });
  return IO_IRQ_OK;
}

void InterruptController::raise(int level) {
  if (level < 0 || level >= kLevels) return;
  IrqLevelState &s = shared_[level];
  if (__atomic_load_n(&s.owner, __ATOMIC_ACQUIRE) == 0) return;
  __atomic_fetch_add(&s.pending, 1u, __ATOMIC_RELEASE);
}

bool InterruptController::serves(int level) const {
  return __atomic_load_n(&shared_[level].owner, __ATOMIC_ACQUIRE) == this_process();
}

// One request of the level taken from the shared count, if there is one.
bool InterruptController::take_request(int level) {
  uint32_t *pending = &shared_[level].pending;
  uint32_t n = __atomic_load_n(pending, __ATOMIC_ACQUIRE);
  while (n != 0)
    if (__atomic_compare_exchange_n(pending, &n, n - 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
      return true;
  return false;
}

void InterruptController::serve(std::unique_lock<std::mutex> &lk, bool wait_for_others) {
  for (;;) {
    int level = -1;
    for (int i = 0; i < kLevels; ++i) {
      const Level &l = levels_[i];
      if (l.handler && !l.in_service && serves(i) && take_request(i)) {
        level = i;
        break;
      }
    }
    if (level < 0) {
      if (!wait_for_others || !served_elsewhere()) return;
      idle_.wait(lk);
      continue;
    }
    Level &l = levels_[level];
    l.in_service = true;
    l.service_thread = std::this_thread::get_id();
    io_irq_handler handler = l.handler;
    void *context = l.context;
    lk.unlock();
    handler(context);
    lk.lock();
    l.in_service = false;
    l.service_thread = std::thread::id();
    idle_.notify_all();
  }
}

void InterruptController::deliver() {
  std::unique_lock<std::mutex> lk(lock_);
  serve(lk, false);
}

void InterruptController::deliver_all() {
  std::unique_lock<std::mutex> lk(lock_);
  serve(lk, true);
}

void InterruptController::drop_pending() {
  for (int i = 0; i < kLevels; ++i) __atomic_store_n(&shared_[i].pending, 0u, __ATOMIC_RELAXED);
}

}  // namespace sim
