// The [ADDRESS:]PORT a server listens on, as typed on a command line.
#ifndef KIT_MODBUS_LISTEN_ADDRESS_H
#define KIT_MODBUS_LISTEN_ADDRESS_H

#include <cstddef>

namespace modbus_server {

// Only the loopback interface unless an address is given.
constexpr char kDefaultListenAddress[] = "127.0.0.1";

struct ListenAddress {
  char host[64];     // numeric IPv4 or IPv6 address
  char port[8];      // 0 to 65535; 0 lets the system choose
};

// "1502", "0.0.0.0:502", "[::1]:1502". False on anything else.
bool parse_listen_address(const char *text, ListenAddress *address);

}  // namespace modbus_server

#endif
