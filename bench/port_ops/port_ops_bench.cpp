// The cost of one simulated port operation in two builds of the simulator's
// libioport.so, loaded side by side into one process and timed in turns, so
// that both see the same machine at the same moments:
//   bench_port_ops THIS_LIBIOPORT OTHER_LIBIOPORT [MILLION_OPS]
// Each build works on its own PC (this one on a private file). The ratio
// THIS / OTHER of the medians is printed per operation.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Port {
  unsigned char (*in8)(unsigned short);
  unsigned short (*in16)(unsigned short);
  void (*out8)(unsigned short, unsigned char);
  void (*reset)();
};

bool load(const char *path, Port *port) {
  void *lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    std::fprintf(stderr, "bench_port_ops: %s\n", dlerror());
    return false;
  }
  port->in8 = reinterpret_cast<unsigned char (*)(unsigned short)>(dlsym(lib, "io_in8"));
  port->in16 = reinterpret_cast<unsigned short (*)(unsigned short)>(dlsym(lib, "io_in16"));
  port->out8 = reinterpret_cast<void (*)(unsigned short, unsigned char)>(dlsym(lib, "io_out8"));
  port->reset = reinterpret_cast<void (*)()>(dlsym(lib, "iosim_reset"));
  return port->in8 && port->in16 && port->out8 && port->reset;
}

constexpr unsigned short kBase = 0x2A8;

// Operations as the programs make them: a panel's poll (a word read of the
// inputs), an output write, a counter read (latch, two byte reads: the card
// is brought up to the clock).
struct Op {
  const char *name;
  void (*run)(const Port &, long n);  // n accesses
};

volatile unsigned g_sink;

const Op kOps[] = {
    {"in16 inputs", [](const Port &p, long n) { for (long i = 0; i < n; ++i) g_sink += p.in16(kBase); }},
    {"out8 outputs", [](const Port &p, long n) { for (long i = 0; i < n; ++i) p.out8(kBase, static_cast<unsigned char>(i)); }},
    {"counter read", [](const Port &p, long n) {
       for (long i = 0; i < n; i += 3) {
         p.out8(kBase + 7, 0x00);
         g_sink += p.in8(kBase + 4);
         g_sink += p.in8(kBase + 4);
       }
     }},
};

double ns_per_access(const Port &p, const Op &op, long n) {
  auto began = std::chrono::steady_clock::now();
  op.run(p, n);
  auto took = std::chrono::steady_clock::now() - began;
  return std::chrono::duration<double, std::nano>(took).count() / n;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_port_ops THIS_LIBIOPORT OTHER_LIBIOPORT [MILLION_OPS]\n");
    return 2;
  }
  std::string pc = "/tmp/bench_port_ops." + std::to_string(getpid()) + ".pc";
  setenv("KESTAN_SIM_PC", pc.c_str(), 1);
  Port mine, other;
  if (!load(argv[1], &mine) || !load(argv[2], &other)) return 1;
  mine.reset();
  other.reset();
  const long n = static_cast<long>((argc > 3 ? std::atof(argv[3]) : 2) * 1e6);
  const int kRounds = 7;
  std::printf("%-14s %12s %12s %8s\n", "operation", "this ns", "other ns", "ratio");
  for (const Op &op : kOps) {
    std::vector<double> a, b;
    for (int r = 0; r < kRounds; ++r) {
      a.push_back(ns_per_access(mine, op, n));
      b.push_back(ns_per_access(other, op, n));
    }
    double ma = median(a), mb = median(b);
    std::printf("%-14s %12.1f %12.1f %8.2f\n", op.name, ma, mb, ma / mb);
  }
  unlink(pc.c_str());
  return 0;
}
