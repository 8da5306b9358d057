// The hardware build of ioport in a process without port rights. The check
// runs in a child that gives up root first, so ioperm is refused on every
// machine and no real port is ever touched.
#include <gtest/gtest.h>

#include <string>

#include "ioport.h"
#include "without_port_rights.h"

namespace {

int read_and_write_a_card() {
  int wrong = 0;
  if (io_in8(0x2A8) != 0xFF) wrong |= 1;
  io_out8(0x2A8, 0x55);
  if (io_in16(0x2AA) != 0xFFFF) wrong |= 2;
  io_out16(0x2AA, 0x1234);
  if (io_in8(0x3FF) != 0xFF) wrong |= 4;
  if (io_in8(0x400) != 0xFF) wrong |= 8;  // beyond the granted range
  return wrong;
}

size_t count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(HardwareIoport, WithoutPortRightsReadsFloatHighAndItSaysSoOnceWithTheRemedy) {
  ChildResult r = run_without_port_rights(read_and_write_a_card);
  EXPECT_EQ(0, r.exit_code) << r.said;
  EXPECT_EQ(1u, count(r.said, "may not access I/O ports")) << r.said;
  EXPECT_NE(std::string::npos, r.said.find("ioperm: ")) << r.said;
  // The remedy follows the kernel's answer: no root, or no port access at all.
  EXPECT_TRUE(r.said.find("CAP_SYS_RAWIO") != std::string::npos ||
              r.said.find("no port access") != std::string::npos) << r.said;
  EXPECT_NE(std::string::npos, r.said.find("KESTAN_IOPORT=simulator")) << r.said;
}

int attach_an_interrupt() {
  struct H { static void on_irq(void *) {} };
  if (io_irq_attach(5, H::on_irq, nullptr) != IO_IRQ_UNAVAILABLE) return 1;
  if (io_irq_attach(-1, H::on_irq, nullptr) != IO_IRQ_INVALID) return 2;
  if (io_irq_detach(5) != IO_IRQ_NOT_ATTACHED) return 3;
  return 0;
}

TEST(HardwareIoport, InterruptsAreReportedUnavailableToUserMode) {
  ChildResult r = run_without_port_rights(attach_an_interrupt);
  EXPECT_EQ(0, r.exit_code) << r.said;
  EXPECT_NE(std::string::npos, r.said.find("cannot reach a user-mode program")) << r.said;
}

}  // namespace
