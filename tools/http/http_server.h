// The panel page's server: the page and its files at /, the API under
// /api/ (panel_api.h) and the stream of changes at /api/events, over
// civetweb. Bounded by design: a fixed number of worker threads (each
// connection holds one), a fixed number of streams among them, request line
// and headers within civetweb's max_request_size, bodies within 4096
// bytes, no keep-alive, no files from disk.
#ifndef KIT_HTTP_HTTP_SERVER_H
#define KIT_HTTP_HTTP_SERVER_H

#include <atomic>
#include <memory>
#include <string>

#include "card_feed.h"
#include "panel_api.h"

struct mg_context;
struct mg_connection;

namespace panel_http {

constexpr int kDefaultMaxPages = 32;
constexpr int kMaxPagesLimit = 256;

struct HttpOptions {
  std::string host = "127.0.0.1";  // numeric IPv4 or IPv6 address
  std::string port;                // 0 lets the system choose
  bool allow_writes = false;
  int max_pages = kDefaultMaxPages;  // streams of changes open at once
};

class HttpServer {
 public:
  HttpServer(ServedCard &card, const HttpOptions &options);
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  // Starts the feed and listens; false with the reason in why (one line)
  // when it cannot. Says "http: listening on HOST:PORT ..." once it serves.
  bool start(std::string *why);
  // Ends every stream, then the server; the card is left as it is.
  void stop();

  // For the request handler.
  int handle(mg_connection *conn);

 private:
  int serve_asset(mg_connection *conn, const std::string &path);
  int serve_events(mg_connection *conn);
  int serve_api(mg_connection *conn, const std::string &method, const std::string &path);

  HttpOptions options_;
  CardFeed feed_;
  PanelApi api_;
  mg_context *context_ = nullptr;
  std::atomic<int> port_{0};  // read by the worker threads
  std::atomic<int> streams_{0};
};

}  // namespace panel_http

#endif
