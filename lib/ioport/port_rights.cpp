// Port rights per thread over one process-wide table of ranges (Linux).
#include "port_rights.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/io.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "ioport.h"

namespace ioport {

namespace {

constexpr int kMaxRanges = 64;
constexpr unsigned kWindowFirst = 0x200, kWindowEnd = 0x400;  // where ISA cards sit
constexpr unsigned kSlotPorts = 8;

struct Range {
  unsigned base, length;
};

// Appended only (under g_lock); g_count is published after the entry.
Range g_ranges[kMaxRanges];
std::atomic<int> g_count{0};
std::atomic<unsigned> g_epoch{1};
std::mutex g_lock;
std::atomic<const System *> g_system{nullptr};
std::atomic<int> g_verdict{IO_RIGHTS_OK};  // the last refusal, for io_rights
char g_reason[512];
std::once_flag g_told;

// What this thread holds, valid while t_epoch is the process's epoch.
thread_local unsigned t_epoch = 0;
thread_local uint64_t t_granted = 0, t_refused = 0;
thread_local unsigned t_first = 1, t_end = 0;  // the range used last, granted

// --- the real system ---------------------------------------------------------

thread_local sigjmp_buf *t_probe_jump = nullptr;

void on_probe_fault(int, siginfo_t *, void *) {
  if (t_probe_jump) siglongjmp(*t_probe_jump, 1);
}

bool real_probe(unsigned short port) {
  struct sigaction mine {}, old{};
  mine.sa_sigaction = on_probe_fault;
  mine.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&mine.sa_mask);
  if (sigaction(SIGSEGV, &mine, &old) != 0) return false;
  sigjmp_buf jump;
  volatile bool ran = false;
  t_probe_jump = &jump;
  if (sigsetjmp(jump, 1) == 0) {
    unsigned char value;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port) : "memory");
    (void)value;
    ran = true;
  }
  t_probe_jump = nullptr;
  sigaction(SIGSEGV, &old, nullptr);
  return ran;
}

int real_ioperm(unsigned long from, unsigned long num, int on) { return ioperm(from, num, on); }

// /sys/kernel/security/lockdown reads e.g. "none [integrity] confidentiality".
bool real_locked_down() {
  FILE *f = std::fopen("/sys/kernel/security/lockdown", "r");
  if (!f) return false;
  char text[128] = "";
  bool locked = std::fgets(text, sizeof text, f) && !std::strstr(text, "[none]");
  std::fclose(f);
  return locked;
}

const System kReal = {real_ioperm, real_locked_down, real_probe};

const System &sys() {
  const System *s = g_system.load(std::memory_order_acquire);
  return s ? *s : kReal;
}

// --- the table -----------------------------------------------------------------

int find_range(unsigned port, unsigned width) {
  const int n = g_count.load(std::memory_order_acquire);
  for (int i = 0; i < n; ++i)
    if (port >= g_ranges[i].base && port + width <= g_ranges[i].base + g_ranges[i].length) return i;
  return -1;
}

int add_range(unsigned base, unsigned length) {
  std::lock_guard<std::mutex> hold(g_lock);
  int i = find_range(base, length);
  if (i >= 0) return i;
  const int n = g_count.load(std::memory_order_relaxed);
  if (n == kMaxRanges) return -1;
  g_ranges[n] = {base, length};
  g_count.store(n + 1, std::memory_order_release);
  return n;
}

// The range that holds port: a claimed one, else the card slot of the window.
int range_of(unsigned port, unsigned width) {
  int i = find_range(port, width);
  if (i >= 0 || port < kWindowFirst || port + width > kWindowEnd) return i;
  const unsigned slot = port & ~(kSlotPorts - 1);
  if (port + width > slot + kSlotPorts) return -1;
  return add_range(slot, kSlotPorts);
}

// What a refused ioperm means, by its errno, and what to do about it.
struct Refusal {
  int error;  // 0: any other
  bool root;  // EPERM: the process runs as root
  const char *cause;
  const char *remedy;
};
const Refusal kRefusals[] = {
  {ENOSYS, false, "this kernel gives user programs no port access (built without ioperm, or a "
                  "machine or container that refuses it to everyone, root too)",
   "run on a kernel with ioperm (CONFIG_X86_IOPL_IOPERM) on the PC that holds the card"},
  {EPERM, true, "the process runs as root but without CAP_SYS_RAWIO (a container drops it)",
   "give the process CAP_SYS_RAWIO (docker run --cap-add SYS_RAWIO)"},
  {EPERM, false, "the process has neither root nor CAP_SYS_RAWIO",
   "run as root (sudo), or give the program CAP_SYS_RAWIO (sudo setcap cap_sys_rawio+ep PROGRAM)"},
  {0, false, "the kernel refused the ports", "check that the ports exist on this machine"},
};

