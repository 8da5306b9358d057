#include "server_log.h"

#include <cstdarg>
#include <cstdio>

namespace modbus_server {

void log_line(const char *format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  // One write per line, so that lines of a busy server never interleave.
  std::fprintf(stderr, "modbus: %s\n", text);
}

}  // namespace modbus_server
