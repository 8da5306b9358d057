#include "stop_signals.h"

namespace modbus_server {

volatile sig_atomic_t g_stop_signal = 0;

namespace {

struct StopSignal {
  int number;
  const char *name;
  bool unless_ignored;  // left ignored when it was at the start (nohup)
};

const StopSignal kStopSignals[] = {
  {SIGTERM, "SIGTERM", false},
  {SIGINT, "SIGINT", false},
  {SIGHUP, "SIGHUP", true},
};

void on_stop_signal(int signal_number) { g_stop_signal = signal_number; }

}  // namespace

void catch_stop_signals(sigset_t *wait_mask) {
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  struct sigaction on_stop {}, before {};
  on_stop.sa_handler = on_stop_signal;
  for (const StopSignal &stop : kStopSignals) {
    sigaction(stop.number, nullptr, &before);
    if (stop.unless_ignored && before.sa_handler == SIG_IGN) continue;
    sigaddset(&stop_signals, stop.number);
    sigaction(stop.number, &on_stop, nullptr);
  }
  sigprocmask(SIG_BLOCK, &stop_signals, wait_mask);
  for (const StopSignal &stop : kStopSignals)
    if (sigismember(&stop_signals, stop.number)) sigdelset(wait_mask, stop.number);
}

const char *stop_signal_name(int number) {
  for (const StopSignal &stop : kStopSignals)
    if (stop.number == number) return stop.name;
  return "a signal";
}

}  // namespace modbus_server
