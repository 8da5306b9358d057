// One simulated PC shared by several processes: writes of two processes
// hammering one card, a process killed in the middle of its work, a lock
// word naming a process that is not its holder, a holder that stops, and
// an interrupt raised by one process served by the one that attached it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <cstring>
#include <string>
#include <thread>

#include "iosim.h"

namespace {

const unsigned short kBase = 0x2A8;

// Runs fn in a child process on the same PC; its return value is the exit code.
pid_t spawn(const std::function<int()> &fn) {
  pid_t pid = fork();
  if (pid == 0) _exit(fn());
  return pid;
}

int exit_code(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class SharedPc : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, iosim_load_rack("kestan@2A8")); }
  void TearDown() override { iosim_reset(); }
};

// Each process owns one output byte and checks, after every write, that its
// byte reads back through the cable as written; a word read sees both bytes
// whole. The journal counts every access of both: none is lost.
int hammer(unsigned short own, long ops) {
  long wrong = 0;
  for (long i = 0; i < ops; i += 2) {
    unsigned char v = static_cast<unsigned char>(i * 7 + own);
    io_out8(own, v);
    if (i % 16 == 0) {
      unsigned word = io_in16(kBase);
      wrong += ((own == kBase ? word : word >> 8) & 0xFF) != v;
    } else {
      wrong += io_in8(own) != v;
    }
  }
  return wrong ? 1 : 0;
}

TEST_F(SharedPc, TwoProcessesHammeringOneCardLoseNothing) {
  const long kOps = 1000000;
  iosim_journal_clear();
  pid_t a = spawn([&] { return hammer(kBase, kOps); });
  pid_t b = spawn([&] { return hammer(kBase + 1, kOps); });
  EXPECT_EQ(0, exit_code(a)) << "process A read back another value than it wrote";
  EXPECT_EQ(0, exit_code(b)) << "process B read back another value than it wrote";
  EXPECT_EQ(static_cast<unsigned long>(2 * kOps), iosim_journal_total());
  unsigned outputs = 0;
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(kBase, 0, &outputs));
  // The last value each wrote: i = kOps - 2.
  EXPECT_EQ(static_cast<unsigned char>((kOps - 2) * 7 + kBase), outputs & 0xFF);
  EXPECT_EQ(static_cast<unsigned char>((kOps - 2) * 7 + kBase + 1), (outputs >> 8) & 0xFF);
}

TEST_F(SharedPc, AProcessKilledInTheMiddleLeavesThePcUsable) {
  iosim_journal_enable(1);
  for (int round = 0; round < 5; ++round) {
    // Reading the whole journal holds the PC's lock for a long stretch:
    // the kill most likely lands while the child holds it.
    pid_t child = spawn([] {
      static iosim_access all[IOSIM_JOURNAL_CAPACITY];
      for (;;) {
        io_out8(kBase + 2, 0x11);
        iosim_journal_read(all, IOSIM_JOURNAL_CAPACITY);
      }
      return 0;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + 7 * round));
    kill(child, SIGKILL);
    EXPECT_EQ(128 + SIGKILL, exit_code(child));
    auto began = std::chrono::steady_clock::now();
    io_out8(kBase + 3, static_cast<unsigned char>(round));
    EXPECT_EQ(round, io_in8(kBase + 3));
    EXPECT_EQ(0x11, io_in8(kBase + 2));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(1));
  }
}

// The PC's lock word (PcHeader::lock, after magic, version, size and the
// retired mark): the holder's id in its low half, its start stamp above.
constexpr off_t kLockWord = 16;

std::string pc_path() {
  char path[512];
  iosim_pc_file(path, sizeof path);
  return path;
}

// A word of the PC's header as the file at the path holds it.
uint64_t header_word(off_t at) {
  uint64_t word = 0;
  int fd = open(pc_path().c_str(), O_RDONLY);
  if (pread(fd, &word, sizeof word, at) != sizeof word) word = ~0ull;
  close(fd);
  return word;
}

uint64_t lock_word() { return header_word(kLockWord); }
// The number the PC at the path was made with (PcHeader::born).
uint64_t pc_at_path() { return header_word(kLockWord + 8); }

void set_lock_word(uint64_t word) {
  int fd = open(pc_path().c_str(), O_RDWR);
  EXPECT_EQ(static_cast<ssize_t>(sizeof word), pwrite(fd, &word, sizeof word, kLockWord));
  close(fd);
}

double seconds_since(std::chrono::steady_clock::time_point began) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// A word naming a running process that did not take the lock blocks nobody.
TEST_F(SharedPc, ALockWordOfAnotherProcessOrBootBlocksNobody) {
  const struct {
    const char *what;
    uint64_t word;
  } kHolders[] = {
    {"PID 1", (0x5eedull << 32) | 1},
    {"a live process's reused id", (0x5eedull << 32) | static_cast<uint32_t>(getppid())},
    {"an id from an earlier boot or another namespace", (1ull << 32) | static_cast<uint32_t>(getpid())},
  };
  for (const auto &h : kHolders) {
    set_lock_word(h.word);
    auto began = std::chrono::steady_clock::now();
    io_out8(kBase, 0x3C);
    EXPECT_EQ(0x3C, io_in8(kBase)) << h.what;
    EXPECT_LT(seconds_since(began), 0.5) << h.what;
    EXPECT_EQ(0u, lock_word()) << h.what << ": taken over and let go";
  }
}

