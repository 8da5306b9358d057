// kestan-sim as a person runs it, each case on a fresh simulated PC of its
// own, with kestan-io as the other program on the same PC.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "exit_statuses.h"
#include "pc_file.h"

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

// The command line through the shell, on the PC of pc (empty: this case's).
ToolRun run(const std::string &command, const std::string &pc = "") {
  char out[] = "/tmp/kestan_sim_out_XXXXXX", err[] = "/tmp/kestan_sim_err_XXXXXX";
  close(mkstemp(out));
  close(mkstemp(err));
  std::string env = pc.empty() ? "" : "KESTAN_SIM_PC='" + pc + "' ";
  int status = std::system((env + command + " >" + out + " 2>" + err).c_str());
  ToolRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
  unlink(out);
  unlink(err);
  return r;
}

const std::string kSim = KESTAN_SIM_PATH;
const std::string kIo = std::string(KESTAN_IO_PATH) + " --simulator --base 0x2A8";

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

class KestanSim : public ::testing::Test {
 protected:
  void SetUp() override {
    const char *pc = std::getenv("KESTAN_SIM_PC");
    ASSERT_TRUE(pc) << "the test registration names a PC";
    pc_ = pc;
    unlink(pc);
    // kestan-io's record of the outputs it wrote, fresh for each case too.
    char dir[] = "/tmp/kestan_sim_state_XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    setenv("KESTAN_IO_STATE_DIR", dir, 1);
  }
  std::string pc_;
};

TEST_F(KestanSim, StatusShowsWhatAnotherProgramWroteAndSetDrivesAnInput) {
  ASSERT_EQ(0, run(kIo + " write 5 1").exit_code);
  ToolRun r = run(kSim + " status");
  ASSERT_EQ(0, r.exit_code) << r.err;
  EXPECT_TRUE(has(r.out, "simulated PC: " + pc_)) << r.out;
  EXPECT_TRUE(has(r.out, "kestan@2A8 (8 ports")) << r.out;
  EXPECT_TRUE(has(r.out, "outputs 0x00000020  inputs 0x00000020")) << r.out;
  EXPECT_TRUE(has(r.out, "claims: none")) << "kestan-io has ended: " << r.out;

  EXPECT_EQ(0, run(kSim + " set 2A8 0 7 1").exit_code);
  EXPECT_TRUE(has(run(kIo + " read 7").out, "input 7: 1"));
  EXPECT_EQ(0, run(kSim + " cable 2A8 off").exit_code);
  EXPECT_TRUE(has(run(kSim + " status").out, "inputs 0xFFFFFFFF")) << "lines float high";
  EXPECT_EQ(0, run(kSim + " release 2A8 0 7").exit_code);
  EXPECT_EQ(0, run(kSim + " cable 2A8 on").exit_code);
  EXPECT_TRUE(has(run(kIo + " read 7").out, "input 7: 0"));
  ToolRun j = run(kSim + " journal 2");
  EXPECT_TRUE(has(j.out, "in8   02A8  A0\n  in8   02A8  20\n")) << j.out;
  // set writes a port once with all its lines: the journal holds one write.
  ASSERT_EQ(0, run(kIo + " set 0=1 1=1 2=1 3=1").exit_code);
  EXPECT_TRUE(has(run(kSim + " journal 2").out, "  in8   02A8  20\n  out8  02A8  2F\n")) << "one write, output 5 kept";
  // probe tells a card whose cable is out from no card.
  EXPECT_EQ(0, run(kSim + " cable 2A8 off").exit_code);
  ToolRun probe = run(kIo + " probe");
  EXPECT_EQ(0, probe.exit_code) << "the card is there: " << probe.out;
  EXPECT_TRUE(has(probe.out, "its inputs all read 1: its test cable is out")) << probe.out;
}

