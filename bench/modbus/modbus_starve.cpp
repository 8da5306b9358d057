// The Modbus server against clients that would keep the others out, while
// one good client polls (a read of eight coils every 50 ms, reconnecting
// when it is turned away or dropped). Four runs, each on a server of its
// own: silent sockets from the good client's own address; clients that
// trickle one byte a second; a flood of connections from one address; and
// more connections than the server has file descriptors. Counts from this
// one run; the verdict asks that the good client be answered in each and
// that the server spend little of a core meanwhile.
//   modbus_starve [SECONDS_PER_RUN]   (default 4)
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_client.h"
#include "server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kAbuser[] = "127.0.0.1";
const char kOtherAddress[] = "127.0.0.2";
constexpr int kPollMs = 50;
constexpr int kHeadStartMs = 500;  // the abuser's, so that the good client comes to a full server
constexpr int kSilentSockets = 40;
constexpr int kTricklers = 4;
constexpr int kFloodThreads = 2;
constexpr int kFewDescriptors = 40;
constexpr int kMoreThanDescriptors = 60;
constexpr double kMaxCpuShare = 0.10;
const uint8_t kReadCoils[] = {0, 1, 0, 0, 0, 6, 1, 1, 0, 0, 0, 8};
constexpr size_t kReplyLength = 10;  // header, function, byte count, one byte

struct GoodCounts {
  long polls = 0, answered = 0, turned_away = 0;
  double first_answer_s = -1;
};

struct Run {
  const char *name;
  std::vector<std::string> serve_words;
  const char *good_from;
  void (*abuse)(int port, std::atomic<bool> *done, long *count);
  const char *abuse_counted;  // what the abuser's count is of
};

// One poll on *fd (connecting first when it has none); false when it got
// no answer, and the connection is closed.
bool poll_once(const char *from, int port, int *fd) {
  uint8_t reply[kReplyLength];
  if (*fd < 0) *fd = connect_from(from, port);
  bool ok = *fd >= 0 && send(*fd, kReadCoils, sizeof kReadCoils, MSG_NOSIGNAL) == sizeof kReadCoils &&
            read_exactly(*fd, reply, sizeof reply) == 1 && reply[7] == kReadCoils[7];
  if (!ok && *fd >= 0) close(*fd), *fd = -1;
  return ok;
}

void good_client(const char *from, int port, Clock::time_point end, GoodCounts *counts) {
  Clock::time_point start = Clock::now();
  int fd = -1;
  for (; Clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs))) {
    ++counts->polls;
    if (!poll_once(from, port, &fd)) {
      ++counts->turned_away;
      continue;
    }
    if (counts->answered++ == 0)
      counts->first_answer_s = std::chrono::duration<double>(Clock::now() - start).count();
  }
  if (fd >= 0) close(fd);
}

void close_all(std::vector<int> &fds) {
  for (int fd : fds)
    if (fd >= 0) close(fd);
  fds.clear();
}

