// The Modbus server under abuse, while one well-behaved client works: a
// stream of random, truncated and oversized frames on connections of their
// own, and clients that connect and vanish. The server must answer every
// frame it can frame, drop the connections it cannot, never stop serving
// the good client and lose none of its writes (each write is read back and
// seen on the loopback inputs).
//   modbus_stress [FRAMES [VANISHING_CLIENTS]]   (default 100000 and 2000)
#include <modbus.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "loopback_client.h"
#include "request.h"
#include "server_process.h"

namespace {

constexpr uint32_t kSeed = 20261209;
// The good client's lines: output port word 1 (outputs 16 to 31), seen on
// inputs 16 to 31 through the cable. The random frames keep off them.
constexpr int kGoodRegister = 1;
constexpr int kGoodFirstLine = 16;
constexpr int kGoodLines = 16;
// The Kestan card's tables as the server serves them.
const int kKestanSizes[modbus_server::kTableCount] = {32, 32, 5, 2};

std::atomic<bool> g_abuse_done{false};

struct GoodCounts {
  long writes = 0, lost = 0, failed = 0;
};

struct AbuseCounts {
  long frames = 0, replies = 0, exceptions = 0, dropped = 0, silent = 0, refused_connects = 0;
  long by_kind[5] = {0, 0, 0, 0, 0};
};

int connect_to(int port) { return connect_from("127.0.0.1", port); }

// Writes a value to the good register, then reads it back and reads the
// loopback inputs; every mismatch is a lost write.
void good_client(modbus_t *client, GoodCounts *counts) {
  for (uint16_t value = 1; !g_abuse_done.load(); value = static_cast<uint16_t>(value * 31 + 7)) {
    uint16_t back = 0;
    uint8_t inputs[kGoodLines];
    if (modbus_write_register(client, kGoodRegister, value) != 1 ||
        modbus_read_registers(client, kGoodRegister, 1, &back) != 1 ||
        modbus_read_input_bits(client, kGoodFirstLine, kGoodLines, inputs) != kGoodLines) {
      ++counts->failed;
      if (counts->failed <= 3) std::fprintf(stderr, "good client: %s\n", modbus_strerror(errno));
      continue;
    }
    ++counts->writes;
    bool seen = back == value;
    for (int b = 0; b < kGoodLines; ++b) seen = seen && inputs[b] == ((value >> b) & 1);
    if (!seen) ++counts->lost;
  }
}

// A request of a function the server knows, with random address and count.
size_t well_formed(std::mt19937 &random, uint8_t *frame) {
  static const uint8_t kFunctions[] = {1, 2, 3, 4, 5, 6, 15, 16};
  uint8_t function = kFunctions[random() % sizeof kFunctions];
  size_t length = 12;
  frame[7] = function;
  frame[8] = 0;
  frame[9] = static_cast<uint8_t>(random() % 40);
  frame[10] = 0;
  frame[11] = static_cast<uint8_t>(random() % 40);
  if (function == 5) frame[10] = random() % 2 ? 0xFF : 0x00, frame[11] = 0;
  if (function == 15 || function == 16) {
    size_t bytes = function == 15 ? (frame[11] + 7) / 8 : 2 * frame[11];
    frame[12] = static_cast<uint8_t>(bytes);
    for (size_t i = 0; i < bytes; ++i) frame[13 + i] = static_cast<uint8_t>(random());
    length = 13 + bytes;
  }
  return length;
}

// What the server owes a frame: an answer; closing the connection (the
// header cannot start a Modbus/TCP frame); or nothing yet (it is short of
// what its header promises, or it runs on into bytes that start another).
enum class Expect { kAnswer, kDrop, kNothing };

Expect expectation(const uint8_t *frame, size_t length) {
  if (length < 7) return Expect::kNothing;
  unsigned protocol = frame[2] << 8 | frame[3], follows = frame[4] << 8 | frame[5];
  if (protocol != 0 || follows < 2 || follows > 254) return Expect::kDrop;
  if (follows + 6 != length) return Expect::kNothing;
  return frame[7] >= 1 && frame[7] < 0x80 ? Expect::kAnswer : Expect::kDrop;
}

// A write the good client would not see coming goes to another unit.
void keep_off_good_lines(uint8_t *frame, size_t length) {
  static modbus_server::Request request;
  if (modbus_server::decode_request(frame, length, kKestanSizes, &request) != 0 || !request.write) return;
  bool coils = request.table == modbus_server::kCoils && request.address + request.count > kGoodFirstLine;
  bool registers =
      request.table == modbus_server::kHoldingRegisters && request.address + request.count > kGoodRegister;
  if (coils || registers) frame[6] = 2;
}

// One frame of one of five kinds; returns its length. *cut: the frame is
// sent short of its header's length and the connection closed after it.
size_t make_frame(std::mt19937 &random, uint16_t transaction, uint8_t *frame, int *kind, bool *cut) {
  *kind = static_cast<int>(random() % 5);
  *cut = *kind == 3;
  size_t length = 0;
  if (*kind == 0) {  // random bytes, random length
    length = 1 + random() % 300;
    for (size_t i = 0; i < length; ++i) frame[i] = static_cast<uint8_t>(random());
    return length;
  }
  length = *kind == 1 ? 8 + random() % 253 : well_formed(random, frame);
  if (*kind == 1)
    for (size_t i = 7; i < length; ++i) frame[i] = static_cast<uint8_t>(random());
  if (*kind == 2 && random() % 2) length = 8 + random() % (length - 8);  // body cut, header agrees
  frame[0] = transaction >> 8;
  frame[1] = transaction & 0xFF;
  frame[2] = frame[3] = 0;
  frame[6] = random() % 8 ? 1 : static_cast<uint8_t>(random());
  unsigned follows = *kind == 4 ? 255 + random() % 65000 : static_cast<unsigned>(length - 6);
  frame[4] = static_cast<uint8_t>(follows >> 8);
  frame[5] = follows & 0xFF;
  if (*kind == 3) length = 7 + random() % (length - 7);
  return length;
}

void print_frame(const char *what, const uint8_t *frame, size_t length) {
  std::fprintf(stderr, "%s (%zu bytes):", what, length);
  for (size_t i = 0; i < length && i < 24; ++i) std::fprintf(stderr, " %02X", frame[i]);
  std::fprintf(stderr, "\n");
}

// Sends the frames, each on the connection of the ones before it until the
// server drops it, and checks the answer each deserves.
void abuse_with_frames(int port, long frames, AbuseCounts *counts) {
  std::mt19937 random(kSeed);
  uint8_t frame[400], reply[300];
  int fd = -1;
  for (long i = 0; i < frames; ++i) {
    while (fd < 0) {
      fd = connect_to(port);
      if (fd < 0) ++counts->refused_connects;
    }
    int kind = 0;
    bool cut = false;
    size_t length = make_frame(random, static_cast<uint16_t>(i), frame, &kind, &cut);
    Expect expect = cut ? Expect::kNothing : expectation(frame, length);
    if (expect == Expect::kAnswer) keep_off_good_lines(frame, length);
    ++counts->frames;
    ++counts->by_kind[kind];
    bool sent = send(fd, frame, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
    int got = 0;
    if (sent && expect == Expect::kDrop) {
      while ((got = read_exactly(fd, reply, 1)) == 1) {
      }
      ++(got == 0 ? counts->dropped : counts->silent);
    } else if (sent && expect == Expect::kAnswer) {
      got = read_exactly(fd, reply, 9);
      unsigned follows = reply[4] << 8 | reply[5];
      if (got == 1 && follows > 3) got = read_exactly(fd, reply + 9, follows - 3);
      if (got == 1 && reply[0] == frame[0] && reply[1] == frame[1]) {
        ++(reply[7] & 0x80 ? counts->exceptions : counts->replies);
        continue;  // the connection serves the next frame
      }
      ++counts->silent;
      if (counts->silent <= 3) print_frame("unanswered", frame, length);
    }
    close(fd);
    fd = -1;
  }
  if (fd >= 0) close(fd);
}

// Clients that connect and go: at once, after half a frame, after a whole
// frame without waiting for the answer, or with a reset.
void vanishing_clients(int port, long clients, long *done) {
  std::mt19937 random(kSeed + 1);
  static const uint8_t kRead[] = {0, 1, 0, 0, 0, 6, 1, 1, 0, 0, 0, 8};
  for (long i = 0; i < clients; ++i) {
    int fd = connect_to(port);
    if (fd < 0) continue;
    switch (random() % 4) {
      case 1: send(fd, kRead, 5, MSG_NOSIGNAL); break;
      case 2: send(fd, kRead, sizeof kRead, MSG_NOSIGNAL); break;
      case 3: {
        linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        break;
      }
      default: break;
    }
    close(fd);
    ++*done;
  }
}

}  // namespace

int main(int argc, char **argv) {
  long frames = argc > 1 ? std::atol(argv[1]) : 100000;
  long vanishing = argc > 2 ? std::atol(argv[2]) : 2000;
  ServerProcess server;
  std::string why;
  if (!start_server(KESTAN_IO_PATH,
                    {"--simulator", "--kind", "kestan", "--base", "0x2A8", "serve", "--modbus", "0", "--allow-writes",
                     "--max-clients", "200", "--max-per-peer", "200"},
                    &server, &why)) {
    std::fprintf(stderr, "stress: %s\n", why.c_str());
    return 1;
  }
  GoodCounts good;
  AbuseCounts abuse;
  long vanished = 0;
  // The good client is in before the others come; the limit on clients is
  // above what the vanishing clients can hold at once.
  long descriptors_before = open_descriptors(server);
  modbus_t *client = modbus_new_tcp("127.0.0.1", server.port);
  modbus_set_slave(client, 1);
  if (modbus_connect(client) != 0) ++good.failed;
  std::thread good_thread(good_client, client, &good);
  std::thread frame_thread(abuse_with_frames, server.port, frames, &abuse);
  std::thread vanish_thread(vanishing_clients, server.port, vanishing, &vanished);
  frame_thread.join();
  vanish_thread.join();
  g_abuse_done = true;
  good_thread.join();
  modbus_close(client);
  modbus_free(client);
  // Every connection closed on the client side is closed by the server soon after.
  long descriptors_after = open_descriptors(server);
  for (int waited = 0; descriptors_after != descriptors_before && waited < kReplyTimeoutMs; waited += 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    descriptors_after = open_descriptors(server);
  }
  bool alive = kill(server.pid, 0) == 0;
  int status = stop_server(&server);
  std::string log = server_log(server);

  std::printf("frames sent %ld (random bytes %ld, random body %ld, truncated body %ld, cut short %ld, "
              "oversized %ld)\n", abuse.frames, abuse.by_kind[0], abuse.by_kind[1], abuse.by_kind[2],
              abuse.by_kind[3], abuse.by_kind[4]);
  std::printf("answered %ld (exceptions %ld), connections dropped for a bad frame %ld, unanswered %ld, "
              "connects refused %ld\n", abuse.replies + abuse.exceptions, abuse.exceptions, abuse.dropped,
              abuse.silent, abuse.refused_connects);
  std::printf("vanishing clients %ld; good client: %ld writes read back, %ld lost, %ld failed requests\n", vanished,
              good.writes, good.lost, good.failed);
  std::printf("server: alive at the end %s, exit status %d after SIGTERM, %ld descriptors open before and %ld after, "
              "%ld log lines\n", alive ? "yes" : "no", status, descriptors_before, descriptors_after,
              count_in(log, "\n"));
  bool sound = alive && status == 0 && abuse.silent == 0 && good.lost == 0 && good.failed == 0 &&
               good.writes > 0 && descriptors_after == descriptors_before;
  if (sound) unlink(server.log_path.c_str());
  std::printf(sound ? "PASS\n" : "FAIL (the server's log: %s)\n", server.log_path.c_str());
  return sound ? 0 : 1;
}
