// The signals that stop the server: SIGTERM, SIGINT and SIGHUP (SIGHUP
// only when it was not ignored at the start, as under nohup, so that such
// a server outlives its terminal). They are let in only while the loop
// waits, so a request in progress is always answered.
#ifndef KIT_MODBUS_STOP_SIGNALS_H
#define KIT_MODBUS_STOP_SIGNALS_H

#include <signal.h>

namespace modbus_server {

// The stop signal that came, or 0.
extern volatile sig_atomic_t g_stop_signal;

// Blocks the stop signals and gives the mask to wait with (for ppoll),
// under which they are let in.
void catch_stop_signals(sigset_t *wait_mask);

// "SIGTERM", "SIGINT" or "SIGHUP".
const char *stop_signal_name(int number);

}  // namespace modbus_server

#endif