const Refusal &refusal_for(int error) {
  const bool root = geteuid() == 0;
  for (const Refusal &r : kRefusals)
    if (r.error == 0 || (r.error == error && (r.error != EPERM || r.root == root))) return r;
  return kRefusals[0];
}
const char *refusal_cause(int error) { return refusal_for(error).cause; }
const char *refusal_remedy(int error) { return refusal_for(error).remedy; }

// Records the refusal; says it on stderr (once) when a port access met it,
// not when a caller only asked (io_rights), who says it its own way.
void tell_refused(int verdict, const Range &r, int error, bool say) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (verdict == IO_RIGHTS_LOCKDOWN)
    std::snprintf(g_reason, sizeof g_reason,
                  "ioport: this process may not access I/O ports %03X-%03X: the kernel is locked "
                  "down (/sys/kernel/security/lockdown), which forbids port access from user space "
                  "even to root. Remedy: boot without lockdown (Secure Boot may impose it), or use "
                  "the simulated PC (KESTAN_IOPORT=simulator).",
                  r.base, r.base + r.length - 1);
  else
    std::snprintf(g_reason, sizeof g_reason,
                  "ioport: this process may not access I/O ports %03X-%03X (ioperm: %s): %s. Remedy: %s, or "
                  "use the simulated PC (KESTAN_IOPORT=simulator).",
                  r.base, r.base + r.length - 1, std::strerror(error), refusal_cause(error),
                  refusal_remedy(error));
  g_verdict.store(verdict);
  if (!say) return;
  std::call_once(g_told, [] {
    std::fprintf(stderr, "%s\nioport: reads of those ports give FFH and writes are dropped.\n", g_reason);
    std::fflush(stderr);
  });
}

// This thread makes range i its own: asks for it, or finds it held.
int take(int i, bool say) {
  const Range r = g_ranges[i];
  if (sys().ioperm(r.base, r.length, 1) == 0) return IO_RIGHTS_OK;
  const int error = errno;
  if (sys().probe(static_cast<unsigned short>(r.base))) return IO_RIGHTS_OK;
  const int verdict = sys().locked_down() ? IO_RIGHTS_LOCKDOWN : IO_RIGHTS_REFUSED;
  tell_refused(verdict, r, error, say);
  return verdict;
}

int thread_range(int i, bool say) {
  const uint64_t bit = uint64_t{1} << i;
  if (t_granted & bit) return IO_RIGHTS_OK;
  if (t_refused & bit) return g_verdict.load();
  const int verdict = take(i, say);
  (verdict == IO_RIGHTS_OK ? t_granted : t_refused) |= bit;
  return verdict;
}

}  // namespace

const System &real_system() { return kReal; }

void use_system(const System *system) { g_system.store(system, std::memory_order_release); }

namespace {

int thread_rights(unsigned short port, unsigned width, bool say) {
  const unsigned epoch = g_epoch.load(std::memory_order_acquire);
  if (t_epoch != epoch) {
    t_epoch = epoch;
    t_granted = t_refused = 0;
    t_first = 1;
    t_end = 0;
  }
  if (port >= t_first && port + width <= t_end) return IO_RIGHTS_OK;
  const int i = range_of(port, width);
  if (i < 0) return IO_RIGHTS_OUTSIDE;
  const int verdict = thread_range(i, say);
  if (verdict == IO_RIGHTS_OK) {
    t_first = g_ranges[i].base;
    t_end = g_ranges[i].base + g_ranges[i].length;
  }
  return verdict;
}

}  // namespace

int thread_may_access(unsigned short port, unsigned width) { return thread_rights(port, width, true); }

int rights_for(unsigned short base, unsigned short length, char *reason, size_t size) {
  int i = find_range(base, length);
  if (i < 0 && base >= kWindowFirst && base + length <= kWindowEnd) i = add_range(base, length);
  int verdict = IO_RIGHTS_OUTSIDE;
  if (i >= 0) verdict = thread_rights(base, length, false);
  if (reason && size) {
    if (verdict == IO_RIGHTS_OK) {
      reason[0] = '\0';
    } else if (verdict == IO_RIGHTS_OUTSIDE) {
      std::snprintf(reason, size,
                    "ioport: ports %03X-%03X are neither claimed by a card library nor in the card "
                    "window 200H-3FFH",
                    base, base + length - 1);
    } else {
      std::lock_guard<std::mutex> hold(g_lock);
      std::snprintf(reason, size, "%s", g_reason);
    }
  }
  return verdict;
}

void add_claimed_range(unsigned short base, unsigned short length) { add_range(base, length); }

void reset_rights() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_count.store(0);
  g_verdict.store(IO_RIGHTS_OK);
  g_reason[0] = '\0';
  g_epoch.fetch_add(1);
}

}  // namespace ioport
