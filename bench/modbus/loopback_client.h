// Bare TCP connections to the server under test, for the runs that need
// more than a Modbus client gives: a chosen source address (any 127.x
// address reaches a server on 127.0.0.1, and counts as another peer),
// frames sent byte by byte or not at all.
#ifndef KIT_MODBUS_LOOPBACK_CLIENT_H
#define KIT_MODBUS_LOOPBACK_CLIENT_H

#include <cstddef>
#include <cstdint>

constexpr int kReplyTimeoutMs = 2000;

// A connection from source (an IPv4 address) to 127.0.0.1:port, or -1.
int connect_from(const char *source, int port);
// Reads exactly size bytes; 1 done, 0 the server closed, -1 nothing in time.
int read_exactly(int fd, uint8_t *into, size_t size, int timeout_ms = kReplyTimeoutMs);

#endif