TEST_F(KestanSim, PlugUnplugAndResetChangeTheRack) {
  EXPECT_EQ(0, run(kSim + " plug orvel@300").exit_code);
  EXPECT_TRUE(has(run(kSim + " status").out, "orvel@300 (16 ports")) << run(kSim + " status").out;
  const struct {
    std::string command;  // after kestan-sim when it starts with a blank
    int code;
    const char *said;
  } refusals[] = {
      {" plug kestan@2B0", 1, "occupied"},
      {" plug kestan@2AC", 1, "a kestan card sits at a multiple of 8H from 200H to 3F8H"},
      {" plug kestan@3FC", 1, "its 8 ports inside 200H-3FFH"},
      {" plug dulvar@3F0", 1, "a dulvar card sits at a multiple of 8H from 200H to 3E8H"},
      {" plug kestan@FFFC", 1, "a kestan card sits at"},
      {"KESTAN_SIM_RACK=bogus@300 " + kSim + " reset", 1, "bogus@300: no model of that kind"},
      {"KESTAN_SIM_RACK='kestan@2A8;' " + kSim + " reset", 1, "\"kestan@2A8;\" is no entry"},
      {"KESTAN_SIM_RACK=kestan@2A9 " + kSim + " reset", 1, "kestan@2A9: a kestan card sits at"},
      {" set 2A8 0 0x20 1", 2, "line from 0 to 31"},
      {" plug nosuch@200", 1, "no model of that kind"},
      {" unplug 240", 1, "no card has its base there"},
      {" set 2A8 3 0 1", 1, "no such bank"},
      {" set 2A8 0 32 1", 2, "line from 0 to 31"},
      {" cable 2A8 maybe", 2, "want on or off"},
      {" plug orvel", 2, "KIND@BASE"},
      {" frobnicate", 2, "unknown command"},
      {" unplug", 2, "wrong number of arguments"},
  };
  ASSERT_EQ(0, run(kSim + " plug kestan@2B0").exit_code);
  for (const auto &k : refusals) {
    ToolRun r = run(k.command[0] == ' ' ? kSim + k.command : k.command);
    EXPECT_EQ(k.code, r.exit_code) << k.command;
    EXPECT_TRUE(has(r.err, k.said)) << k.command << ": " << r.err;
    EXPECT_EQ("", r.out) << k.command;
  }
  EXPECT_TRUE(has(run(kSim + " status").out, "kestan@2A8 (8 ports")) << "a refused rack changes nothing";
  EXPECT_EQ(0, run(kSim + " set 2B0 0 0x7 1").exit_code) << "lines decimal or 0x";
  const int full = std::system((kSim + " status >/dev/full 2>/dev/null").c_str());
  EXPECT_EQ(3, WEXITSTATUS(full)) << "a full stdout is a failure";
  EXPECT_EQ(0, run(kSim + " unplug 300").exit_code);
  EXPECT_EQ(0, run(kIo + " write 1 1").exit_code);
  EXPECT_EQ(0, run(kSim + " reset").exit_code);
  ToolRun r = run(kSim + " status");
  EXPECT_FALSE(has(r.out, "orvel")) << r.out;
  EXPECT_TRUE(has(r.out, "outputs 0x00000000")) << "reset puts the card at power-up: " << r.out;
  // kestan-io's record of output 1 went with the power-up: its next write
  // switches on what it is told, not output 1 again.
  EXPECT_EQ(0, run(kIo + " write 2 1").exit_code);
  EXPECT_TRUE(has(run(kSim + " status").out, "outputs 0x00000004")) << run(kSim + " status").out;
  ToolRun help = run(kSim + " --help");
  EXPECT_EQ(0, help.exit_code);
  for (const char *word : {"status", "reset", "plug", "unplug", "cable", "set", "release", "watch", "journal"})
    EXPECT_TRUE(has(help.out, std::string("  ") + word + " ")) << word;
}

// --help explains the exit statuses of the failure table and the one the
// simulated PC ends a program with when it fails under it, and no other.
TEST_F(KestanSim, HelpExplainsEveryExitStatusOfTheFailureTable) {
  ToolRun help = run(kSim + " --help");
  ASSERT_EQ(0, help.exit_code);
  std::set<int> statuses = table_exit_statuses(&cardio::FailureInfo::sim_status);
  statuses.insert(sim::kPcFailedStatus);
  EXPECT_EQ(statuses, explained_exit_statuses(help.out)) << help.out;
}

