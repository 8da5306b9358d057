#include "listen_address.h"

#include <cstdio>
#include <cstring>

namespace modbus_server {

namespace {

bool copy_part(const char *from, size_t length, char *to, size_t size) {
  if (length == 0 || length >= size) return false;
  std::memcpy(to, from, length);
  to[length] = '\0';
  return true;
}

bool valid_port(const char *text) {
  unsigned value = 0;
  for (const char *c = text; *c; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<unsigned>(*c - '0');
    if (value > 65535) return false;
  }
  return *text != '\0';
}

}  // namespace

bool parse_listen_address(const char *text, ListenAddress *address) {
  const char *colon = std::strrchr(text, ':');
  const char *port = colon ? colon + 1 : text;
  if (!copy_part(port, std::strlen(port), address->port, sizeof address->port) || !valid_port(address->port))
    return false;
  if (!colon) {
    std::snprintf(address->host, sizeof address->host, "%s", kDefaultListenAddress);
    return true;
  }
  const char *host = text;
  size_t length = static_cast<size_t>(colon - text);
  if (length >= 2 && host[0] == '[' && host[length - 1] == ']') {
    ++host;
    length -= 2;
  } else if (std::memchr(host, ':', length)) {
    return false;  // an IPv6 address needs its brackets before the port
  }
  return copy_part(host, length, address->host, sizeof address->host);
}

}  // namespace modbus_server
