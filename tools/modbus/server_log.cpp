#include "server_log.h"

#include <cstdarg>
#include <cstdio>

namespace modbus_server {

namespace {

void write_line(const char *format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  // One write per line, so that lines of a busy server never interleave.
  std::fprintf(stderr, "modbus: %s\n", text);
}

bool window_over(const LineBudget &budget, int64_t now_ms) {
  return !budget.started || now_ms - budget.window_start_ms >= kClientLineWindowMs;
}

}  // namespace

void log_line(const char *format, ...) {
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

void log_within(LineBudget &budget, int64_t now_ms, const char *format, ...) {
  say_left_out(budget, now_ms, false);
  if (window_over(budget, now_ms)) budget = {now_ms, 0, 0, true};
  if (budget.written >= kClientLinesPerWindow) {
    ++budget.left_out;
    return;
  }
  ++budget.written;
  va_list args;
  va_start(args, format);
  write_line(format, args);
  va_end(args);
}

int64_t say_left_out(LineBudget &budget, int64_t now_ms, bool closing) {
  if (budget.left_out == 0) return -1;
  if (!closing && !window_over(budget, now_ms)) return budget.window_start_ms + kClientLineWindowMs - now_ms;
  log_line("%ld client lines left out (more than %d in %lld s)", budget.left_out, kClientLinesPerWindow,
           static_cast<long long>(kClientLineWindowMs / 1000));
  budget.left_out = 0;
  return -1;
}

}  // namespace modbus_server
