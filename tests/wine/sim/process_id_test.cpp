// Under Wine a Win32 process is a Linux process, and the simulated PC
// records it by its Linux id (the kernel's getpid, reached from 32-bit and
// from 64-bit code by a system call of its own), which native programs
// sharing the PC can see alive: a claim of this program names the Linux
// process that runs it, not Wine's own number for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "ioport.h"
#include "iosim.h"

TEST(ProcessUnderWine, AClaimNamesTheLinuxProcessThatRunsThisProgram) {
  ASSERT_EQ(IO_CLAIM_OK, io_claim(0x300, 16, "orvel"));
  iosim_claim_info claims[8];
  int count = iosim_claims(claims, 8);
  unsigned process = 0;
  for (int i = 0; i < count; ++i)
    if (claims[i].base == 0x300) process = claims[i].process;
  io_release(0x300);
  ASSERT_NE(0u, process);
  EXPECT_NE(static_cast<unsigned>(GetCurrentProcessId()), process) << "Wine's number, not Linux's";

  char path[64], line[512] = "";
  std::snprintf(path, sizeof path, "Z:\\proc\\%u\\cmdline", process);
  FILE *f = std::fopen(path, "rb");
  ASSERT_NE(nullptr, f) << "no Linux process " << process;
  size_t got = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  for (size_t i = 0; i < got; ++i) line[i] = line[i] ? static_cast<char>(std::tolower(line[i])) : ' ';
  EXPECT_NE(nullptr, std::strstr(line, "wine_sim_process_id")) << "process " << process << ": " << line;
}