// A holder that runs but does not let go (stopped): the others wait at most
// two seconds, then end with a line that names it.
TEST_F(SharedPc, AStoppedHolderEndsTheWaitAfterTwoSeconds) {
  pid_t holder = spawn([] {
    for (;;) io_out8(kBase + 1, 0x11);
    return 0;
  });
  bool caught = false;
  for (int i = 0; i < 5000 && !caught; ++i) {
    kill(holder, SIGSTOP);
    usleep(200);
    caught = static_cast<uint32_t>(lock_word()) == static_cast<uint32_t>(holder);
    if (!caught) kill(holder, SIGCONT);
  }
  ASSERT_TRUE(caught) << "the holder was never stopped holding the lock";
  int err[2];
  ASSERT_EQ(0, pipe(err));
  auto began = std::chrono::steady_clock::now();
  pid_t waiter = spawn([&] {
    dup2(err[1], 2);
    io_in8(kBase);
    return 0;
  });
  close(err[1]);
  int status = exit_code(waiter);
  double waited = seconds_since(began);
  char said[512] = "";
  ssize_t n = read(err[0], said, sizeof said - 1);
  said[n > 0 ? n : 0] = '\0';
  close(err[0]);
  kill(holder, SIGKILL);
  exit_code(holder);
  EXPECT_EQ(75, status) << said;
  EXPECT_GE(waited, 1.9);
  EXPECT_LT(waited, 3.0);
  EXPECT_NE(nullptr, std::strstr(said, ("process " + std::to_string(holder)).c_str())) << said;
  io_out8(kBase, 0x5A);  // the killed holder is taken over at once
  EXPECT_EQ(0x5A, io_in8(kBase));
}

// A process that finds the PC's file removed makes the next one; every
// process then works on that one, with the claims it holds.
TEST_F(SharedPc, APcFileRemovedUnderRunningProcessesIsOneNewPcForAll) {
  const useconds_t kNoticed = 60000;  // a process asks after its PC's file every 50 ms
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 4, "fenmar"));
  io_out8(kBase, 0x0C);
  const uint64_t old_pc = iosim_pc_id();
  pid_t other = spawn([&] {
    unlink(pc_path().c_str());
    usleep(kNoticed);
    io_out8(kBase, 0x30);  // on the fresh PC it makes
    return io_in8(kBase) == 0x30 && iosim_pc_id() != old_pc && iosim_pc_id() == pc_at_path() ? 0 : 1;
  });
  EXPECT_EQ(0, exit_code(other)) << "the other process made a PC at the path and works on it";
  usleep(kNoticed);
  EXPECT_EQ(0x30, io_in8(kBase));
  EXPECT_EQ(pc_at_path(), iosim_pc_id()) << "this process moved to the PC now at the path";
  iosim_claim_info claims[4];
  ASSERT_EQ(1, iosim_claims(claims, 4)) << "its claim came along";
  EXPECT_EQ(0x300, claims[0].base);
  char kind[16] = "";
  EXPECT_EQ(0x300, iosim_card_at(0x300, kind, sizeof kind)) << "with the card it plugged";
  io_release(0x300);
  ASSERT_EQ(0, iosim_load_rack("kestan@2A8"));
}

// Claims carry their process: another process may claim the same card, not
// another kind over it, and a claim ends with its process.
TEST_F(SharedPc, ClaimsAreHeldByTheirProcessWhileItRuns) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 4, "fenmar"));
  pid_t other = spawn([] {
    iosim_claim_info claims[8];
    if (iosim_claims(claims, 8) != 1 || claims[0].process != static_cast<unsigned>(getppid())) return 1;
    if (io_claim(0x300, 4, "fenmar") != IO_CLAIM_OK) return 2;
    if (io_claim(0x302, 2, "pellin") != IO_CLAIM_OVERLAP) return 3;
    return io_claim(0x310, 2, "pellin") == IO_CLAIM_OK ? 0 : 4;
  });
  EXPECT_EQ(0, exit_code(other));
  iosim_claim_info claims[8];
  ASSERT_EQ(1, iosim_claims(claims, 8)) << "the ended process's claims are gone";
  EXPECT_EQ(static_cast<unsigned>(getpid()), claims[0].process);
  EXPECT_EQ(0x300, claims[0].base);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x310, 2, "pellin")) << "the range it held is free";
  io_release(0x300);
  io_release(0x310);
}

std::atomic<int> g_requests{0};
void IOPORT_API count_request(void *) { ++g_requests; }

TEST_F(SharedPc, AnEdgeRaisedByAnotherProcessReachesTheHandlersProcess) {
  // The Fenmar card requests its interrupt on a rising edge of Port C line 0.
  const unsigned short kFenmar = 0x300;
  const int kLevel = 5, kEdges = 20;
  ASSERT_EQ(IOSIM_OK, iosim_plug("fenmar", kFenmar));
  ASSERT_EQ(IOSIM_OK, iosim_set_card_irq(kFenmar, kLevel));
  g_requests = 0;
  ASSERT_EQ(IO_IRQ_OK, io_irq_attach(kLevel, count_request, nullptr));
  pid_t other = spawn([&] {
    if (io_irq_attach(kLevel, count_request, nullptr) != IO_IRQ_BUSY) return 2;  // the level is taken
    for (int i = 0; i < kEdges; ++i) {
      iosim_drive_inputs(kFenmar, 2, 1, 0);
      iosim_drive_inputs(kFenmar, 2, 1, 1);
    }
    return g_requests == 0 ? 0 : 1;  // none served here
  });
  EXPECT_EQ(0, exit_code(other));
  for (int i = 0; i < 200 && g_requests < kEdges; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(kEdges, g_requests.load());
  io_irq_detach(kLevel);
}

}  // namespace
