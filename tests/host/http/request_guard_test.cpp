// Which Host names the panel page's server: the check that keeps a DNS name
// rebound to this machine (another site's page) away from the card.
#include <gtest/gtest.h>

#include "request_guard.h"

namespace {

struct HostCase {
  const char *host;
  bool names_server;
};

constexpr int kPort = 8080;

const HostCase kHosts[] = {
    {"127.0.0.1:8080", true},
    {"localhost:8080", true},
    {"192.168.1.20:8080", true},
    {"[::1]:8080", true},
    {"[fe80::1]:8080", true},
    {"127.0.0.1:8081", false},          // another port
    {"127.0.0.1", false},               // port 80 implied
    {"attacker.example:8080", false},   // a rebound name
    {"127.0.0.1.attacker.example:8080", false},
    {"localhost.:8080", false},
    {"::1:8080", false},                // an IPv6 address without brackets
    {"[::1]", false},
    {"127.0.0.1:08080x", false},
    {"127.0.0.1:", false},
    {"", false},
    {"127.1:8080", false},              // inet_aton's shorthand is not an address here
};

TEST(RequestGuard, OnlyAnAddressOrLocalhostWithThePortNamesTheServer) {
  for (const HostCase &c : kHosts)
    EXPECT_EQ(c.names_server, panel_http::host_names_server(c.host, kPort)) << "Host: " << c.host;
  EXPECT_TRUE(panel_http::host_names_server("127.0.0.1", 80));
}

}  // namespace
