#include "clock.h"

#include <atomic>
#include <chrono>

namespace sim {

namespace {

using Steady = std::chrono::steady_clock;

const Steady::time_point g_start = Steady::now();
std::atomic<bool> g_manual{false};
std::atomic<uint64_t> g_manual_now{0};
// Real time = host time since start + offset (the offset keeps the clock
// continuous across a manual stretch and carries the jumps ahead).
std::atomic<int64_t> g_offset{0};

int64_t host_elapsed_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now() - g_start).count();
}

uint64_t real_now() {
  int64_t now = host_elapsed_ns() + g_offset.load(std::memory_order_relaxed);
  return now < 0 ? 0 : static_cast<uint64_t>(now);
}

}  // namespace

uint64_t clock_now_ns() {
  if (g_manual.load(std::memory_order_relaxed)) return g_manual_now.load(std::memory_order_relaxed);
  return real_now();
}

bool clock_is_manual() { return g_manual.load(); }

void clock_set_manual(bool on) {
  if (on == g_manual.load()) return;
  if (on) {
    g_manual_now.store(real_now());
    g_manual.store(true);
  } else {
    g_offset.store(static_cast<int64_t>(g_manual_now.load()) - host_elapsed_ns());
    g_manual.store(false);
  }
}

void clock_advance(uint64_t ns) {
  if (g_manual.load())
    g_manual_now.fetch_add(ns);
  else
    g_offset.fetch_add(static_cast<int64_t>(ns));
}

}  // namespace sim
