// The panel page's server under abuse, while one well-behaved page works:
// random bytes, requests cut short, oversized headers and bodies, bad JSON,
// unknown paths and methods, lines the card does not have, and writes with
// another site's Origin or a rebound Host, each on a connection of its own
// from several threads at once. Every one must get a 4xx or a closed
// connection, none may switch a line, and the good client (which switches
// lines 16 to 31 and reads them back on the loopback inputs) must lose
// nothing. Counts from this one run.
//   http_stress [REQUESTS]   (default 20000)
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "loopback_client.h"
#include "server_process.h"

namespace {

using nlohmann::json;

constexpr uint32_t kSeed = 20261209;
constexpr int kThreads = 4;
constexpr int kAnswerTimeoutMs = 3000;
constexpr int kGoodFirstLine = 16, kGoodLines = 16;  // the abuse keeps off them (and switches none)

enum Kind { kRandomBytes, kCutShort, kBigHeaders, kBigBody, kBadJson, kForeign, kUnknown, kNoSuchLine, kKinds };
const char *const kKindNames[kKinds] = {"random bytes", "cut short",   "oversized headers", "oversized body",
                                        "bad JSON",     "foreign site", "unknown path/method", "no such line"};

struct Counts {
  long sent[kKinds] = {}, client_error[kKinds] = {}, closed[kKinds] = {}, wrong[kKinds] = {}, silent[kKinds] = {};
};

// Sends the request, closes the sending side and reads the whole answer
// (the server closes every connection). -1: no answer in time.
int exchange(int port, const std::string &request, std::string *answer) {
  int fd = connect_from("127.0.0.1", port);
  if (fd < 0) return -1;
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);  // may be cut by the server's early answer
  shutdown(fd, SHUT_WR);
  char buffer[4096];
  int result = 0;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, kAnswerTimeoutMs) <= 0) {
      result = -1;
      break;
    }
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    answer->append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return result;
}

int status_of(const std::string &answer) {
  int status = 0;
  return std::sscanf(answer.c_str(), "HTTP/1.%*d %d", &status) == 1 ? status : 0;
}

std::string body_of(const std::string &answer) {
  size_t at = answer.find("\r\n\r\n");
  return at == std::string::npos ? "" : answer.substr(at + 4);
}

