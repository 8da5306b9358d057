// kestan-io as a person runs it: a new process per run, on the simulated PC
// (Kestan card at 2A8H, test cable in: input n follows output n). The runs
// of one case share one PC, as a person's runs do; every case starts on a
// fresh one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

struct ToolRun {
  int exit_code;
  std::string out, err;
};

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs kestan-io with args; extra_env entries ("NAME=value") are added to the
// environment; drop_root makes the child give up root before it starts.
ToolRun run_tool(const std::vector<std::string> &args, const std::vector<std::string> &extra_env = {},
             bool drop_root = false) {
  char out_path[] = "/tmp/kestan_io_out_XXXXXX";
  char err_path[] = "/tmp/kestan_io_err_XXXXXX";
  int out_fd = mkstemp(out_path), err_fd = mkstemp(err_path);
  std::vector<std::string> env_text(extra_env);
  for (char **e = environ; *e; ++e) env_text.push_back(*e);
  std::vector<char *> argv{const_cast<char *>(KESTAN_IO_PATH)}, envp;
  for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string &e : env_text) envp.push_back(&e[0]);
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    if (drop_root && getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    execve(argv[0], argv.data(), envp.data());
    _exit(98);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(out_fd);
  close(err_fd);
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(out_path),
          slurp(err_path)};
  unlink(out_path);
  unlink(err_path);
  return run;
}

std::vector<std::string> on_simulator(std::vector<std::string> commands) {
  std::vector<std::string> args{"--simulator", "--base", "0x2A8"};
  args.insert(args.end(), commands.begin(), commands.end());
  return args;
}

