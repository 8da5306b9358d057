#include "request_guard.h"

#include <arpa/inet.h>
#include <civetweb.h>

#include <cstdlib>
#include <cstring>

namespace panel_http {

namespace {

constexpr int kDefaultHttpPort = 80;

bool is_ip_literal(const std::string &name) {
  unsigned char address[16];
  if (name.size() > 2 && name.front() == '[' && name.back() == ']')
    return inet_pton(AF_INET6, name.substr(1, name.size() - 2).c_str(), address) == 1;
  return inet_pton(AF_INET, name.c_str(), address) == 1;
}

bool parse_port(const std::string &text, int *port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *port = std::atoi(text.c_str());
  return true;
}

bool starts_with(const char *text, const char *prefix) {
  return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

Verdict refuse(int status, std::string why) { return Verdict{status, std::move(why)}; }

}  // namespace

bool host_names_server(const std::string &host, int port) {
  const size_t colon = host.rfind(':');
  const bool has_port = colon != std::string::npos && host.find(']', colon) == std::string::npos;
  const std::string name = has_port ? host.substr(0, colon) : host;
  int given = kDefaultHttpPort;
  if (has_port && !parse_port(host.substr(colon + 1), &given)) return false;
  return given == port && (name == "localhost" || is_ip_literal(name));
}

Verdict check_host(const mg_connection *conn, int port) {
  const char *host = mg_get_header(conn, "Host");
  if (!host) return refuse(400, "the request names no Host");
  if (!host_names_server(host, port))
    return refuse(403, "Host '" + std::string(host).substr(0, 100) +
                           "' is not this server: use its address (or localhost) and port");
  return {};
}

Verdict check_write_origin(const mg_connection *conn) {
  const char *origin = mg_get_header(conn, "Origin");
  const std::string own = std::string("http://") + mg_get_header(conn, "Host");
  if (!origin || own != origin) return refuse(403, "a write is taken only from the page's own origin, " + own);
  if (!starts_with(mg_get_header(conn, "Content-Type"), "application/json"))
    return refuse(415, "a write takes a JSON body (Content-Type: application/json)");
  return {};
}

Verdict read_body(mg_connection *conn, std::string *body) {
  const long long declared = mg_get_request_info(conn)->content_length;
  if (declared > kMaxBodyBytes) return refuse(413, "the body is longer than 4096 bytes");
  char buffer[kMaxBodyBytes + 1];
  size_t used = 0;
  for (;;) {
    int got = mg_read(conn, buffer + used, sizeof buffer - used);
    if (got <= 0) break;
    used += static_cast<size_t>(got);
    if (used == sizeof buffer) return refuse(413, "the body is longer than 4096 bytes");
  }
  body->assign(buffer, used);
  return {};
}

}  // namespace panel_http
