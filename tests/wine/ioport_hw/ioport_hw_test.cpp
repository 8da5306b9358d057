#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "ioport.h"

namespace {

// Standard error of this process, captured into a file for the duration.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = _dup(2);
    std::tmpnam(path_);
    FILE *f = std::fopen(path_, "w");
    _dup2(_fileno(f), 2);
    std::fclose(f);
  }
  std::string finish() {
    std::fflush(stderr);
    _dup2(saved_, 2);
    _close(saved_);
    std::string text;
    if (FILE *f = std::fopen(path_, "r")) {
      char buf[512];
      size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    std::remove(path_);
    return text;
  }

 private:
  int saved_;
  char path_[L_tmpnam + 16];
};

size_t count(const std::string &text, const std::string &what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(HardwareIoport, WithoutPortRightsReadsFloatHighWritesVanishAndItSaysSoOnce) {
  StderrCapture capture;
  EXPECT_EQ(0xFF, io_in8(0x2A8));
  io_out8(0x2A8, 0x12);
  EXPECT_EQ(0xFFFF, io_in16(0x2AA));
  io_out16(0x2AA, 0x3456);
  EXPECT_EQ(0xFF, io_in8(0x300));
  std::string said = capture.finish();
  EXPECT_EQ(1u, count(said, "may not access I/O ports")) << said;
  EXPECT_NE(std::string::npos, said.find("privileged-instruction")) << said;
  EXPECT_NE(std::string::npos, said.find("simulator")) << said;
}

TEST(HardwareIoport, InterruptsCannotReachUserMode) {
  struct H { static void __stdcall on_irq(void *) {} };
  EXPECT_EQ(IO_IRQ_UNAVAILABLE, io_irq_attach(5, H::on_irq, nullptr));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_attach(16, H::on_irq, nullptr));
  EXPECT_EQ(IO_IRQ_INVALID, io_irq_attach(5, nullptr, nullptr));
  EXPECT_EQ(IO_IRQ_NOT_ATTACHED, io_irq_detach(5));
}

TEST(HardwareIoport, ClaimsRefuseOverlapOfAnotherBase) {
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x300, 16, "dulvar"));
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x300, 16, "dulvar"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x308, 8, "kestan"));
  EXPECT_EQ(IO_CLAIM_OVERLAP, io_claim(0x2FC, 5, "fenmar"));
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x2FC, 4, "fenmar"));
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x310, 8, "kestan"));
  io_release(0x300);
  EXPECT_EQ(IO_CLAIM_OK, io_claim(0x308, 8, "orvel"));
  EXPECT_EQ(IO_CLAIM_INVALID, io_claim(0xFFFF, 2, "orvel"));
  EXPECT_EQ(IO_CLAIM_INVALID, io_claim(0x200, 0, "orvel"));
}

}  // namespace
