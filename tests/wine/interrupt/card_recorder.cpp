// The journal of card-library calls behind the stand-in libraries.
#define CARDREC_BUILD
#include "card_recorder.h"

#include <windows.h>

#include <cstring>
#include <mutex>

namespace {

std::mutex g_lock;
CardCall g_calls[CARDREC_CAPACITY];
int g_count;
int g_status;
int g_reported;
int g_step;
int g_limit;

// Port accesses recorded by the simulator build of ioport so far; 0 with the
// hardware build, which keeps no journal.
unsigned long simulator_port_total(void) {
  typedef unsigned long (*total_fn)(void);
  HMODULE ioport = GetModuleHandleA("ioport.dll");
  if (!ioport) return 0;
  total_fn total = reinterpret_cast<total_fn>(
      reinterpret_cast<void *>(GetProcAddress(ioport, "iosim_journal_total")));
  return total ? total() : 0;
}

// Query (&status, &count) and stop (&count) have the same roles on every card
// at these ordinals.
bool is_query(const char *card, int ordinal) {
  return ordinal == (std::strcmp(card, "wendal") == 0 ? 10 : 8);
}
bool is_stop(const char *card, int ordinal) {
  return ordinal == (std::strcmp(card, "wendal") == 0 ? 11 : 9);
}

// A polling loop can make more calls than the journal holds: keep the newer
// half, so that the calls that end a long run are still there.
void forget_older_half(void) {
  const int keep = CARDREC_CAPACITY / 2;
  std::memmove(g_calls, g_calls + (g_count - keep), keep * sizeof g_calls[0]);
  g_count = keep;
}

void answer_query(const intptr_t *args) {
  *reinterpret_cast<int *>(args[0]) = g_status;
  *reinterpret_cast<int *>(args[1]) = g_reported;
  if (g_reported < g_limit) g_reported = g_reported + g_step < g_limit ? g_reported + g_step : g_limit;
}

}  // namespace

void cardrec_clear(void) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_count = 0;
  g_status = 0;
  g_reported = 0;
  g_step = 0;
  g_limit = 0;
}

int cardrec_count(void) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_count;
}

CardCall cardrec_call(int i) {
  std::lock_guard<std::mutex> hold(g_lock);
  CardCall none = {};
  return i >= 0 && i < g_count ? g_calls[i] : none;
}

void cardrec_report(int status, int count, int step, int limit) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_status = status;
  g_reported = count;
  g_step = step;
  g_limit = limit;
}

int cardrec_record(const char *card, int ordinal, int argc, const intptr_t *args) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_count == CARDREC_CAPACITY) forget_older_half();
  {
    CardCall &call = g_calls[g_count++];
    call = CardCall{};
    std::strncpy(call.card, card, sizeof call.card - 1);
    call.ordinal = ordinal;
    call.argc = argc;
    for (int i = 0; i < argc && i < CARDREC_MAX_ARGS; ++i) call.args[i] = args[i];
    if (is_stop(card, ordinal) && args[0]) call.pointee = *reinterpret_cast<int *>(args[0]);
    call.ports_before = simulator_port_total();
  }
  if (is_query(card, ordinal)) answer_query(args);
  return 0;
}
