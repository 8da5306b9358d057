// Single-coil reads over loopback from a real Modbus client (libmodbus)
// against kestan-io serve on the simulated PC: the rate and latency one
// client gets, and what eight clients at once get together. Figures and
// ratios from this one run; the verdicts compare them with the targets.
#include <modbus.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "server_process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetRate = 10000.0;   // reads per second, one client
constexpr double kTargetP99Ms = 2.0;
constexpr double kTargetKept = 0.95;      // what eight clients at once keep
constexpr int kManyClients = 8;

struct Phase {
  long reads = 0;
  long failures = 0;
  double seconds = 0;
  std::vector<double> latencies_ms;
};

// One client reading coil 0 until the end time; latency of every read.
void read_coils(int port, Clock::time_point end, Phase *phase) {
  modbus_t *client = modbus_new_tcp("127.0.0.1", port);
  if (!client || modbus_connect(client) != 0) {
    std::fprintf(stderr, "bench: cannot connect: %s\n", modbus_strerror(errno));
    ++phase->failures;
    if (client) modbus_free(client);
    return;
  }
  modbus_set_slave(client, 1);
  phase->latencies_ms.reserve(200000);
  uint8_t bit = 0;
  for (Clock::time_point now = Clock::now(); now < end;) {
    int got = modbus_read_bits(client, 0, 1, &bit);
    Clock::time_point after = Clock::now();
    if (got == 1) {
      ++phase->reads;
      phase->latencies_ms.push_back(std::chrono::duration<double, std::milli>(after - now).count());
    } else {
      ++phase->failures;
    }
    now = after;
  }
  modbus_close(client);
  modbus_free(client);
}

// clients at once for seconds; the per-client phases merged into one.
Phase run_phase(int port, int clients, double seconds) {
  std::vector<Phase> each(static_cast<size_t>(clients));
  std::vector<std::thread> threads;
  Clock::time_point start = Clock::now();
  Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  for (Phase &phase : each) threads.emplace_back(read_coils, port, end, &phase);
  for (std::thread &t : threads) t.join();
  Phase all;
  all.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  for (Phase &phase : each) {
    all.reads += phase.reads;
    all.failures += phase.failures;
    all.latencies_ms.insert(all.latencies_ms.end(), phase.latencies_ms.begin(), phase.latencies_ms.end());
  }
  std::sort(all.latencies_ms.begin(), all.latencies_ms.end());
  return all;
}

double percentile(const Phase &phase, double p) {
  if (phase.latencies_ms.empty()) return 0;
  size_t at = static_cast<size_t>(p * static_cast<double>(phase.latencies_ms.size() - 1));
  return phase.latencies_ms[at];
}

void print_phase(const char *name, const Phase &phase, int clients) {
  double rate = phase.reads / phase.seconds;
  std::printf("%-10s %8ld reads in %.2f s: %8.0f reads/s (%.0f per client), latency p50 %.3f ms, p99 %.3f ms, "
              "max %.3f ms, %ld failed\n",
              name, phase.reads, phase.seconds, rate, rate / clients, percentile(phase, 0.50),
              percentile(phase, 0.99), phase.latencies_ms.empty() ? 0.0 : phase.latencies_ms.back(),
              phase.failures);
}

const char *verdict(bool met) { return met ? "met" : "NOT met"; }

}  // namespace

// bench_modbus [SECONDS [PORT]]: with PORT, the server already listening
// there (bench/http runs it with pages open) instead of one of its own.
int main(int argc, char **argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  if (seconds <= 0) seconds = 3.0;
  const int given_port = argc > 2 ? std::atoi(argv[2]) : 0;
  ServerProcess server;
  std::string why;
  if (given_port > 0) {
    server.port = given_port;
  } else if (!start_server(KESTAN_IO_PATH, {"--simulator", "--kind", "kestan", "--base", "0x2A8", "serve", "--modbus", "0"},
                           &server, &why)) {
    std::fprintf(stderr, "bench: %s\n", why.c_str());
    return 1;
  }
  std::printf("kestan-io serve on the simulated PC (Kestan card at 2A8H), port %d; single-coil reads "
              "(function 1, coil 0), %.1f s per phase\n", server.port, seconds);
  Phase one = run_phase(server.port, 1, seconds);
  Phase many = run_phase(server.port, kManyClients, seconds);
  int status = given_port > 0 ? 0 : stop_server(&server);
  print_phase("1 client", one, 1);
  print_phase("8 clients", many, kManyClients);
  double one_rate = one.reads / one.seconds, many_rate = many.reads / many.seconds;
  double kept = many_rate / one_rate;
  std::printf("one client: %.0f reads/s against %.0f: %s; p99 %.3f ms against %.1f ms: %s\n", one_rate, kTargetRate,
              verdict(one_rate >= kTargetRate), percentile(one, 0.99), kTargetP99Ms,
              verdict(percentile(one, 0.99) <= kTargetP99Ms));
  double each = many_rate / kManyClients;
  std::printf("eight clients at once: each %.0f reads/s against %.0f (%.0f %% of the target): %s; p99 %.3f ms: %s\n",
              each, kTargetKept * kTargetRate, 100 * kTargetKept, verdict(each >= kTargetKept * kTargetRate),
              percentile(many, 0.99), verdict(percentile(many, 0.99) <= kTargetP99Ms));
  std::printf("eight clients together: %.2f of one client's rate against %.2f: %s\n", kept, kTargetKept,
              verdict(kept >= kTargetKept));
  std::printf("server exit status after SIGTERM: %d\n", status);
  return one.failures + many.failures == 0 && status == 0 ? 0 : 1;
}
