// The server's lines on standard error: one per client connect and
// disconnect, per refused write, and at start and stop.
#ifndef KIT_MODBUS_SERVER_LOG_H
#define KIT_MODBUS_SERVER_LOG_H

namespace modbus_server {

// Writes "modbus: " and the formatted text as one line.
void log_line(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace modbus_server

#endif