bool has(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

struct KestanIo : ::testing::Test {
  void SetUp() override {
    if (const char *pc = std::getenv("KESTAN_SIM_PC")) unlink(pc);
  }
};

TEST_F(KestanIo, OutputsWrittenInOneRunShowOnTheInputsThroughTheCable) {
  ToolRun run = run_tool(on_simulator({"write", "5", "1", "write", "31", "1", "read", "readback"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_EQ("", run.err);
  const char *expected =
    "output 5 set to 1\n"
    "output 31 set to 1\n"
    "inputs   0-7 : 0 0 0 0 0 1 0 0\n"
    "inputs   8-15: 0 0 0 0 0 0 0 0\n"
    "inputs  16-23: 0 0 0 0 0 0 0 0\n"
    "inputs  24-31: 0 0 0 0 0 0 0 1\n"
    "inputs  word : 0x80000020 (bit n = channel n)\n"
    "outputs  0-7 : 0 0 0 0 0 1 0 0\n"
    "outputs  8-15: 0 0 0 0 0 0 0 0\n"
    "outputs 16-23: 0 0 0 0 0 0 0 0\n"
    "outputs 24-31: 0 0 0 0 0 0 0 1\n"
    "outputs word : 0x80000020 (bit n = channel n)\n";
  EXPECT_EQ(expected, run.out);
}

TEST_F(KestanIo, PortsAndSingleInputs) {
  ToolRun run = run_tool(on_simulator({"write-port", "1", "0x5A", "write-port", "3", "2A8H", "read-port",
                                   "1", "read", "9", "read", "8", "read-port", "0"}));
  // 2A8H does not fit a byte: the tool refuses it rather than cut it.
  EXPECT_EQ(2, run.exit_code);
  EXPECT_EQ("", run.out);

  run = run_tool(on_simulator({"write-port", "1", "0x5A", "write-port", "3", "255", "read-port", "1",
                               "read", "9", "read", "8", "read-port", "3", "readback"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "output port 1 set to 0x5A\n")) << run.out;
  EXPECT_TRUE(has(run.out, "input port 1: 0x5A\ninput 9: 1\ninput 8: 0\ninput port 3: 0xFF\n")) << run.out;
  EXPECT_TRUE(has(run.out, "outputs word : 0xFF005A00")) << run.out;
}

TEST_F(KestanIo, TheCardKeepsItsOutputsBetweenRuns) {
  ASSERT_EQ(0, run_tool(on_simulator({"write-port", "0", "0xA5"})).exit_code);
  ToolRun run = run_tool(on_simulator({"read"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "inputs  word : 0x000000A5")) << run.out;
}

TEST_F(KestanIo, CounterStartsCountsDownAndStops) {
  ToolRun run = run_tool(on_simulator(
    {"counter", "start", "0", "2", "1000", "counter", "read", "0", "counter", "stop", "0"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  unsigned read = 0, stopped = 0;
  std::istringstream lines(run.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ("counter 0 started in mode 2 with count 1000", line);
  std::getline(lines, line);
  ASSERT_EQ(1, sscanf(line.c_str(), "counter 0: %u", &read)) << line;
  std::getline(lines, line);
  ASSERT_EQ(1, sscanf(line.c_str(), "counter 0 stopped at %u", &stopped)) << line;
  // Mode 2 counts from the count down to 1 and reloads: never 0, never above.
  EXPECT_GE(read, 1u);
  EXPECT_LE(read, 1000u);
  EXPECT_GE(stopped, 1u);
  EXPECT_LE(stopped, 1000u);
}

struct Refusal {
  std::vector<std::string> args;
  const char *line_start;  // of the one line on stderr
};

// Each code the tool can meet, with the call that meets it.
const Refusal kRefusals[] = {
  {{"--simulator", "--base", "0x2A9", "read"},
   "kestan-io: card 0 at base 0x2A9: W_Kestan_Initial: Invalid_Base_Address (4): "},
  {{"--simulator", "--base", "0x400", "read"}, "kestan-io: card 0 at base 0x400: W_Kestan_Initial: Invalid_Base_Address (4): "},
  {{"--simulator", "--card", "8", "--base", "0x2A8", "read"},
   "kestan-io: card 8 at base 0x2A8: W_Kestan_Initial: Invalid_Card_Number (2): "},
  {{"--simulator", "--card", "-1", "--base", "0x2A8", "read"},
   "kestan-io: card -1 at base 0x2A8: W_Kestan_Initial: Invalid_Card_Number (2): "},
  {on_simulator({"write", "32", "1"}), "kestan-io: write 32 1: W_Kestan_DO_Channel: Invalid_Channel_Number (12): "},
  {on_simulator({"read", "-1"}), "kestan-io: read -1: W_Kestan_DI_Channel: Invalid_Channel_Number (12): "},
  {on_simulator({"write", "5", "2"}), "kestan-io: write 5 2: W_Kestan_DO_Channel: Invalid_DO_Value (17): "},
  {on_simulator({"write-port", "4", "1"}), "kestan-io: write-port 4 1: W_Kestan_DO_8: Invalid_Port_Number (8): "},
  {on_simulator({"read-port", "-1"}), "kestan-io: read-port -1: W_Kestan_DI_8: Invalid_Port_Number (8): "},
  {on_simulator({"counter", "start", "3", "0", "5"}),
   "kestan-io: counter start 3 0 5: W_Kestan_Timer_Start: Invalid_Counter_Number (20): "},
  {on_simulator({"counter", "start", "3", "6", "5"}),
   "kestan-io: counter start 3 6 5: W_Kestan_Timer_Start: Invalid_Counter_Mode (21): "},
  {on_simulator({"counter", "read", "3"}), "kestan-io: counter read 3: W_Kestan_Timer_Read: Invalid_Counter_Number (20): "},
  {on_simulator({"counter", "stop", "-1"}), "kestan-io: counter stop -1: W_Kestan_Timer_Stop: Invalid_Counter_Number (20): "},
};

TEST_F(KestanIo, RefusalsNameTheCodeAndARemedyOnOneLine) {
  for (const Refusal &r : kRefusals) {
    ToolRun run = run_tool(r.args);
    EXPECT_EQ(1, run.exit_code) << r.line_start;
    EXPECT_EQ(0u, run.err.rfind(r.line_start, 0)) << run.err;
    EXPECT_TRUE(has(run.err, ". Remedy: ")) << run.err;
    EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << run.err;
  }
}

TEST_F(KestanIo, FirstRefusalEndsTheRun) {
  ToolRun run = run_tool(on_simulator({"write", "3", "1", "write", "40", "1", "write", "4", "1", "readback"}));
  EXPECT_EQ(1, run.exit_code);
  EXPECT_EQ("output 3 set to 1\n", run.out);
}

TEST_F(KestanIo, CommandLineMistakesRunNothing) {
  const std::vector<std::string> mistakes[] = {
    on_simulator({"write", "5", "1", "blink"}),
    on_simulator({"write", "5", "1", "write", "6"}),
    on_simulator({"write", "5", "1", "write", "6", "one"}),
    on_simulator({"write", "5", "1", "counter", "go", "0"}),
    on_simulator({"write", "5", "1", "counter", "start", "0", "2", "65536"}),
    on_simulator({"write", "5", "1", "read", "1", "2"}),
    on_simulator({}),
    {"--simulator", "write", "5", "1"},
    {"--simulator", "--base", "--card", "write", "5", "1"},
    {"--simulator", "--speed", "9", "--base", "0x2A8", "write", "5", "1"},
  };
  for (const auto &args : mistakes) {
    ToolRun run = run_tool(args);
    EXPECT_EQ(2, run.exit_code) << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(0u, run.err.rfind("kestan-io: ", 0)) << run.err;
  }
}

TEST_F(KestanIo, HelpNamesEveryCommandAndWhySeveralInOneRun) {
  ToolRun run = run_tool({"--help"});
  ASSERT_EQ(0, run.exit_code);
  for (const char *word : {"read [CHANNEL]", "read-port PORT", "write CHANNEL VALUE",
                           "write-port PORT VALUE", "readback", "counter start COUNTER MODE COUNT",
                           "counter read COUNTER", "counter stop COUNTER", "--simulator", "--base",
                           "The card keeps its outputs\nbetween runs"})
    EXPECT_TRUE(has(run.out, word)) << word;
}

// The choice of build holds against LD_LIBRARY_PATH pointing at the other one.
TEST_F(KestanIo, ChosenPortLayerWinsOverLibraryPath) {
  ToolRun sim = run_tool(on_simulator({"write", "0", "1", "read", "0"}),
                     {"LD_LIBRARY_PATH=" KIT_HW_DIR});
  ASSERT_EQ(0, sim.exit_code) << sim.err;
  EXPECT_TRUE(has(sim.out, "input 0: 1")) << sim.out;

  // The hardware build, without port rights (root given up first), says so
  // and reads an empty bus: all ones, where the simulator's card reads 0.
  ToolRun hw = run_tool({"--base", "0x2A8", "read"}, {"LD_LIBRARY_PATH=" KIT_SIM_DIR}, true);
  ASSERT_EQ(0, hw.exit_code) << hw.err;
  EXPECT_TRUE(has(hw.out, "inputs  word : 0xFFFFFFFF")) << hw.out;
  EXPECT_TRUE(has(hw.err, "ioport: this process may not access I/O ports")) << hw.err;
}

}  // namespace
