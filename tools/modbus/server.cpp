#include "server.h"

#include <fcntl.h>
#include <modbus.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "answer.h"
#include "client_slots.h"
#include "request.h"
#include "server_log.h"
#include "stop_signals.h"

namespace modbus_server {

namespace {

constexpr int kListenBacklog = 64;
constexpr int64_t kMillisecondsPerSecond = 1000;
// How long accepting rests when the system refuses a descriptor.
constexpr int64_t kAcceptPauseMs = 100;

int64_t now_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kMillisecondsPerSecond + now.tv_nsec / 1000000;
}

// The sooner of two waits in ms, -1 meaning none.
int64_t sooner(int64_t a, int64_t b) { return a < 0 ? b : b < 0 ? a : (a < b ? a : b); }

struct Server {
  const ServerOptions *options;
  Answerer answerer;
  int listen_fd;
  std::vector<Client> clients;
  int connected = 0;
  int64_t accept_resumes_ms = 0;  // accepting rests until then (out of descriptors)
  LineBudget log;                 // for the client lines
};

int max_per_peer(const ServerOptions &options) {
  return options.max_per_peer < options.max_clients ? options.max_per_peer : options.max_clients;
}

void describe_peer(const sockaddr_storage &address, socklen_t length, char *host, char *text, size_t size) {
  char port[NI_MAXSERV];
  if (getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, kHostLength, port, sizeof port,
                  NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
    std::snprintf(host, kHostLength, "(unknown)");
    std::snprintf(text, size, "(unknown)");
    return;
  }
  bool v6 = std::strchr(host, ':') != nullptr;
  std::snprintf(text, size, v6 ? "[%s]:%s" : "%s:%s", host, port);
}

void drop_client(Server &server, Client &client, const char *why) {
  close(client.fd);
  client.fd = -1;
  client.used = 0;
  --server.connected;
  log_within(server.log, now_ms(), "client %s disconnected: %s (%d of %d)", client.peer, why, server.connected,
             server.options->max_clients);
}

// Drops the client that makes way (among those from host; all of them
// when host is null). False when none may.
bool make_way(Server &server, const char *host, const char *why) {
  Client *idlest = next_to_make_way(server.clients, host, now_ms());
  if (!idlest) return false;
  drop_client(server, *idlest, why);
  return true;
}

// The slot for a new client from host: a free one, or one a client makes
// way from (of that address when it is at its limit, else of all when
// every slot is taken); null when none may, and the newcomer is refused.
Client *slot_for(Server &server, const char *host, const char *peer) {
  int per_peer = max_per_peer(*server.options);
  if (clients_from(server.clients, host) >= per_peer) {
    if (make_way(server, host, "made way for a newer client from its address")) return free_slot(server.clients);
    log_within(server.log, now_ms(), "client %s refused: already %d clients from %s, none may make way (--max-per-peer)",
               peer, per_peer, host);
    return nullptr;
  }
  if (Client *slot = free_slot(server.clients)) return slot;
  if (make_way(server, nullptr, "made way for a new client")) return free_slot(server.clients);
  log_within(server.log, now_ms(), "client %s refused: already %d clients, none may make way (--max-clients)", peer,
             server.connected);
  return nullptr;
}

void take_client(Server &server, Client &client, int fd, const char *host, const char *peer) {
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  client.fd = fd;
  client.used = 0;
  client.last_request_ms = now_ms();
  client.asked = false;
  std::snprintf(client.host, sizeof client.host, "%s", host);
  std::snprintf(client.peer, sizeof client.peer, "%s", peer);
  ++server.connected;
  log_within(server.log, now_ms(), "client %s connected (%d of %d)", peer, server.connected,
             server.options->max_clients);
}

// Out of descriptors, a client makes way as for a full server; when none
// may, accepting rests a while instead of finding the listening socket ready
// again at once. True when accept may be tried again now.
bool on_accept_failure(Server &server, int error) {
  if (error == EINTR || error == ECONNABORTED || error == EPROTO) return true;
  if (error == EAGAIN || error == EWOULDBLOCK) return false;
  bool out_of_descriptors = error == EMFILE || error == ENFILE;
  if (out_of_descriptors && make_way(server, nullptr, "made way for a new client (no descriptor left)")) return true;
  server.accept_resumes_ms = now_ms() + kAcceptPauseMs;
  log_within(server.log, now_ms(), "cannot accept a client: %s; trying again in %lld ms", std::strerror(error),
             static_cast<long long>(kAcceptPauseMs));
  return false;
}

void accept_clients(Server &server) {
  for (;;) {
    sockaddr_storage address;
    socklen_t length = sizeof address;
    int fd = accept4(server.listen_fd, reinterpret_cast<sockaddr *>(&address), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (on_accept_failure(server, errno)) continue;
      return;
    }
    char host[kHostLength], peer[80];
    describe_peer(address, length, host, peer, sizeof peer);
    Client *client = slot_for(server, host, peer);
    if (client) take_client(server, *client, fd, host, peer);
    else close(fd);
  }
}

// Reads what the client sent and answers every whole frame in it, in order.
void serve_client(Server &server, Client &client) {
  ssize_t got = recv(client.fd, client.bytes + client.used, sizeof client.bytes - client.used, 0);
  if (got == 0) return drop_client(server, client, "closed by the client");
  if (got < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    return drop_client(server, client, std::strerror(errno));
  }
  client.used += static_cast<size_t>(got);
  size_t at = 0;
  for (;;) {
    size_t length = 0;
    Framing framing = first_frame(client.bytes + at, client.used - at, &length);
    if (framing == Framing::kNeedMore) break;
    if (framing == Framing::kBroken || frame_function(client.bytes + at) == 0)
      return drop_client(server, client, "not a Modbus/TCP frame");
    if (!answer_frame(server.answerer, client.fd, client.peer, client.bytes + at, length))
      return drop_client(server, client, "the reply could not be sent");
    client.last_request_ms = now_ms();
    client.asked = true;
    at += length;
  }
  std::memmove(client.bytes, client.bytes + at, client.used - at);
  client.used -= at;
}

// Drops the clients idle too long; returns how long the loop may sleep
// before the next one is due (-1: no client).
int64_t drop_idle_clients(Server &server) {
  int64_t idle_ms = server.options->idle_seconds * kMillisecondsPerSecond;
  int64_t now = now_ms(), sleep_ms = -1;
  for (Client &client : server.clients) {
    if (client.fd < 0) continue;
    int64_t left = client.last_request_ms + idle_ms - now;
    if (left <= 0) {
      char why[64];
      std::snprintf(why, sizeof why, "idle for %d s", server.options->idle_seconds);
      drop_client(server, client, why);
      continue;
    }
    sleep_ms = sooner(sleep_ms, left);
  }
  return sleep_ms;
}

// What falls due while the loop sleeps: an idle client, the line of client
// lines left out, the end of a rest from accepting. -1: nothing.
int64_t next_due_ms(Server &server) {
  int64_t due = sooner(drop_idle_clients(server), say_left_out(server.log, now_ms(), false));
  int64_t rest = server.accept_resumes_ms - now_ms();
  return rest > 0 ? sooner(due, rest) : due;
}

void run_loop(Server &server, const sigset_t &wait_mask) {
  std::vector<pollfd> fds(server.clients.size() + 1);
  std::vector<Client *> owner(fds.size());
  while (!g_stop_signal) {
    int64_t sleep_ms = next_due_ms(server);
    bool accepting = now_ms() >= server.accept_resumes_ms;
    size_t n = 0;
    fds[n++] = {accepting ? server.listen_fd : -1, POLLIN, 0};  // ppoll skips a negative descriptor
    for (Client &client : server.clients) {
      if (client.fd < 0) continue;
      owner[n] = &client;
      fds[n++] = {client.fd, POLLIN, 0};
    }
    timespec timeout{static_cast<time_t>(sleep_ms / 1000), static_cast<long>(sleep_ms % 1000) * 1000000L};
    int ready = ppoll(fds.data(), n, sleep_ms < 0 ? nullptr : &timeout, &wait_mask);
    if (ready <= 0) continue;  // a signal, or something fell due
    for (size_t i = 1; i < n; ++i) {
      if (fds[i].revents & POLLIN) serve_client(server, *owner[i]);
      else if (fds[i].revents & (POLLERR | POLLHUP | POLLNVAL)) drop_client(server, *owner[i], "connection lost");
    }
    if (fds[0].revents & POLLIN) accept_clients(server);
  }
}

int listen_on(modbus_t *context, const ListenAddress &listen) {
  int fd = modbus_tcp_pi_listen(context, kListenBacklog);
  if (fd < 0) {
    log_line("cannot listen on %s port %s: %s", listen.host, listen.port, modbus_strerror(errno));
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
}

void say_listening(const Server &server) {
  sockaddr_storage address;
  socklen_t length = sizeof address;
  char host[kHostLength], where[80] = "(unknown)";
  if (getsockname(server.listen_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
    describe_peer(address, length, host, where, sizeof where);
  const ServerOptions &o = *server.options;
  log_line("listening on %s, unit id %d, %s, at most %d clients (%d per address), idle clients dropped after %d s",
           where, kUnitId, o.allow_writes ? "writes allowed" : "read-only", o.max_clients, max_per_peer(o),
           o.idle_seconds);
}

}  // namespace

int serve(const ServerOptions &options, const PointTables &tables) {
  modbus_t *context = modbus_new_tcp_pi(options.listen.host, options.listen.port);
  if (!context) {
    log_line("cannot listen on %s port %s: %s", options.listen.host, options.listen.port, modbus_strerror(errno));
    return 1;
  }
  int listen_fd = listen_on(context, options.listen);
  modbus_mapping_t *mapping = modbus_mapping_new(tables.size[kCoils], tables.size[kDiscreteInputs],
                                                 tables.size[kHoldingRegisters], tables.size[kInputRegisters]);
  if (listen_fd < 0 || !mapping) {
    if (listen_fd >= 0) close(listen_fd);
    modbus_mapping_free(mapping);
    modbus_free(context);
    return 1;
  }
  sigset_t wait_mask;
  catch_stop_signals(&wait_mask);
  signal(SIGPIPE, SIG_IGN);  // a vanished client is an error code, not the end

  Server server{&options, {context, mapping, &tables, options.allow_writes}, listen_fd,
                std::vector<Client>(static_cast<size_t>(options.max_clients)), 0, 0, {}};
  say_listening(server);
  run_loop(server, wait_mask);
  for (Client &client : server.clients)
    if (client.fd >= 0) close(client.fd);
  close(listen_fd);
  say_left_out(server.log, now_ms(), true);
  log_line("stopped by %s; the outputs stay as they are", stop_signal_name(g_stop_signal));
  modbus_set_socket(context, -1);
  modbus_mapping_free(mapping);
  modbus_free(context);
  return 0;
}

}  // namespace modbus_server
