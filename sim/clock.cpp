#ifdef _WIN32
#define _WIN32_WINNT 0x0602  // GetSystemTimePreciseAsFileTime
#include <windows.h>
#endif

#include "clock.h"

#include <chrono>

namespace sim {

namespace {

using Steady = std::chrono::steady_clock;

ClockState g_unbound{};
ClockState *g_clock = &g_unbound;
int64_t g_local_offset = 0;  // PC time = this process's monotonic time + offset (+ the PC's offset)

int64_t monotonic_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch())
      .count();
}

int64_t wall_ns() {
#ifdef _WIN32
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime);
  return (t - 116444736000000000LL) * 100;  // 100 ns since 1601 -> ns since 1970
#else
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
#endif
}

// Wall and monotonic time read as close together as can be.
void sample(int64_t *wall, int64_t *mono) {
  int64_t best_gap = INT64_MAX;
  for (int i = 0; i < 5; ++i) {
    int64_t before = monotonic_ns();
    int64_t w = wall_ns();
    int64_t after = monotonic_ns();
    if (after - before < best_gap) {
      best_gap = after - before;
      *wall = w;
      *mono = before + (after - before) / 2;
    }
  }
}

uint64_t load64(const uint64_t *p) { return __atomic_load_n(p, __ATOMIC_RELAXED); }
int64_t load64(const int64_t *p) { return __atomic_load_n(p, __ATOMIC_RELAXED); }

uint64_t real_now() {
  int64_t now = monotonic_ns() + g_local_offset + load64(&g_clock->offset_ns);
  return now < 0 ? 0 : static_cast<uint64_t>(now);
}

}  // namespace

void clock_start(ClockState &clock) {
  int64_t wall = 0, mono = 0;
  sample(&wall, &mono);
  clock = ClockState{};
  clock.epoch_wall_ns = wall;
}

void clock_bind(ClockState *clock) {
  int64_t wall = 0, mono = 0;
  sample(&wall, &mono);
  g_clock = clock;
  g_local_offset = (wall - clock->epoch_wall_ns) - mono;
}

uint64_t clock_now_ns() {
  if (__atomic_load_n(&g_clock->manual, __ATOMIC_RELAXED)) return load64(&g_clock->manual_now_ns);
  return real_now();
}

bool clock_is_manual() { return __atomic_load_n(&g_clock->manual, __ATOMIC_RELAXED) != 0; }

void clock_set_manual(bool on) {
  if (on == clock_is_manual()) return;
  if (on) {
    __atomic_store_n(&g_clock->manual_now_ns, real_now(), __ATOMIC_RELAXED);
    __atomic_store_n(&g_clock->manual, 1u, __ATOMIC_RELEASE);
  } else {
    int64_t manual = static_cast<int64_t>(load64(&g_clock->manual_now_ns));
    __atomic_store_n(&g_clock->offset_ns, manual - (monotonic_ns() + g_local_offset),
                     __ATOMIC_RELAXED);
    __atomic_store_n(&g_clock->manual, 0u, __ATOMIC_RELEASE);
  }
}

void clock_advance(uint64_t ns) {
  if (clock_is_manual())
    __atomic_fetch_add(&g_clock->manual_now_ns, ns, __ATOMIC_RELAXED);
  else
    __atomic_fetch_add(&g_clock->offset_ns, static_cast<int64_t>(ns), __ATOMIC_RELAXED);
}

}  // namespace sim
