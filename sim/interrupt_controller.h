// The simulated PC's interrupt controller: levels 0 to 15, one handler per
// level, requests counted per level so that none is lost when they come
// faster than the handlers run.
//
// A request is raised under the bus lock (from a card's advance_to or from a
// port access); it is only counted then. The bus calls deliver() after it
// has let go of its lock, on the thread that made the access or on the
// ticker thread, and deliver() runs the handlers as an interrupt would: one
// level at a time (lowest level first), never the same level twice at once.
// A request for a level with no handler is dropped.
#ifndef KIT_SIM_INTERRUPT_CONTROLLER_H
#define KIT_SIM_INTERRUPT_CONTROLLER_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "ioport.h"

namespace sim {

class InterruptController {
 public:
  static constexpr int kLevels = 16;

  int attach(int level, io_irq_handler handler, void *context);  // IO_IRQ_*
  int detach(int level);                                         // IO_IRQ_*
  bool attached(int level);
  // Some level has a handler (cheap; the ticker sleeps while there is none).
  bool any_attached() const { return handlers_.load(std::memory_order_acquire) != 0; }

  // Count one request of the level (ignored without a handler).
  void raise(int level);
  // Cheap test for the bus's fast path.
  bool any_pending() const { return pending_total_.load(std::memory_order_acquire) != 0; }
  // Run the handlers of every pending request; returns when none is left
  // that this thread may run.
  void deliver();
  // As deliver(), and also waits while another thread (the ticker) runs a
  // handler, so that when it returns every request raised so far has been
  // served. A level this thread is serving is not waited for.
  void deliver_all();
  // Forget pending requests (the rack was cleared); handlers stay.
  void drop_pending();

 private:
  struct Level {
    io_irq_handler handler = nullptr;
    void *context = nullptr;
    uint64_t pending = 0;
    bool in_service = false;
    std::thread::id service_thread;
  };

  void serve(std::unique_lock<std::mutex> &lk, bool wait_for_others);
  // Under lock_: another thread is running a handler.
  bool served_elsewhere() const {
    for (const Level &l : levels_)
      if (l.in_service && l.service_thread != std::this_thread::get_id())
        return true;
    return false;
  }

  std::mutex lock_;
  std::condition_variable idle_;
  Level levels_[kLevels];
  std::atomic<uint64_t> pending_total_{0};
  std::atomic<int> handlers_{0};
};

}  // namespace sim

#endif
