// watch: the card's inputs read every 1.75 ms, each change printed with
// the time it was seen, until SIGINT or SIGTERM. The poll sleeps to its
// next turn on an absolute clock, so a change is reported within 1.75 ms
// and an idle watch costs little more than the kernel's wake-ups.
#include <signal.h>
#include <sys/time.h>

#include <cstdio>
#include <ctime>

#include "card_access.h"
#include "card_json.h"
#include "tool.h"
#include "watch.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void on_stop(int) { g_stop = 1; }

void print_change(bool json, int line, unsigned value) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  if (json) {
    // Seconds since the epoch, to the microsecond.
    const double time = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec / 1000) / 1e6;
    cardio::print_json(cardio::Json{{"time", time}, {"line", line}, {"input", value}});
  } else {
    tm local;
    localtime_r(&now.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    std::printf("%s.%06ld input %d: %u\n", stamp, now.tv_nsec / 1000, line, value);
  }
}

void next_poll(timespec *at) {
  at->tv_nsec += kWatchPollNs;
  if (at->tv_nsec >= 1000000000L) {
    at->tv_nsec -= 1000000000L;
    ++at->tv_sec;
  }
}

}  // namespace

int watch_inputs(cardio::Card &card, bool json, const unsigned char *lines, int *failed_code) {
  struct sigaction stop {};
  stop.sa_handler = on_stop;
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  const int ports = card.info->ports;
  unsigned last[cardio::kMaxPorts] = {};
  bool first = true;
  timespec at;
  clock_gettime(CLOCK_MONOTONIC, &at);
  while (!g_stop) {
    for (int p = 0; p < ports; ++p) {
      unsigned now = 0;
      if (!lines[p]) continue;
      int code = cardio::read_input_port(card, p, &now);
      if (code != 0) {
        *failed_code = code;
        return kExitRefused;
      }
      const unsigned changed = first ? lines[p] : (now ^ last[p]) & lines[p];
      for (int bit = 0; bit < cardio::kLinesPerPort; ++bit)
        if ((changed >> bit) & 1u) print_change(json, p * cardio::kLinesPerPort + bit, (now >> bit) & 1u);
      last[p] = now;
    }
    first = false;
    if (std::fflush(stdout) != 0) return kExitOutput;  // nobody can read the changes any more
    next_poll(&at);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
  }
  return kExitOk;
}
