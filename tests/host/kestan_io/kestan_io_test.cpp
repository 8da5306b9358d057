// kestan-io as a person runs it: a new process per run, on the simulated PC
// (Kestan card at 2A8H, test cable in: input n follows output n).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "exit_statuses.h"
#include "watch.h"

extern char **environ;

namespace {

struct ToolRun {
  int exit_code;
  std::string out, err;
  double cpu_seconds;
};

// CPU seconds this thread spends doing nothing but waking up every period_ns
// on an absolute clock for the given time: the floor under any poller's cost.
double cost_of_sleeping_at(long period_ns, double seconds) {
  rusage before, after;
  getrusage(RUSAGE_THREAD, &before);
  timespec at;
  clock_gettime(CLOCK_MONOTONIC, &at);
  for (long turn = 0; turn < static_cast<long>(seconds * 1e9 / period_ns); ++turn) {
    at.tv_nsec += period_ns;
    if (at.tv_nsec >= 1000000000L) {
      at.tv_nsec -= 1000000000L;
      ++at.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
  }
  getrusage(RUSAGE_THREAD, &after);
  auto seconds_of = [](const rusage &u) {
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  return seconds_of(after) - seconds_of(before);
}

// Each test keeps the cards' state files in a folder of its own, open to
// the runs that give up root.
std::string state_dir() {
  static std::string base = [] {
    char path[] = "/tmp/kestan_io_state_XXXXXX";
    return std::string(mkdtemp(path));
  }();
  std::string dir = base + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  mkdir(dir.c_str(), 0777);
  chmod(base.c_str(), 0777);
  chmod(dir.c_str(), 0777);
  return dir;
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs kestan-io with args; extra_env entries ("NAME=value") are added to the
// environment; drop_root makes the child give up root before it starts;
// interrupt_ms > 0 sends it SIGINT after that long; out_to names where its
// stdout goes instead of the run's out.
ToolRun run_tool(const std::vector<std::string> &args, const std::vector<std::string> &extra_env = {},
             bool drop_root = false, int interrupt_ms = 0, const char *out_to = nullptr) {
  char out_path[] = "/tmp/kestan_io_out_XXXXXX";
  char err_path[] = "/tmp/kestan_io_err_XXXXXX";
  int out_fd = mkstemp(out_path), err_fd = mkstemp(err_path);
  std::vector<std::string> env_text(extra_env);
  env_text.push_back("KESTAN_IO_STATE_DIR=" + state_dir());
  // A rack is the rack of a new simulated PC: such a run gets a fresh one.
  for (const std::string &e : extra_env)
    if (e.rfind("KESTAN_SIM_RACK=", 0) == 0 && std::getenv("KESTAN_SIM_PC")) unlink(std::getenv("KESTAN_SIM_PC"));
  // The leak checker of a sanitizer build cannot trace a process that gave up root.
  if (drop_root) env_text.insert(env_text.begin(), "ASAN_OPTIONS=detect_leaks=0");
  for (char **e = environ; *e; ++e) env_text.push_back(*e);
  std::vector<char *> argv{const_cast<char *>(KESTAN_IO_PATH)}, envp;
  for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string &e : env_text) envp.push_back(&e[0]);
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    dup2(out_to ? open(out_to, O_WRONLY) : out_fd, 1);
    dup2(err_fd, 2);
    if (drop_root && getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
    execve(argv[0], argv.data(), envp.data());
    _exit(98);
  }
  if (interrupt_ms > 0) {
    usleep(static_cast<useconds_t>(interrupt_ms) * 1000);
    kill(pid, SIGINT);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  close(out_fd);
  close(err_fd);
  const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(out_path),
          slurp(err_path), cpu};
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

// The runs of one case share one simulated PC, as a person's runs do; each
// case starts on a fresh one.
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

// Each run is a new process whose library starts with a copy of 0 for every
// output; a one-line write must still leave the card's other outputs on.
TEST_F(KestanIo, OutputsWrittenByEarlierRunsStayOn) {
  ASSERT_EQ(0, run_tool(on_simulator({"write", "3", "1"})).exit_code);
  ToolRun run = run_tool(on_simulator({"write", "5", "1", "readback", "read", "3", "5"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "outputs word : 0x00000028")) << run.out;
  EXPECT_TRUE(has(run.out, "input 3: 1\ninput 5: 1\n")) << run.out;
  run = run_tool(on_simulator({"set", "3=0", "30=1"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  run = run_tool({"readback", "--base=0x2A8", "--simulator"});
  EXPECT_TRUE(has(run.out, "outputs word : 0x40000020")) << run.out;
  // Another kind at the same base is another card: its outputs start unknown.
  run = run_tool({"--simulator", "--kind", "sarrow", "--base", "0x2A8", "readback"}, {"KESTAN_SIM_RACK=empty"});
  EXPECT_TRUE(has(run.out, "outputs word : 0x0000 ")) << run.out << run.err;
}

// What the card drives wins over the record: a program that wrote the card
// itself (here a run that keeps its record elsewhere) left the record
// stale; a PC replaced since makes every record of the old one void.
TEST_F(KestanIo, TheSimulatedCardNotAStaleRecordIsWhereARunStarts) {
  ASSERT_EQ(0, run_tool(on_simulator({"write", "3", "1"})).exit_code);
  const std::string elsewhere = "KESTAN_IO_STATE_DIR=" + state_dir() + "/elsewhere";
  ASSERT_EQ(0, run_tool(on_simulator({"write-port", "0", "0x20"}), {elsewhere}).exit_code);
  ToolRun run = run_tool(on_simulator({"readback", "write", "6", "1", "readback"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "outputs word : 0x00000020")) << run.out;
  EXPECT_TRUE(has(run.out, "outputs word : 0x00000060")) << run.out;

  const std::vector<std::string> fenmar{"--simulator", "--kind", "fenmar", "--base", "0x220"};
  auto with = [&](std::vector<std::string> words) {
    words.insert(words.begin(), fenmar.begin(), fenmar.end());
    return words;
  };
  ASSERT_EQ(0, run_tool(with({"dir", "A", "out", "write-port", "A", "0x5A"})).exit_code);
  unlink(std::getenv("KESTAN_SIM_PC"));
  run = run_tool(with({"dir"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "ch0 A  (port code   0): in")) << "the old PC's record is dropped:\n" << run.out;
}

struct KindRun {
  std::vector<std::string> args;
  const char *expected;  // in the output
};

// One run per kind: a line or port written, its input read over the test cable.
const KindRun kKindRuns[] = {
  {{"--kind", "orvel", "--base", "0x300", "set", "30=1", "read", "30"}, "input 30: 1\n"},
  {{"--kind", "sarrow", "--base", "0x318", "write-port", "1", "0x81", "read-port", "1", "read", "15"},
   "input port 1: 0x81\ninput 15: 1\n"},
  {{"--kind", "pellin", "--base", "0x210", "set", "6=1", "read"}, "inputs   0-7 : 0 0 0 0 0 0 1 0\ninputs  word : 0x40"},
  {{"--kind", "fenmar", "--base", "0x220", "dir", "A", "out", "write-port", "A", "0x5A", "read-port", "C", "dir"},
   "ch0 A set to out\noutput port 0 set to 0x5A\ninput port 2: 0x5A\nch0 A  (port code   0): out\n"},
  {{"--kind", "wendal", "--base", "0x240", "set", "9=1", "read", "33", "clock", "start", "100", "20", "clock", "stop"},
   "output 9 set to 1\ninput 33: 1\nclock started: 2 MHz / 100 / 20\nclock stopped\n"},
  {{"--kind", "dulvar", "--base", "0x260", "write-port", "5A", "0xF0", "read-port", "4A", "read"},
   "output port 15 set to 0xF0\ninput port 12: 0xF0\n"},
};

TEST_F(KestanIo, EveryKindOfCard) {
  for (const KindRun &k : kKindRuns) {
    std::vector<std::string> args{"--simulator"};
    args.insert(args.end(), k.args.begin(), k.args.end());
    ToolRun run = run_tool(args);
    EXPECT_EQ(0, run.exit_code) << k.args[1] << ": " << run.err;
    EXPECT_TRUE(has(run.out, k.expected)) << k.args[1] << ":\n" << run.out;
  }
}

TEST_F(KestanIo, JsonVersionAndOptionsAnywhere) {
  ToolRun run = run_tool({"write", "5", "1", "--simulator", "read", "5", "--json", "--base=0x2A8", "--", "read-port", "0"});
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_EQ("{\"command\":\"write\",\"line\":5,\"output\":1}\n"
            "{\"command\":\"read\",\"line\":5,\"input\":1}\n"
            "{\"command\":\"read-port\",\"port\":0,\"input\":32}\n",
            run.out);
  run = run_tool({"--version"});
  EXPECT_EQ(0, run.exit_code);
  EXPECT_EQ(0u, run.out.rfind("kestan-io ", 0)) << run.out;
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

// Each code the library decides, with the call that meets it.
const Refusal kRefusals[] = {
  {{"--simulator", "--base", "0x2A9", "read"},
   "kestan-io: card 0 at base 0x2A9: W_Kestan_Initial: Invalid_Base_Address (4): "},
  {{"--simulator", "--base", "100", "read"}, "kestan-io: card 0 at base 0x100: W_Kestan_Initial: Invalid_Base_Address (4): "},
  {{"--simulator", "--card", "8", "--base", "0x2A8", "read"},
   "kestan-io: card 8 at base 0x2A8: W_Kestan_Initial: Invalid_Card_Number (2): "},
  {{"--simulator", "--kind", "wendal", "--base", "0x240", "clock", "start", "65537", "65537"},
   "kestan-io: clock start 65537 65537: W_Wendal_Clock_Start: Invalid_Clock_Divisor (28): "},
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

struct Mistake {
  std::vector<std::string> args;
  const char *says;  // in the one line on stderr: what is wrong and the limit
};

// Every mistake, status 2, said before the first port access: the outputs
// that a line writes first stay off.
const Mistake kMistakes[] = {
  {on_simulator({"write", "5", "1", "blink"}), "write: unexpected 'blink'"},
  {on_simulator({"write", "5", "1", "write", "6"}), "write: VALUE missing"},
  {on_simulator({"write", "5", "1", "write", "6", "one"}), "VALUE 'one' is not a number"},
  {on_simulator({"write", "5", "1", "counter", "go", "0"}), "counter: say start, read or stop"},
  {on_simulator({"write", "5", "1", "counter", "start", "0", "2", "65536"}), "COUNT 65536 is out of range 0 to 65535"},
  {on_simulator({"write", "5", "1", "set", "6=2"}), "set: VALUE 2 is out of range 0 to 1"},
  {on_simulator({"write", "5", "1", "write", "5", "2"}), "write: VALUE 2 is out of range 0 to 1"},
  {on_simulator({"write", "5", "1", "write", "5", "-1"}), "VALUE '-1' is not a number (decimal, or hexadecimal with 0x; 0 or more)"},
  {on_simulator({"set", "3=1", "40=1"}), "set: LINE 40 is not one of a kestan card (0 to 31)"},
  {on_simulator({"set", "4294967301=1"}), "LINE 4294967301 is not one of a kestan card (0 to 31)"},
  {on_simulator({"write", "5", "1", "write", "32", "1"}), "LINE 32 is not one of a kestan card (0 to 31)"},
  {on_simulator({"write", "5", "1", "read", "-1"}), "LINE '-1' is not a number"},
  {on_simulator({"write", "5", "1", "write-port", "4", "1"}), "PORT 4 is not one of a kestan card (0 to 3)"},
  {on_simulator({"write", "5", "1", "write-port", "3", "2A8H"}), "VALUE '2A8H' is not a number"},
  {on_simulator({"write", "5", "1", "counter", "start", "3", "0", "5"}), "counter start: COUNTER 3 is not one of a kestan card (0 to 2)"},
  {on_simulator({"write", "5", "1", "counter", "start", "0", "6", "5"}), "MODE 6 is out of range 0 to 5"},
  {on_simulator({"write", "5", "1", "set", "6"}), "'6' is not LINE=VALUE"},
  {on_simulator({"write", "5", "1", "dir", "A", "out"}), "dir: a kestan card has none"},
  {on_simulator({"write", "5", "1", "probe", "now"}), "write: unexpected 'probe'"},
  {{"--simulator", "--kind", "fenmar", "--base", "0x220", "write-port", "A", "1", "dir", "1A", "out"}, "'1A' is no group of a fenmar card"},
  {{"--simulator", "--kind", "fenmar", "--base", "0x220", "read-port", "1A"}, "'1A' is no port of a fenmar card (0 to 2, or A, B, C)"},
  {{"--simulator", "--kind", "fenmar", "--base", "0x220", "write", "1", "1", "counter", "read", "0"}, "a fenmar card has none"},
  {{"--simulator", "--kind", "wendal", "--base", "0x240", "counter", "read", "3"}, "COUNTER 3 is not one of a wendal card (0 to 2)"},
  {{"--simulator", "--kind", "wendal", "--base", "0x240", "counter", "read", "0", "counter", "stop", "0"}, "counter stop: a wendal card has none"},
  {{"--simulator", "--kind", "kestan2", "--base", "0x220", "read"}, "--kind 'kestan2'"},
  {on_simulator({}), "no command given"},
  {{"--simulator", "write", "5", "1"}, "--base ADDRESS is missing"},
  {{"--simulator", "probe"}, "--base ADDRESS is missing"},
  {{"--simulator", "--base", "--card", "write", "5", "1"}, "--base '--card' is no base address"},
  {{"--simulator", "--speed", "9", "--base", "0x2A8", "write", "5", "1"}, "unknown option '--speed'"},
  {{"--simulator", "--card", "-1", "--base", "0x2A8", "write", "5", "1"}, "--card '-1' is not a number"},
  // Bases are hexadecimal: a decimal base that used to mean 2A8H is said so.
  {{"--simulator", "--base", "680", "write", "5", "1"}, "--base 680 is 680H, past 3FFH (bases are hexadecimal: decimal 680 is 2A8H)"},
  {{"--simulator", "--base", "-680", "write", "5", "1"}, "--base '-680' is no base address (hexadecimal: 2A8, 2A8H or 0x2A8)"},
  {{"--simulator", "--base", "0x400", "write", "5", "1"}, "--base 0x400 is 400H, past 3FFH"},
};

TEST_F(KestanIo, CommandLineMistakesRunNothingAndSayTheLimit) {
  for (const Mistake &m : kMistakes) {
    ToolRun run = run_tool(m.args);
    EXPECT_EQ(2, run.exit_code) << m.says << ": " << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(0u, run.err.rfind("kestan-io: ", 0)) << run.err;
    EXPECT_TRUE(has(run.err, m.says)) << run.err;
  }
  EXPECT_TRUE(has(run_tool(on_simulator({"readback"})).out, "outputs word : 0x00000000"));
}

// Every base spelling means the same hexadecimal address; every other number
// is decimal or 0x.
TEST_F(KestanIo, BasesAreHexadecimalAndOtherNumbersDecimalOr0x) {
  for (const char *base : {"2A8", "2a8h", "0x2A8"}) {
    ToolRun run = run_tool({"--simulator", "--base", base, "write", "0x5", "1", "read", "5"});
    EXPECT_EQ(0, run.exit_code) << base << ": " << run.err;
    EXPECT_EQ("output 5 set to 1\ninput 5: 1\n", run.out) << base;
  }
}

// set writes each port once with all its lines; the others stay.
TEST_F(KestanIo, SetSwitchesEveryLineOfAPortTogether) {
  ASSERT_EQ(0, run_tool(on_simulator({"write", "7", "1"})).exit_code);
  ToolRun run = run_tool(on_simulator({"set", "0=1", "9=1", "1=1", "7=0", "readback"}));
  ASSERT_EQ(0, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.out, "output 0 set to 1\noutput 1 set to 1\noutput 7 set to 0\noutput 9 set to 1\n")) << run.out;
  EXPECT_TRUE(has(run.out, "outputs word : 0x00000203")) << run.out;
  // An 8255 card: each group the lines touch becomes an output, no other.
  run = run_tool({"--simulator", "--kind", "fenmar", "--base", "220", "set", "0=1", "16=1", "20=1", "dir"});
  EXPECT_TRUE(has(run.out, "ch0 A  (port code   0): out\nch0 B  (port code   1): in\n"
                           "ch0 CH (port code   3): out\nch0 CL (port code   4): out\n")) << run.out;
  // Sarrow: both ports are one register; a write of one keeps the other.
  const std::vector<std::string> sarrow{"--simulator", "--kind", "sarrow", "--base", "318"};
  std::vector<std::string> first(sarrow), second(sarrow);
  first.insert(first.end(), {"write-port", "1", "0x81"});
  second.insert(second.end(), {"set", "0=1", "read-port", "1"});
  ASSERT_EQ(0, run_tool(first).exit_code);
  EXPECT_TRUE(has(run_tool(second).out, "input port 1: 0x81")) << "port 1 still driven";
}

// A script that asked for JSON gets every failure as JSON; results that
// cannot be written are a failure.
TEST_F(KestanIo, FailuresAreSaidAsJsonAndAFullDiskIsOne) {
  ToolRun run = run_tool({"--json", "--simulator", "--base", "2A8", "write", "5", "2"});
  EXPECT_EQ(2, run.exit_code);
  EXPECT_EQ("{\"error\":{\"status\":2,\"message\":\"write: VALUE 2 is out of range 0 to 1 (kestan-io --help tells more)\"}}\n",
            run.out);
  // A word that is not UTF-8 still makes a line of JSON (U+FFFD in its place).
  run = run_tool({"--json", "--simulator", "--base", "2A8", "write", "\xff", "1"});
  EXPECT_EQ(2, run.exit_code);
  EXPECT_TRUE(has(run.out, "LINE '\xef\xbf\xbd' is not a number")) << run.out;
  run = run_tool({"--json", "--base", "2A8", "read"}, {"KESTAN_IOPORT=bogus"});
  EXPECT_EQ(3, run.exit_code);
  EXPECT_TRUE(has(run.out, "{\"error\":{\"status\":3,\"message\":\"ioport: KESTAN_IOPORT=bogus: say")) << run.out;
  EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << "said once: " << run.err;
  for (bool json : {false, true}) {
    std::vector<std::string> args = on_simulator({"read", "1"});
    if (json) args.push_back("--json");
    run = run_tool(args, {}, false, 0, "/dev/full");
    EXPECT_EQ(9, run.exit_code) << run.err;
    EXPECT_TRUE(has(run.err, "could not be written to standard output")) << run.err;
  }
}

TEST_F(KestanIo, HelpNamesEveryCommandAndWhySeveralInOneRun) {
  ToolRun run = run_tool({"--help"});
  ASSERT_EQ(0, run.exit_code);
  for (const char *word : {"read [LINE...]", "read-port PORT...", "write LINE VALUE",
                           "set LINE=VALUE...", "write-port PORT VALUE", "readback", "dir [GROUP in|out...]",
                           "counter start COUNTER MODE COUNT", "counter read COUNTER",
                           "counter stop COUNTER", "clock start DIVISOR DIVISOR", "probe", "scan",
                           "watch [LINE...]", "--simulator", "--kind KIND", "--json", "--force",
                           "Outputs stay as they are between runs"})
    EXPECT_TRUE(has(run.out, word)) << word;
}

// --help explains every exit status of the failure table, and no other.
TEST_F(KestanIo, HelpExplainsEveryExitStatusOfTheFailureTable) {
  ToolRun run = run_tool({"--help"});
  ASSERT_EQ(0, run.exit_code);
  EXPECT_EQ(table_exit_statuses(&cardio::FailureInfo::io_status), explained_exit_statuses(run.out)) << run.out;
}

// The choice of build holds against LD_LIBRARY_PATH pointing at the other one.
TEST_F(KestanIo, ChosenPortLayerWinsOverLibraryPath) {
  ToolRun sim = run_tool(on_simulator({"write", "0", "1", "read", "0"}),
                     {"LD_LIBRARY_PATH=" KIT_HW_DIR});
  ASSERT_EQ(0, sim.exit_code) << sim.err;
  EXPECT_TRUE(has(sim.out, "input 0: 1")) << sim.out;

  // The hardware build, without port rights (root given up first), says so,
  // with the cause and the remedy, and runs nothing.
  ToolRun hw = run_tool({"--base", "0x2A8", "read"}, {"LD_LIBRARY_PATH=" KIT_SIM_DIR}, true);
  EXPECT_EQ(4, hw.exit_code) << hw.err;
  EXPECT_EQ("", hw.out);
  EXPECT_TRUE(has(hw.err, "kestan-io: ioport: this process may not access I/O ports 2A8-2AF (ioperm: "))
    << hw.err;
  // The remedy follows the cause: no root, or a kernel without port access.
  EXPECT_TRUE(has(hw.err, "CAP_SYS_RAWIO") || has(hw.err, "no port access")) << hw.err;
  EXPECT_EQ(hw.err.size() - 1, hw.err.find('\n')) << hw.err;
}

TEST_F(KestanIo, AnUnknownPortLayerIsSaidAndNothingRuns) {
  ToolRun run = run_tool({"--base", "0x2A8", "write", "5", "1"}, {"KESTAN_IOPORT=simulated"});
  EXPECT_EQ(3, run.exit_code);
  EXPECT_EQ("", run.out);
  EXPECT_TRUE(has(run.err, "KESTAN_IOPORT=simulated: say simulator or hardware")) << run.err;

  // A simulated PC that cannot be used: a private one would lose the change.
  run = run_tool(on_simulator({"write", "5", "1"}), {"KESTAN_SIM_PC=/proc/x.pc"});
  EXPECT_EQ(3, run.exit_code) << run.err;
  EXPECT_EQ("", run.out);
  EXPECT_TRUE(has(run.err, "would not last, nothing done")) << run.err;
  run = run_tool(on_simulator({"write", "5", "1", "read", "5"}), {"KESTAN_SIM_PC=private"});
  EXPECT_EQ(0, run.exit_code) << "asked for: " << run.err;
  EXPECT_TRUE(has(run.out, "input 5: 1")) << run.out;
}

// A change whose record cannot be saved would be undone by the next run:
// the run fails (here the folder of the records is read-only to its owner).
TEST_F(KestanIo, AChangeWhoseRecordCannotBeSavedFails) {
  if (getuid() != 0) GTEST_SKIP() << "needs another user, for whom a folder's mode counts";
  const std::string dir = state_dir() + "/readonly", records = dir + "/private-simulator";
  ASSERT_EQ(0, std::system(("mkdir -p " + records + " && touch " + records + "/card-2A8.lock && chmod 600 " +
                            records + "/card-2A8.lock && chown -R 65534:65534 " + dir + " && chmod 700 " + dir +
                            " && chmod 500 " + records).c_str()));
  ToolRun run = run_tool(on_simulator({"write", "1", "1"}), {"KESTAN_SIM_PC=private", "KESTAN_IO_STATE_DIR=" + dir}, true);
  EXPECT_EQ(10, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.err, "could not be saved in " + records + "/card-2A8.state")) << run.err;
}

// Ports a kernel driver owns are not written without --force.
TEST_F(KestanIo, BusyPortsAreRefusedWithoutForce) {
  const std::string ioports = state_dir() + "/ioports";
  std::ofstream(ioports) << "0000-0cf7 : PCI Bus 0000:00\n  03f8-03ff : serial\n";
  const std::vector<std::string> env{"KESTAN_IOPORTS=" + ioports};
  ToolRun run = run_tool({"--base", "0x3F8", "write", "0", "1"}, env, true);
  EXPECT_EQ(5, run.exit_code) << run.err;
  EXPECT_TRUE(has(run.err, "belong to a kernel driver (serial, 03F8-03FF)")) << run.err;
  run = run_tool({"--base", "0x3F8", "--force", "write", "0", "1"}, env, true);
  EXPECT_EQ(4, run.exit_code) << run.err;
  run = run_tool({"--base", "0x3F0", "read"}, env, true);
  EXPECT_EQ(4, run.exit_code) << "reading is no write: only the rights stop it";
}

struct ProbeCase {
  std::vector<std::string> args;
  int exit_code;
  const char *out;  // the whole output
};

// On the default rack (a Kestan card at 2A8H, cable in) unless a rack is given.
const ProbeCase kProbes[] = {
  {{"--base", "2A8", "probe"}, 0, "0x2A8: a kestan card answers (7 of 8 ports not FFH, 0 of 3 counters counting)\n"},
  {{"--base", "300", "probe"}, 6,
   "0x300: nothing answers (8 ports read FFH): no card, or a kestan card whose lines all read 1 (its test "
   "cable out, every line an input); cannot tell which\n"},
  {{"--kind", "fenmar", "--base", "2A8", "probe"}, 6,
   "0x2A8: no fenmar card: port 2ABH answers where a fenmar card reads FFH (another card's ports)\n"},
  {{"--kind", "pellin", "--base", "2AE", "probe"}, 6,
   "0x2AE: its ports answer as a pellin card's would, but so does port 2ADH below them: part of another "
   "card, or a pellin card beside it; cannot tell which\n"},
  // Once per card, and never a card of one kind in another's ports.
  {{"scan"}, 0, "0x2A8: a kestan card answers (7 of 8 ports not FFH, 0 of 3 counters counting)\n"},
  {{"--kind", "pellin", "scan"}, 0, ""},
  {{"--kind", "wendal", "scan"}, 0, ""},
  {{"--kind", "kestan", "scan", "KESTAN_SIM_RACK=kestan@2A8,kestan@300,fenmar@220,wendal@240"}, 0,
   "0x2A8: a kestan card answers (7 of 8 ports not FFH, 0 of 3 counters counting)\n"
   "0x300: a kestan card answers (7 of 8 ports not FFH, 0 of 3 counters counting)\n"},
  {{"--kind", "wendal", "scan", "KESTAN_SIM_RACK=fenmar@220,wendal@240"}, 0,
   "0x240: a wendal card answers (3 of 12 ports not FFH, 0 of 3 counters counting); its inputs all read 1: "
   "its test cable is out, or nothing drives them\n"},
};

TEST_F(KestanIo, ProbeAndScanReportAKindOnlyWhereItsShapeAnswers) {
  for (const ProbeCase &p : kProbes) {
    std::vector<std::string> args{"--simulator"}, env;
    for (const std::string &a : p.args) (a.rfind("KESTAN_SIM_RACK=", 0) == 0 ? env : args).push_back(a);
    ToolRun run = run_tool(args, env);
    EXPECT_EQ(p.exit_code, run.exit_code) << p.out << run.err;
    EXPECT_EQ(p.out, run.out);
  }
}

// Inputs that count on every read of port 0: a change at every poll.
TEST_F(KestanIo, WatchReportsEachChangeWithinTwoMillisecondsAndIdlesCheaply) {
  ToolRun run = run_tool(on_simulator({"watch", "0"}), {"KESTAN_SIM_RACK=kestan_counter@2A8"}, false, 300);
  EXPECT_EQ(0, run.exit_code) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  std::vector<double> times;
  while (std::getline(lines, line)) {
    int h = 0, m = 0;
    double sec = 0;
    unsigned value = 0;
    ASSERT_EQ(4, sscanf(line.c_str(), "%d:%d:%lf input 0: %u", &h, &m, &sec, &value)) << line;
    times.push_back(h * 3600 + m * 60 + sec);
  }
  ASSERT_GE(times.size(), 50u) << run.out;
  std::vector<double> gaps;
  for (size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
  std::sort(gaps.begin(), gaps.end());
  EXPECT_LE(gaps[gaps.size() / 2], 0.002) << "median time between two seen changes";

  // The cost of watching: a long watch less a short one, so the start drops out.
  ToolRun brief = run_tool(on_simulator({"watch"}), {}, false, 200);
  ToolRun idle = run_tool(on_simulator({"watch"}), {}, false, 2200);
  EXPECT_EQ(0, idle.exit_code) << idle.err;
#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers' own cost is not the tool's
  // 2 % of a core; where the machine's own wake-ups at the watch's period
  // already cost more than 1 % (a loaded virtual machine), the tool may add
  // 1 % to what they cost, and not more.
  const double watch = idle.cpu_seconds - brief.cpu_seconds;
  const double wakeups = cost_of_sleeping_at(kWatchPollNs, 2.0);
  EXPECT_LE(watch, std::max(0.02 * 2.0, wakeups + 0.01 * 2.0))
      << "watching costs " << watch / 2.0 * 100 << " % of a core; waking up alone "
      << wakeups / 2.0 * 100 << " %";
#endif
}

}  // namespace
