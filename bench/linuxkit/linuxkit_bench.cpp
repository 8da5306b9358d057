// The native kit's costs on the simulated PC, in one run:
//   run      one kestan-io run ("read 5", a new process each time), start to exit
//   c-read   kit_card_read_line, the C call under kestan.Card.read
//   c-write  kit_card_write_line, the C call under kestan.Card.write
// Prints "NAME median_us" lines; bench/linuxkit/run.sh sets them against the
// Python calls.
//   bench_linuxkit [RUNS [CALLS]]   (defaults 200 and 200000)
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "card_api.h"

extern char **environ;

namespace {

double now_us() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double tool_run_us(int runs) {
  char *argv[] = {const_cast<char *>(KESTAN_IO_PATH), const_cast<char *>("--simulator"),
                  const_cast<char *>("--base=0x2A8"), const_cast<char *>("read"), const_cast<char *>("5"),
                  nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", 0, 0);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = now_us();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) < 0 ||
        status != 0) {
      std::fprintf(stderr, "bench_linuxkit: kestan-io failed\n");
      std::exit(1);
    }
    times.push_back(now_us() - start);
  }
  posix_spawn_file_actions_destroy(&quiet);
  return median(times);
}

// Median over 20 rounds of calls/20 calls each, in microseconds per call.
template <class Call>
double per_call_us(int calls, Call call) {
  std::vector<double> rounds;
  const int per_round = calls / 20;
  for (int r = 0; r < 20; ++r) {
    const double start = now_us();
    for (int i = 0; i < per_round; ++i) call(i);
    rounds.push_back((now_us() - start) / per_round);
  }
  return median(rounds);
}

}  // namespace

int main(int argc, char **argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  const int calls = argc > 2 ? std::atoi(argv[2]) : 200000;
  setenv("KESTAN_IOPORT", "simulator", 1);
  kit_card *card = nullptr;
  if (kit_card_open("kestan", 0, 0x2A8, 0, &card) != 0) {
    std::fprintf(stderr, "bench_linuxkit: no card at 2A8H\n");
    return 1;
  }
  int value = 0;
  std::printf("run %.1f\n", tool_run_us(runs));
  std::printf("c-read %.3f\n", per_call_us(calls, [&](int) { kit_card_read_line(card, 5, &value); }));
  std::printf("c-write %.3f\n", per_call_us(calls / 10, [&](int i) { kit_card_write_line(card, 5, i & 1); }));
  kit_card_close(card);
  return 0;
}
