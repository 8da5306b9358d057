// The hardware build's port rights over system calls made here: which ranges
// are asked for, by which thread, and what a refusal says. No port is touched.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ioport.h"
#include "port_rights.h"

namespace {

struct Asked {
  long thread;
  unsigned long from, num;
};

std::mutex g_lock;
std::vector<Asked> g_asked;
int g_ioperm_error = 0;  // 0: granted
bool g_held = false, g_locked = false;

int fake_ioperm(unsigned long from, unsigned long num, int) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_asked.push_back({syscall(SYS_gettid), from, num});
  if (g_ioperm_error == 0) return 0;
  errno = g_ioperm_error;
  return -1;
}
bool fake_locked_down() { return g_locked; }
bool fake_probe(unsigned short) { return g_held; }
const ioport::System kFake = {fake_ioperm, fake_locked_down, fake_probe};

int io_rights_check(unsigned short base, unsigned short length, char (&reason)[512]) {
  return ioport::rights_for(base, length, reason, sizeof reason);
}

struct PortRights : ::testing::Test {
  void SetUp() override {
    ioport::use_system(&kFake);
    ioport::reset_rights();
    g_asked.clear();
    g_ioperm_error = 0;
    g_held = g_locked = false;
  }
  void TearDown() override { ioport::use_system(nullptr); }
};

TEST_F(PortRights, EveryThreadTakesTheRightsItselfEvenOneStartedBeforeTheFirstAccess) {
  std::mutex start;
  start.lock();
  int early_result = -1;
  std::thread early([&] {
    std::lock_guard<std::mutex> wait(start);
    early_result = ioport::thread_may_access(0x2A8, 1);
    ioport::thread_may_access(0x2AA, 2);
  });
  EXPECT_EQ(IO_RIGHTS_OK, ioport::thread_may_access(0x2A8, 1));
  EXPECT_EQ(IO_RIGHTS_OK, ioport::thread_may_access(0x2AF, 1));
  start.unlock();
  early.join();
  EXPECT_EQ(IO_RIGHTS_OK, early_result);
  ASSERT_EQ(2u, g_asked.size()) << "once per thread and range";
  EXPECT_NE(g_asked[0].thread, g_asked[1].thread);
  for (const Asked &a : g_asked) {
    EXPECT_EQ(0x2A8u, a.from);
    EXPECT_EQ(8u, a.num);
  }
}

TEST_F(PortRights, OnlyClaimedRangesAndCardSlotsAreAskedFor) {
  ioport::add_claimed_range(0x300, 24);
  EXPECT_EQ(IO_RIGHTS_OK, ioport::thread_may_access(0x310, 1));
  EXPECT_EQ(IO_RIGHTS_OK, ioport::thread_may_access(0x3FE, 2));
  EXPECT_EQ(IO_RIGHTS_OUTSIDE, ioport::thread_may_access(0x20, 1)) << "interrupt controller";
  EXPECT_EQ(IO_RIGHTS_OUTSIDE, ioport::thread_may_access(0x400, 1));
  EXPECT_EQ(IO_RIGHTS_OUTSIDE, ioport::thread_may_access(0x2AF, 2)) << "straddles two slots";
  ASSERT_EQ(2u, g_asked.size());
  EXPECT_EQ(0x300u, g_asked[0].from);
  EXPECT_EQ(24u, g_asked[0].num);
  EXPECT_EQ(0x3F8u, g_asked[1].from);
  EXPECT_EQ(8u, g_asked[1].num);
}

TEST_F(PortRights, RightsAlreadyHeldAreUsedWhenAskingIsRefused) {
  g_ioperm_error = EPERM;
  g_held = true;  // given by the parent, or granted before root was given up
  char reason[512] = "x";
  EXPECT_EQ(IO_RIGHTS_OK, io_rights_check(0x2A8, 8, reason));
  EXPECT_STREQ("", reason);
  EXPECT_EQ(IO_RIGHTS_OK, ioport::thread_may_access(0x2A9, 1));
  EXPECT_EQ(1u, g_asked.size());
}

TEST_F(PortRights, RefusalsNameTheCauseAndTheRemedy) {
  struct Case {
    int error;
    bool locked;
    int verdict;
    const char *says;
  };
  for (const Case &c : {Case{EPERM, false, IO_RIGHTS_REFUSED, "CAP_SYS_RAWIO"},
                        Case{EPERM, true, IO_RIGHTS_LOCKDOWN, "the kernel is locked down"},
                        Case{ENOSYS, false, IO_RIGHTS_REFUSED, "this kernel gives user programs no port access"}}) {
    SetUp();
    g_ioperm_error = c.error;
    g_locked = c.locked;
    char reason[512] = "";
    EXPECT_EQ(c.verdict, io_rights_check(0x2A8, 8, reason));
    EXPECT_NE(nullptr, std::strstr(reason, c.says)) << reason;
    EXPECT_NE(nullptr, std::strstr(reason, "KESTAN_IOPORT=simulator")) << reason;
    if (c.error == ENOSYS) {
      EXPECT_EQ(nullptr, std::strstr(reason, "run as root")) << "root would not help";
    }
    EXPECT_EQ(c.verdict, ioport::thread_may_access(0x2AC, 1)) << "refused for the rest of the run";
    EXPECT_EQ(1u, g_asked.size());
  }
}

}  // namespace
