// Main of every host test program. A program that ctest starts with no
// simulated PC named (KESTAN_SIM_PC), such as each case of a program whose
// cases run one by one in parallel, gets a PC of its own in the build's
// folder of test PCs, removed when it ends; the processes it starts share it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

std::string g_pc_file;

void remove_pc_file() { unlink(g_pc_file.c_str()); }

void use_own_pc(const char *program) {
  if (std::getenv("KESTAN_SIM_PC")) return;
  std::string name = program;
  name = name.substr(name.find_last_of('/') + 1);
  g_pc_file = std::string(KIT_PC_DIR) + "/" + name + "." + std::to_string(getpid()) + ".pc";
  setenv("KESTAN_SIM_PC", g_pc_file.c_str(), 1);
  std::atexit(remove_pc_file);
}

}  // namespace

int main(int argc, char **argv) {
  use_own_pc(argv[0]);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
