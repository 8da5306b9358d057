// What a request must show before the page's server acts on it: a Host
// that names this server (an IP address or localhost, with its port: a
// DNS name rebound to this machine is refused), and for a write also the
// page's own Origin, a JSON body and a body within bounds.
#ifndef KIT_HTTP_REQUEST_GUARD_H
#define KIT_HTTP_REQUEST_GUARD_H

#include <string>

struct mg_connection;

namespace panel_http {

constexpr long long kMaxBodyBytes = 4096;

// A refusal: the status and one line that says why (200: accepted).
struct Verdict {
  int status = 200;
  std::string why;
  bool ok() const { return status == 200; }
};

// "127.0.0.1:8080", "[::1]:8080", "localhost:8080" name a server on port;
// anything else (another port, a DNS name, no port for a port other
// than 80) does not.
bool host_names_server(const std::string &host, int port);

// The Host check of every request.
Verdict check_host(const mg_connection *conn, int port);
// A write comes from the page itself: Origin is http:// and the Host, the
// body is JSON.
Verdict check_write_origin(const mg_connection *conn);
// Reads the body, at most kMaxBodyBytes.
Verdict read_body(mg_connection *conn, std::string *body);

}  // namespace panel_http

#endif
