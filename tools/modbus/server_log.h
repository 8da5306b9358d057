// The server's lines on standard error: at start and stop, per refused
// write, and per client that connects, disconnects or is turned away. The
// client lines come in floods when a peer misbehaves, so they go through a
// budget: a few dozen per window, the rest counted and said in one line.
#ifndef KIT_MODBUS_SERVER_LOG_H
#define KIT_MODBUS_SERVER_LOG_H

#include <cstdint>

namespace modbus_server {

constexpr int kClientLinesPerWindow = 50;
constexpr int64_t kClientLineWindowMs = 10000;

// Writes "modbus: " and the formatted text as one line.
void log_line(const char *format, ...) __attribute__((format(printf, 1, 2)));

struct LineBudget {
  int64_t window_start_ms = 0;
  int written = 0;    // lines of the current window
  long left_out = 0;  // lines of the current window past the budget
  bool started = false;
};

// log_line while the current window has budget left; else the line is
// only counted.
void log_within(LineBudget &budget, int64_t now_ms, const char *format, ...) __attribute__((format(printf, 3, 4)));

// Once the window of lines left out is over (at once when closing), says
// how many in one line. Returns how many ms until that line is due, -1
// when none is waiting.
int64_t say_left_out(LineBudget &budget, int64_t now_ms, bool closing);

}  // namespace modbus_server

#endif
