// A Modbus/TCP server for one card's tables: one thread, one poll loop,
// a bounded number of clients and of clients per peer address, clients
// without a whole request for too long dropped, framing checked before
// libmodbus builds any reply. Runs until SIGTERM, SIGINT or SIGHUP, which
// leave the card as it is.
#ifndef KIT_MODBUS_SERVER_H
#define KIT_MODBUS_SERVER_H

#include "listen_address.h"
#include "point_tables.h"

namespace modbus_server {

constexpr int kDefaultMaxClients = 16;
constexpr int kMaxClientsLimit = 1000;
constexpr int kDefaultIdleSeconds = 60;
constexpr int kDefaultMaxPerPeer = 8;

struct ServerOptions {
  ListenAddress listen;
  bool allow_writes = false;
  int max_clients = kDefaultMaxClients;
  int idle_seconds = kDefaultIdleSeconds;
  int max_per_peer = kDefaultMaxPerPeer;  // at most max_clients
};

// Returns 0 after SIGTERM, SIGINT or SIGHUP (SIGHUP only when it was not
// ignored at the start, as under nohup); 1 when it cannot listen (said on
// standard error). Says "listening on HOST:PORT" once it accepts clients.
int serve(const ServerOptions &options, const PointTables &tables);

}  // namespace modbus_server

#endif