std::string post(const std::string &host, const std::string &origin, const std::string &path, const std::string &body) {
  return "POST " + path + " HTTP/1.1\r\nHost: " + host + "\r\nOrigin: " + origin +
         "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string random_bytes(std::mt19937 &random, size_t size) {
  std::string bytes(size, '\0');
  for (char &c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string lines_body(int line, int value) {
  return json{{"lines", json::array({json{{"line", line}, {"output", value}}})}}.dump();
}

std::string bad_request(Kind kind, std::mt19937 &random, int port) {
  const std::string host = "127.0.0.1:" + std::to_string(port), origin = "http://" + host;
  const int low_line = static_cast<int>(random() % kGoodFirstLine);
  switch (kind) {
    case kRandomBytes: return random_bytes(random, 1 + random() % 2000);
    case kCutShort: {
      std::string whole = post(host, origin, "/api/lines", lines_body(low_line, 1));
      return whole.substr(0, random() % (whole.size() - 1));
    }
    case kBigHeaders:
      return "GET /api/state HTTP/1.1\r\nHost: " + host + "\r\nX-Filler: " + std::string(9000 + random() % 30000, 'a') +
             "\r\n\r\n";
    case kBigBody: {
      std::string body = "{\"lines\":[" + std::string(5000 + random() % 20000, ' ') + "]}";
      return post(host, origin, "/api/lines", body);
    }
    case kBadJson: return post(host, origin, random() % 2 ? "/api/lines" : "/api/direction", random_bytes(random, random() % 600));
    case kForeign:
      return random() % 2 ? post(host, "http://attacker.example", "/api/lines", lines_body(low_line, 1))
                          : post("attacker.example:" + std::to_string(port), "http://attacker.example:" + std::to_string(port),
                                 "/api/lines", lines_body(low_line, 1));
    case kUnknown:
      return random() % 2 ? "GET /api/" + std::to_string(random()) + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n"
                          : "DELETE /api/state HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    case kNoSuchLine:
      return post(host, origin, "/api/lines", lines_body(32 + static_cast<int>(random() % 1000), static_cast<int>(random() % 2)));
    case kKinds: break;
  }
  return "";
}

void abuse(int port, long requests, uint32_t seed, Counts *counts) {
  std::mt19937 random(seed);
  for (long i = 0; i < requests; ++i) {
    const Kind kind = static_cast<Kind>(random() % kKinds);
    std::string answer;
    const int got = exchange(port, bad_request(kind, random, port), &answer);
    ++counts->sent[kind];
    const int status = status_of(answer);
    if (got < 0) ++counts->silent[kind];
    else if (status >= 400 && status < 500) ++counts->client_error[kind];
    else if (status == 0) ++counts->closed[kind];
    else ++counts->wrong[kind];
  }
}

struct Good {
  long writes = 0, lost = 0, failed = 0;
};

// Switches lines 16 to 31 to a new pattern and reads it back, on the
// outputs and on the loopback inputs, until the abuse is over.
void good_client(int port, const std::atomic<bool> &done, Good *good) {
  std::mt19937 random(kSeed + 1);
  const std::string host = "127.0.0.1:" + std::to_string(port);
  while (!done) {
    const unsigned pattern = random() & 0xFFFF;
    json lines = json::array();
    for (int i = 0; i < kGoodLines; ++i) lines.push_back(json{{"line", kGoodFirstLine + i}, {"output", (pattern >> i) & 1}});
    std::string answer;
    if (exchange(port, post(host, "http://" + host, "/api/lines", json{{"lines", lines}}.dump()), &answer) < 0 ||
        status_of(answer) != 200) {
      ++good->failed;
      continue;
    }
    answer.clear();
    if (exchange(port, "GET /api/state HTTP/1.1\r\nHost: " + host + "\r\n\r\n", &answer) < 0 || status_of(answer) != 200) {
      ++good->failed;
      continue;
    }
    const json state = json::parse(body_of(answer), nullptr, false);
    ++good->writes;
    if (state.is_discarded()) {
      ++good->lost;
      continue;
    }
    const unsigned shown = state["outputs"]["ports"][2].get<unsigned>() | state["outputs"]["ports"][3].get<unsigned>() << 8;
    const unsigned seen = state["inputs"]["ports"][2].get<unsigned>() | state["inputs"]["ports"][3].get<unsigned>() << 8;
    if (shown != pattern || seen != pattern) ++good->lost;
  }
}

// Lines 0 to 15, which no request of the abuse may switch.
int low_outputs(int port) {
  std::string answer;
  if (exchange(port, "GET /api/state HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n", &answer) < 0) return -1;
  const json state = json::parse(body_of(answer), nullptr, false);
  if (state.is_discarded()) return -1;
  return state["outputs"]["ports"][0].get<int>() | state["outputs"]["ports"][1].get<int>() << 8;
}

}  // namespace

int main(int argc, char **argv) {
  const long requests = argc > 1 ? std::atol(argv[1]) : 20000;
  ServerProcess server;
  std::string why;
  if (!start_server(KESTAN_IO_PATH, {"--simulator", "--kind", "kestan", "--base", "0x2A8", "serve", "--http", "0",
                                     "--allow-writes"},
                    &server, &why)) {
    std::fprintf(stderr, "stress: %s\n", why.c_str());
    return 1;
  }
  std::printf("kestan-io serve --http on the simulated PC (Kestan card at 2A8H), port %d: %ld bad requests from %d "
              "threads, each on its own connection, while a good client switches lines 16-31\n",
              server.port, requests, kThreads);
  std::atomic<bool> done{false};
  Good good;
  std::thread good_thread(good_client, server.port, std::cref(done), &good);
  std::vector<Counts> counts(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back(abuse, server.port, requests / kThreads, kSeed + 10 + t, &counts[t]);
  for (std::thread &t : threads) t.join();
  done = true;
  good_thread.join();
  const int untouched = low_outputs(server.port);
  const bool alive = untouched >= 0;
  const int status = stop_server(&server);

  long wrong = 0, silent = 0;
  std::printf("%-20s %8s %8s %8s %8s %8s\n", "kind", "sent", "4xx", "closed", "2xx/5xx", "silent");
  for (int k = 0; k < kKinds; ++k) {
    long sent = 0, client_error = 0, closed = 0, bad = 0, quiet = 0;
    for (const Counts &c : counts) {
      sent += c.sent[k], client_error += c.client_error[k], closed += c.closed[k], bad += c.wrong[k], quiet += c.silent[k];
    }
    wrong += bad;
    silent += quiet;
    std::printf("%-20s %8ld %8ld %8ld %8ld %8ld\n", kKindNames[k], sent, client_error, closed, bad, quiet);
  }
  std::printf("good client: %ld writes read back, %ld lost, %ld failed requests\n", good.writes, good.lost, good.failed);
  std::printf("server: alive at the end %s, lines 0-15 %s, exit status %d after SIGTERM\n", alive ? "yes" : "NO",
              untouched == 0 ? "untouched" : "SWITCHED", status);
  const bool sound = wrong == 0 && silent == 0 && good.lost == 0 && good.failed == 0 && good.writes > 0 && alive &&
                     untouched == 0 && status == 0;
  std::printf(sound ? "PASS\n" : "FAIL (the server's log: %s)\n", server.log_path.c_str());
  return sound ? 0 : 1;
}
