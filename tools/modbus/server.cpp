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
#include "request.h"
#include "server_log.h"

namespace modbus_server {

namespace {

constexpr size_t kReceiveBuffer = 4096;  // several frames; never less room than one
constexpr int kListenBacklog = 64;
constexpr int64_t kMillisecondsPerSecond = 1000;

volatile sig_atomic_t g_stop_signal = 0;

void on_stop_signal(int signal_number) { g_stop_signal = signal_number; }

int64_t now_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kMillisecondsPerSecond + now.tv_nsec / 1000000;
}

struct Client {
  int fd = -1;
  char peer[80] = "";
  uint8_t bytes[kReceiveBuffer];
  size_t used = 0;
  int64_t last_heard_ms = 0;
};

struct Server {
  const ServerOptions *options;
  Answerer answerer;
  int listen_fd;
  std::vector<Client> clients;
  int connected = 0;
};

void describe_peer(const sockaddr_storage &address, socklen_t length, char *text, size_t size) {
  char host[NI_MAXHOST], port[NI_MAXSERV];
  if (getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, sizeof host, port, sizeof port,
                  NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
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
  log_line("client %s disconnected: %s (%d of %d)", client.peer, why, server.connected,
           server.options->max_clients);
}

Client *free_slot(Server &server) {
  for (Client &client : server.clients)
    if (client.fd < 0) return &client;
  return nullptr;
}

void accept_clients(Server &server) {
  for (;;) {
    sockaddr_storage address;
    socklen_t length = sizeof address;
    int fd = accept4(server.listen_fd, reinterpret_cast<sockaddr *>(&address), &length,
                     SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // nothing more waiting (or out of descriptors: try again later)
    }
    char peer[80];
    describe_peer(address, length, peer, sizeof peer);
    Client *client = free_slot(server);
    if (!client) {
      close(fd);
      log_line("client %s refused: already %d clients (--max-clients)", peer, server.connected);
      continue;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    client->fd = fd;
    client->used = 0;
    client->last_heard_ms = now_ms();
    std::snprintf(client->peer, sizeof client->peer, "%s", peer);
    ++server.connected;
    log_line("client %s connected (%d of %d)", peer, server.connected, server.options->max_clients);
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
  client.last_heard_ms = now_ms();
  size_t at = 0;
  for (;;) {
    size_t length = 0;
    Framing framing = first_frame(client.bytes + at, client.used - at, &length);
    if (framing == Framing::kNeedMore) break;
    if (framing == Framing::kBroken || frame_function(client.bytes + at) == 0)
      return drop_client(server, client, "not a Modbus/TCP frame");
    if (!answer_frame(server.answerer, client.fd, client.peer, client.bytes + at, length))
      return drop_client(server, client, "the reply could not be sent");
    at += length;
  }
  std::memmove(client.bytes, client.bytes + at, client.used - at);
  client.used -= at;
}

// Drops the clients idle too long; returns how long the loop may sleep
// before the next one is due (-1: no client).
int drop_idle_clients(Server &server) {
  int64_t idle_ms = server.options->idle_seconds * kMillisecondsPerSecond;
  int64_t now = now_ms(), sleep_ms = -1;
  for (Client &client : server.clients) {
    if (client.fd < 0) continue;
    int64_t left = client.last_heard_ms + idle_ms - now;
    if (left <= 0) {
      char why[64];
      std::snprintf(why, sizeof why, "idle for %d s", server.options->idle_seconds);
      drop_client(server, client, why);
      continue;
    }
    if (sleep_ms < 0 || left < sleep_ms) sleep_ms = left;
  }
  return static_cast<int>(sleep_ms);
}

void run_loop(Server &server, const sigset_t &wait_mask) {
  std::vector<pollfd> fds(server.clients.size() + 1);
  std::vector<Client *> owner(fds.size());
  while (!g_stop_signal) {
    int sleep_ms = drop_idle_clients(server);
    size_t n = 0;
    fds[n++] = {server.listen_fd, POLLIN, 0};
    for (Client &client : server.clients) {
      if (client.fd < 0) continue;
      owner[n] = &client;
      fds[n++] = {client.fd, POLLIN, 0};
    }
    timespec timeout{sleep_ms / 1000, (sleep_ms % 1000) * 1000000L};
    int ready = ppoll(fds.data(), n, sleep_ms < 0 ? nullptr : &timeout, &wait_mask);
    if (ready <= 0) continue;  // a signal, or the next idle client is due
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
  char where[80] = "(unknown)";
  if (getsockname(server.listen_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
    describe_peer(address, length, where, sizeof where);
  const ServerOptions &o = *server.options;
  log_line("listening on %s, unit id %d, %s, at most %d clients, idle clients dropped after %d s", where,
           kUnitId, o.allow_writes ? "writes allowed" : "read-only", o.max_clients, o.idle_seconds);
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
  // SIGTERM and SIGINT are let in only while the loop waits, so a request
  // in progress is always answered; the card is left as it is.
  sigset_t stop_signals, wait_mask;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  sigprocmask(SIG_BLOCK, &stop_signals, &wait_mask);
  sigdelset(&wait_mask, SIGTERM);
  sigdelset(&wait_mask, SIGINT);
  struct sigaction on_stop {};
  on_stop.sa_handler = on_stop_signal;
  sigaction(SIGTERM, &on_stop, nullptr);
  sigaction(SIGINT, &on_stop, nullptr);
  signal(SIGPIPE, SIG_IGN);  // a vanished client is an error code, not the end

  Server server{&options, {context, mapping, &tables, options.allow_writes}, listen_fd,
                std::vector<Client>(static_cast<size_t>(options.max_clients))};
  say_listening(server);
  run_loop(server, wait_mask);
  for (Client &client : server.clients)
    if (client.fd >= 0) close(client.fd);
  close(listen_fd);
  log_line("stopped by %s; the outputs stay as they are", g_stop_signal == SIGINT ? "SIGINT" : "SIGTERM");
  modbus_set_socket(context, -1);
  modbus_mapping_free(mapping);
  modbus_free(context);
  return 0;
}

}  // namespace modbus_server
