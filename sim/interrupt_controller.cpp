#include "interrupt_controller.h"

namespace sim {

int InterruptController::attach(int level, io_irq_handler handler, void *context) {
  if (level < 0 || level >= kLevels || !handler) return IO_IRQ_INVALID;
  std::lock_guard<std::mutex> lk(lock_);
  Level &l = levels_[level];
  if (l.handler) return IO_IRQ_BUSY;
  l.handler = handler;
  l.context = context;
  handlers_.fetch_add(1, std::memory_order_release);
  return IO_IRQ_OK;
}

int InterruptController::detach(int level) {
  if (level < 0 || level >= kLevels) return IO_IRQ_INVALID;
  std::unique_lock<std::mutex> lk(lock_);
  Level &l = levels_[level];
  if (!l.handler) return IO_IRQ_NOT_ATTACHED;
  l.handler = nullptr;
  l.context = nullptr;
  handlers_.fetch_sub(1, std::memory_order_release);
  pending_total_.fetch_sub(l.pending);
  l.pending = 0;
  // Once detach returns the handler runs no more: wait for a run in progress
  // on another thread (a handler that detaches its own level does not wait).
  if (l.in_service && l.service_thread != std::this_thread::get_id())
    idle_.wait(lk, [&l] { return !l.in_service; });
  return IO_IRQ_OK;
}

bool InterruptController::attached(int level) {
  if (level < 0 || level >= kLevels) return false;
  std::lock_guard<std::mutex> lk(lock_);
  return levels_[level].handler != nullptr;
}

void InterruptController::raise(int level) {
  if (level < 0 || level >= kLevels) return;
  std::lock_guard<std::mutex> lk(lock_);
  Level &l = levels_[level];
  if (!l.handler) return;
  ++l.pending;
  pending_total_.fetch_add(1, std::memory_order_release);
}

void InterruptController::serve(std::unique_lock<std::mutex> &lk, bool wait_for_others) {
  for (;;) {
    int level = -1;
    for (int i = 0; i < kLevels; ++i) {
      const Level &l = levels_[i];
      if (l.pending && l.handler && !l.in_service) {
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
    --l.pending;
    pending_total_.fetch_sub(1, std::memory_order_release);
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
  std::lock_guard<std::mutex> lk(lock_);
  for (Level &l : levels_) {
    pending_total_.fetch_sub(l.pending);
    l.pending = 0;
  }
}

}  // namespace sim
