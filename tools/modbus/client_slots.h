// The server's clients and who among them gives up a slot: a fixed table of
// slots, counted per peer address, and the rule for which client makes way
// when a new one finds no room.
#ifndef KIT_MODBUS_CLIENT_SLOTS_H
#define KIT_MODBUS_CLIENT_SLOTS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace modbus_server {

constexpr size_t kReceiveBuffer = 4096;  // several frames; never less room than one
constexpr size_t kHostLength = 64;       // a numeric IPv6 address with its scope

struct Client {
  int fd = -1;                  // -1: the slot is free
  char host[kHostLength] = "";  // the peer's address, which the per-peer limit counts
  char peer[80] = "";           // address and port, for the log
  uint8_t bytes[kReceiveBuffer];
  size_t used = 0;
  // The idle clock: the last whole request answered (the connect before
  // the first), so bytes that never make a request keep no one's slot.
  int64_t last_request_ms = 0;
  bool asked = false;  // a whole request answered since it connected
};

Client *free_slot(std::vector<Client> &clients);

// The clients connected from host.
int clients_from(const std::vector<Client> &clients, const char *host);

// The client that makes way for a new one (among those from host; all of
// them when host is null), or null when each may keep its slot: first the
// one that has asked nothing since it connected, once it has had 50 ms to
// send a first request; then the one whose last request is oldest, once
// that is a second old. A client that asks more often keeps its slot.
Client *next_to_make_way(std::vector<Client> &clients, const char *host, int64_t now_ms);

}  // namespace modbus_server

#endif
