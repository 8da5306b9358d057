#include "http_server.h"

#include <civetweb.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "page_assets.h"
#include "request_guard.h"

namespace panel_http {

namespace {

using cardio::Json;

// Worker threads besides the streams: the page's own requests and curl.
constexpr int kRequestThreads = 8;
constexpr char kMaxRequestBytes[] = "8192";  // request line and headers
constexpr char kRequestTimeoutMs[] = "10000";
// A stream says something this often, so a page that went away frees its
// thread within that time.
constexpr int kKeepAliveMs = 5000;
constexpr unsigned kIpv6Feature = 8;  // mg_check_feature's bit for IPv6

// Nothing of the page comes from elsewhere, and no other site may frame it.
constexpr char kPageHeaders[] =
    "Content-Security-Policy: default-src 'self'; frame-ancestors 'none'\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Cache-Control: no-store\r\n";

int send(mg_connection *conn, int status, const char *type, const std::string &body,
         const char *extra_headers = "") {
  mg_response_header_start(conn, status);
  mg_response_header_add(conn, "Content-Type", type, -1);
  mg_response_header_add(conn, "Content-Length", std::to_string(body.size()).c_str(), -1);
  mg_response_header_add_lines(conn, kPageHeaders);
  if (*extra_headers) mg_response_header_add_lines(conn, extra_headers);
  mg_response_header_send(conn);
  mg_write(conn, body.data(), body.size());
  return status;
}

int send_json(mg_connection *conn, int status, const Json &body, const char *extra_headers = "") {
  return send(conn, status, "application/json", body.dump() + "\n", extra_headers);
}

int send_reply(mg_connection *conn, const ApiReply &reply) { return send_json(conn, reply.status, reply.body); }

int send_error(mg_connection *conn, int status, const std::string &why, const char *extra_headers = "") {
  return send_json(conn, status, error_json(status, why), extra_headers);
}

int on_request(mg_connection *conn, void *server) { return static_cast<HttpServer *>(server)->handle(conn); }

int on_log(const mg_connection *, const char *message) {
  std::fprintf(stderr, "kestan-io: http: %s\n", message);
  return 1;
}

bool write_text(mg_connection *conn, const std::string &text) {
  return mg_write(conn, text.data(), text.size()) == static_cast<int>(text.size());
}

enum class Answer { kState, kPanel, kEvents, kLines, kDirection };

// One API route: its path, its method and what answers it.
struct Route {
  const char *path;
  const char *method;
  Answer answer;
};

constexpr Route kRoutes[] = {
    {"/api/state", "GET", Answer::kState},
    {"/api/panel", "GET", Answer::kPanel},
    {"/api/events", "GET", Answer::kEvents},
    {"/api/lines", "POST", Answer::kLines},
    {"/api/direction", "POST", Answer::kDirection},
};

const Route *find_route(const std::string &path) {
  for (const Route &route : kRoutes)
    if (path == route.path) return &route;
  return nullptr;
}

}  // namespace

HttpServer::HttpServer(ServedCard &card, const HttpOptions &options)
    : options_(options), feed_(card), api_(card, feed_, options.allow_writes) {}

HttpServer::~HttpServer() { stop(); }

bool HttpServer::start(std::string *why) {
  const bool v6 = options_.host.find(':') != std::string::npos;
  if (v6 && !mg_check_feature(kIpv6Feature)) {
    *why = "http: cannot listen on [" + options_.host +
           "]: this civetweb is built without IPv6; give an IPv4 address (0.0.0.0: every interface)";
    return false;
  }
  const std::string listen = (v6 ? "[" + options_.host + "]" : options_.host) + ":" + options_.port;
  const std::string threads = std::to_string(options_.max_pages + kRequestThreads);
  const char *settings[] = {"listening_ports", listen.c_str(),
                            "num_threads", threads.c_str(),
                            "max_request_size", kMaxRequestBytes,
                            "request_timeout_ms", kRequestTimeoutMs,
                            "enable_keep_alive", "no",
                            "tcp_nodelay", "1",
                            "decode_url", "yes",
                            // No other site may ask to call the API.
                            "access_control_allow_origin", "",
                            nullptr};
  mg_callbacks callbacks{};
  callbacks.log_message = on_log;
  feed_.start();
  context_ = mg_start(&callbacks, this, settings);
  if (!context_) {
    *why = "http: cannot listen on " + listen + " (civetweb says why above)";
    feed_.stop();
    return false;
  }
  mg_set_request_handler(context_, "/", on_request, this);
  mg_server_port ports[1] = {};
  if (mg_get_server_ports(context_, 1, ports) == 1) port_ = ports[0].port;
  std::fprintf(stderr, "kestan-io: http: listening on %s:%d, %s, at most %d pages\n",
               v6 ? ("[" + options_.host + "]").c_str() : options_.host.c_str(), port_.load(),
               options_.allow_writes ? "writes allowed" : "read-only", options_.max_pages);
  return true;
}

void HttpServer::stop() {
  feed_.stop();  // every stream ends at once
  if (context_) mg_stop(context_);
  context_ = nullptr;
}

int HttpServer::handle(mg_connection *conn) {
  const mg_request_info *request = mg_get_request_info(conn);
  const std::string method = request->request_method ? request->request_method : "";
  const std::string path = request->local_uri ? request->local_uri : "";
  const Verdict host = check_host(conn, port_.load());
  if (!host.ok()) return send_error(conn, host.status, host.why);
  if (path.rfind("/api/", 0) == 0) return serve_api(conn, method, path);
  if (method != "GET") return send_error(conn, 405, "the page's files are read with GET", "Allow: GET\r\n");
  return serve_asset(conn, path);
}

int HttpServer::serve_asset(mg_connection *conn, const std::string &path) {
  for (int i = 0; i < kPageAssetCount; ++i) {
    const PageAsset &asset = kPageAssets[i];
    if (path == asset.url)
      return send(conn, 200, asset.type, std::string(reinterpret_cast<const char *>(asset.bytes), asset.size));
  }
  return send_error(conn, 404, "no such page: the panel is at /");
}

int HttpServer::serve_api(mg_connection *conn, const std::string &method, const std::string &path) {
  const Route *route = find_route(path);
  if (!route) return send_error(conn, 404, "no such API: /api/state, /api/panel, /api/events, /api/lines, /api/direction");
  if (method != route->method) {
    const std::string allow = std::string("Allow: ") + route->method + "\r\n";
    return send_error(conn, 405, std::string(route->path) + " takes " + route->method, allow.c_str());
  }
  switch (route->answer) {
    case Answer::kState: return send_reply(conn, api_.get_state());
    case Answer::kPanel: return send_reply(conn, api_.get_panel());
    case Answer::kEvents: return serve_events(conn);
    case Answer::kLines:
    case Answer::kDirection: break;
  }
  Verdict verdict = check_write_origin(conn);
  std::string body;
  if (verdict.ok()) verdict = read_body(conn, &body);
  if (!verdict.ok()) return send_error(conn, verdict.status, verdict.why);
  return send_reply(conn, route->answer == Answer::kLines ? api_.post_lines(body) : api_.post_direction(body));
}

// Server-Sent Events: the state at once, then again after every change.
int HttpServer::serve_events(mg_connection *conn) {
  if (streams_.fetch_add(1) >= options_.max_pages) {
    streams_.fetch_sub(1);
    return send_error(conn, 503, "already " + std::to_string(options_.max_pages) + " pages open (--max-pages)",
                      "Retry-After: 5\r\n");
  }
  mg_response_header_start(conn, 200);
  mg_response_header_add(conn, "Content-Type", "text/event-stream", -1);
  mg_response_header_add_lines(conn, kPageHeaders);
  mg_response_header_send(conn);
  uint64_t shown = 0;
  bool open = true;
  while (open && !feed_.stopped()) {
    CardSnapshot now = feed_.wait_after(shown, kKeepAliveMs);
    if (feed_.stopped()) break;
    if (now.sequence > shown) {
      shown = now.sequence;
      open = write_text(conn, "data: " + api_.state(now).dump() + "\n\n");
    } else {
      open = write_text(conn, ": still here\n\n");
    }
  }
  streams_.fetch_sub(1);
  return 200;
}

}  // namespace panel_http