// Sockets that connect and say nothing, reopened when the server drops them.
void hold_silent(int port, int sockets, std::atomic<bool> *done, long *opened) {
  std::vector<int> fds;
  while (!*done) {
    for (int &fd : fds) {
      uint8_t byte;
      if (recv(fd, &byte, 1, MSG_DONTWAIT) == 0) close(fd), fd = -1;
    }
    for (int &fd : fds)
      if (fd < 0 && (fd = connect_from(kAbuser, port)) >= 0) ++*opened;
    while (static_cast<int>(fds.size()) < sockets) {
      fds.push_back(connect_from(kAbuser, port));
      if (fds.back() >= 0) ++*opened;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  close_all(fds);
}

void silent_sockets(int port, std::atomic<bool> *done, long *opened) {
  hold_silent(port, kSilentSockets, done, opened);
}

void descriptor_hog(int port, std::atomic<bool> *done, long *opened) {
  hold_silent(port, kMoreThanDescriptors, done, opened);
}

// Clients sending a read request one byte a second, reconnecting when
// dropped; counts the bytes sent.
void tricklers(int port, std::atomic<bool> *done, long *bytes) {
  std::vector<int> fds(kTricklers, -1);
  for (size_t at = 0; !*done; at = (at + 1) % sizeof kReadCoils) {
    for (int &fd : fds) {
      if (fd < 0) fd = connect_from(kAbuser, port);
      if (fd >= 0 && send(fd, kReadCoils + at, 1, MSG_NOSIGNAL) == 1) ++*bytes;
      else if (fd >= 0) close(fd), fd = -1;
    }
    for (int i = 0; i < 10 && !*done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  close_all(fds);
}

// Connections opened and closed as fast as the threads can, from one address.
void flood(int port, std::atomic<bool> *done, long *connects) {
  std::atomic<long> total{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kFloodThreads; ++t)
    threads.emplace_back([port, done, &total] {
      while (!*done) {
        int fd = connect_from(kAbuser, port);
        if (fd >= 0) close(fd), ++total;
      }
    });
  for (std::thread &thread : threads) thread.join();
  *connects = total;
}

// The client lines the server left out, from its lines that count them.
long lines_left_out(const std::string &log) {
  static const char kCounted[] = "modbus: ";
  long total = 0;
  for (size_t at = log.find(" client lines left out"); at != std::string::npos;
       at = log.find(" client lines left out", at + 1)) {
    size_t start = log.rfind(kCounted, at);
    if (start != std::string::npos) total += std::atol(log.c_str() + start + sizeof kCounted - 1);
  }
  return total;
}

// The CPU time (user and system) the process has used, in seconds.
double cpu_seconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t at = text.rfind(')');
  if (at == std::string::npos) return 0;
  char *p = &text[at + 2];
  for (int field = 3; field < 14; ++field) std::strtol(p, &p, 10), ++p;  // to utime
  double ticks = std::strtod(p, &p);
  ticks += std::strtod(p, &p);
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool run(const Run &r, double seconds) {
  std::vector<std::string> args{"--simulator", "--kind", "kestan", "--base", "0x2A8", "serve", "--modbus", "0"};
  args.insert(args.end(), r.serve_words.begin(), r.serve_words.end());
  ServerProcess server;
  std::string why;
  if (!start_server(KESTAN_IO_PATH, args, &server, &why)) {
    std::fprintf(stderr, "starve: %s\n", why.c_str());
    return false;
  }
  if (r.abuse == descriptor_hog) {
    rlimit few{kFewDescriptors, kFewDescriptors};
    prlimit(server.pid, RLIMIT_NOFILE, &few, nullptr);
  }
  std::atomic<bool> done{false};
  long abuse_count = 0;
  GoodCounts good;
  double cpu_before = cpu_seconds(server.pid);
  std::thread abuser(r.abuse, server.port, &done, &abuse_count);
  std::this_thread::sleep_for(std::chrono::milliseconds(kHeadStartMs));
  Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::thread poller(good_client, r.good_from, server.port, end, &good);
  poller.join();
  double cpu_share = (cpu_seconds(server.pid) - cpu_before) / (seconds + kHeadStartMs / 1000.0);
  done = true;
  abuser.join();
  bool alive = kill(server.pid, 0) == 0;
  int status = stop_server(&server);
  std::string log = server_log(server);
  long lines = count_in(log, "\n");
  bool sound = alive && status == 0 && good.answered > 0 && cpu_share <= kMaxCpuShare;
  std::printf("%s: %s %ld; good client from %s: %ld of %ld polls answered, first after %.2f s; "
              "server %.1f %% of a core, %ld log lines written, %ld client lines left out%s\n",
              r.name, r.abuse_counted, abuse_count, r.good_from, good.answered, good.polls, good.first_answer_s,
              100 * cpu_share, lines, lines_left_out(log), sound ? "" : "  FAIL");
  if (sound && !getenv("KEEP_LOG")) unlink(server.log_path.c_str());
  else std::printf("  the server's log: %s\n", server.log_path.c_str());
  return sound;
}

}  // namespace

int main(int argc, char **argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
  const Run runs[] = {
    {"silent sockets", {}, kAbuser, silent_sockets, "silent connections opened"},
    {"trickling clients", {"--max-clients", "4", "--idle-timeout", "2"}, kAbuser, tricklers, "bytes trickled"},
    {"flood from one address", {}, kOtherAddress, flood, "connections"},
    {"no descriptors left", {"--max-clients", "100", "--max-per-peer", "100"}, kOtherAddress, descriptor_hog,
     "silent connections opened"},
  };
  bool sound = true;
  for (const Run &r : runs) sound = run(r, seconds) && sound;
  std::printf(sound ? "PASS\n" : "FAIL\n");
  return sound ? 0 : 1;
}
