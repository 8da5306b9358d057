#include "client_slots.h"

#include <cstring>

namespace modbus_server {

namespace {

constexpr int64_t kFirstRequestGraceMs = 50;  // a round trip on a LAN, with room
constexpr int64_t kMakeWayAfterMs = 1000;
constexpr int64_t kNeverAskedFirst = int64_t{1} << 40;  // ranks above any idle time

// How readily a client makes way: the time without a request, a client
// that never asked ranking first; -1 while it keeps its slot.
int64_t idleness(const Client &client, int64_t now_ms) {
  int64_t idle = now_ms - client.last_request_ms;
  if (!client.asked) return idle >= kFirstRequestGraceMs ? kNeverAskedFirst + idle : -1;
  return idle >= kMakeWayAfterMs ? idle : -1;
}

bool from(const Client &client, const char *host) {
  return client.fd >= 0 && (!host || std::strcmp(client.host, host) == 0);
}

}  // namespace

Client *free_slot(std::vector<Client> &clients) {
  for (Client &client : clients)
    if (client.fd < 0) return &client;
  return nullptr;
}

int clients_from(const std::vector<Client> &clients, const char *host) {
  int count = 0;
  for (const Client &client : clients) count += from(client, host);
  return count;
}

Client *next_to_make_way(std::vector<Client> &clients, const char *host, int64_t now_ms) {
  Client *idlest = nullptr;
  int64_t most = -1;
  for (Client &client : clients) {
    int64_t rank = from(client, host) ? idleness(client, now_ms) : -1;
    if (rank > most) idlest = &client, most = rank;
  }
  return idlest;
}

}  // namespace modbus_server