// The default rack's Kestan card is back once no running program holds the
// card a claim put over it; a card plugged by hand, and claimed cards
// elsewhere with their outputs, stay.
TEST_F(KestanSim, OnTheDefaultRackTheKestanCardComesBackOnceNoProgramHoldsWhatTookItsPlace) {
  const std::string io = std::string(KESTAN_IO_PATH) + " --simulator";
  ASSERT_EQ(0, run(io + " --kind pellin --base 2A8 write 3 1").exit_code);
  ASSERT_EQ(0, run(io + " --kind pellin --base 210 write 3 1").exit_code);
  ToolRun r = run(kSim + " status");
  EXPECT_TRUE(has(r.out, "kestan@2A8 (8 ports, plugged by the rack or by hand)")) << r.out;
  EXPECT_TRUE(has(r.out, "pellin@210 (2 ports, plugged by a library's claim)\n"
                         "    bank 0                     outputs 0x08")) << r.out;
  EXPECT_TRUE(has(run(kIo + " write 5 1 read 5").out, "input 5: 1"));

  ASSERT_EQ(0, run(kSim + " unplug 2A8").exit_code);
  ASSERT_EQ(0, run(kSim + " plug pellin@2A8").exit_code);
  ASSERT_EQ(0, run(io + " --kind pellin --base 2A8 write 1 1").exit_code);
  r = run(kSim + " status");
  EXPECT_TRUE(has(r.out, "pellin@2A8 (2 ports, plugged by the rack or by hand)\n"
                         "    bank 0                     outputs 0x02")) << r.out;
}

TEST_F(KestanSim, WatchPrintsLineChangesWithTheirTime) {
  std::string out = "/tmp/kestan_sim_watch_" + std::to_string(getpid());
  ASSERT_EQ(0, std::system((kSim + " watch 2 >" + out + " &").c_str()));
  usleep(500000);
  ASSERT_EQ(0, run(kIo + " write 4 1").exit_code);
  sleep(2);
  std::string text = slurp(out);
  unlink(out.c_str());
  EXPECT_TRUE(has(text, "kestan@2A8 bank 0 outputs 0x00000000 -> 0x00000010")) << text;
  EXPECT_TRUE(has(text, "kestan@2A8 bank 0 inputs 0x00000000 -> 0x00000010")) << text;
  EXPECT_EQ(':', text[2]) << "lines start with the time: " << text;
}

// A PC file replaced (its version byte changed, then replaced by the next
// run) or removed under a running watch: the watch goes on with the PC now
// at the path, where the next run plugged its card.
TEST_F(KestanSim, ARunningProgramFollowsThePcFileToItsReplacement) {
  const struct {
    const char *what;
    std::string change;
  } kChanges[] = {
    {"version byte changed", "printf '\\011' | dd of='" + pc_ + "' bs=1 seek=4 conv=notrunc 2>/dev/null"},
    {"removed", "rm '" + pc_ + "'"},
  };
  for (const auto &c : kChanges) {
    ASSERT_EQ(0, run(kSim + " reset").exit_code);
    const std::string out = pc_ + ".watch";
    ASSERT_EQ(0, std::system(("(" + kSim + " watch 2 >" + out + " 2>&1 &)").c_str()));
    usleep(400000);
    ASSERT_EQ(0, std::system(c.change.c_str())) << c.what;
    ToolRun plugged = run(kSim + " plug pellin@310");
    EXPECT_EQ(0, plugged.exit_code) << c.what << ": " << plugged.err;
    sleep(2);
    std::string text = slurp(out);
    unlink(out.c_str());
    EXPECT_TRUE(has(text, "goes on with the one there now")) << c.what << ": " << text;
    EXPECT_TRUE(has(text, "pellin@310 plugged")) << c.what << ": " << text;
  }
}

}  // namespace
