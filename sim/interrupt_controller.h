// The simulated PC's interrupt controller: levels 0 to 15, one handler per
// level, requests counted per level so that none is lost when they come
// faster than the handlers run.
//
// A level belongs to the process that attached its handler (IrqLevelState
// in the shared PC names it), and its handler runs in that process only,
// whichever process raised the request: a request is counted in the shared
// PC; each process serves the requests of its own levels. A level whose
// process has ended is free for the next attach.
//
// A request is raised under the PC's lock (from a card's advance_to or from
// a port access); it is only counted then. The bus calls deliver() after it
// has let go of its lock, on the thread that made the access or on the
// ticker thread, and deliver() runs the handlers as an interrupt would: one
// level at a time (lowest level first), never the same level twice at once.
// A request for a level no process serves is dropped.
#ifndef KIT_SIM_INTERRUPT_CONTROLLER_H
#define KIT_SIM_INTERRUPT_CONTROLLER_H

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "ioport.h"
#include "pc_state.h"

namespace sim {

class InterruptController {
 public:
  static constexpr int kLevels = kIrqLevels;

  // The shared levels of the PC; on a PC the process moved to, its own
  // levels come along where they are free.
  void bind(IrqLevelState *levels);

  int attach(int level, io_irq_handler handler, void *context);  // IO_IRQ_*, under the PC's lock
  int detach(int level);                                         // IO_IRQ_*
  // This process has a handler on some level (cheap; the ticker sleeps while there is none).
  bool any_attached() const { return mask_.load(std::memory_order_acquire) != 0; }

  // Count one request of the level (dropped when no process serves it).
  void raise(int level);
  // Cheap test for the bus's fast path: a request waits on a level of this process.
  bool any_pending() const {
    unsigned mask = mask_.load(std::memory_order_acquire);
    for (int l = 0; mask; ++l, mask >>= 1)
      if ((mask & 1) && __atomic_load_n(&shared_[l].pending, __ATOMIC_ACQUIRE) && serves(l))
        return true;
    return false;
  }
  // Run the handlers of every pending request of this process's levels;
  // returns when none is left that this thread may run.
  void deliver();
  // As deliver(), and also waits while another thread (the ticker) runs a
  // handler, so that when it returns every request raised so far has been
  // served. A level this thread is serving is not waited for.
  void deliver_all();
  // Forget pending requests (the rack was cleared); handlers stay. Under the PC's lock.
  void drop_pending();

 private:
  struct Level {
    io_irq_handler handler = nullptr;
    void *context = nullptr;
    bool in_service = false;
    std::thread::id service_thread;
  };

  void serve(std::unique_lock<std::mutex> &lk, bool wait_for_others);
  // The PC gives the level to this process (a forked child keeps its
  // parent's handlers in memory, not its levels).
  bool serves(int level) const;
  bool take_request(int level);
  // Under lock_: another thread is running a handler.
  bool served_elsewhere() const {
    for (const Level &l : levels_)
      if (l.in_service && l.service_thread != std::this_thread::get_id())
        return true;
    return false;
  }

  IrqLevelState *shared_ = nullptr;
  std::mutex lock_;
  std::condition_variable idle_;
  Level levels_[kLevels];
  std::atomic<unsigned> mask_{0};  // levels this process serves
};

}  // namespace sim

#endif
