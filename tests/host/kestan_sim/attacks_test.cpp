// Another user on the same machine (uid 65534) against the tools run as
// root: each row is one attack, the attacker's steps as that user, then the
// victim's run, then a check that nothing of the victim's changed and that
// the victim's run said why it refused. A private /tmp (a mount namespace
// of this test's own) stands in for the machine's, and XDG_RUNTIME_DIR is
// unset, so the tools take their places in /tmp.
#include <gtest/gtest.h>

#include <sched.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Shell {
  int exit_code;
  std::string err;
};

// script through sh with $SIM, $IO and $PC set; as uid 65534 when attacker.
// What it says on stderr is the answer.
Shell sh(const std::string &script, bool attacker) {
  std::string env = "env -u XDG_RUNTIME_DIR -u KESTAN_SIM_PC -u KESTAN_IO_STATE_DIR SIM='" KESTAN_SIM_PATH
                    "' IO='" KESTAN_IO_PATH " --simulator --base 0x2A8' PC=/tmp/kestan-sim-0/kestan-sim.pc ";
  if (attacker) env += "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  std::string quoted;
  for (char c : script) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  FILE *said = popen((env + "sh -c '" + quoted + "' 2>&1 >/dev/null").c_str(), "r");
  Shell run{-1, ""};
  char chunk[512];
  for (size_t n; said && (n = std::fread(chunk, 1, sizeof chunk, said)) > 0;) run.err.append(chunk, n);
  int status = said ? pclose(said) : -1;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

// The folder of /tmp that holds this build (a clone made in /tmp), or "" when
// the build lies elsewhere: the private /tmp must still show it.
std::string build_in_tmp() {
  const std::string tool = KESTAN_IO_PATH;
  if (tool.rfind("/tmp/", 0) != 0) return "";
  return tool.substr(0, tool.find('/', 5));
}

// This test's own /tmp, so that what the attacker plants there touches
// nothing else on the machine; a build that lies in /tmp is bound back in
// at its own path.
bool private_tmp() {
  static const bool made = [] {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    const std::string build = build_in_tmp();
    const int held = build.empty() ? -1 : open(build.c_str(), O_PATH | O_DIRECTORY);
    if (!build.empty() && held < 0) return false;
    bool ok = mount("kestan-attacks", "/tmp", "tmpfs", 0, "mode=1777") == 0;
    if (ok && held >= 0) {
      const std::string source = "/proc/self/fd/" + std::to_string(held);
      ok = mkdir(build.c_str(), 0755) == 0 && mount(source.c_str(), build.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0;
    }
    if (held >= 0) close(held);
    return ok;
  }();
  return made;
}

// Empties the private /tmp between attacks, all but the build bound into it.
std::string empty_tmp() {
  const std::string build = build_in_tmp();
  return "find /tmp -mindepth 1 -maxdepth 1" + (build.empty() ? std::string() : " ! -path '" + build + "'") +
         " -exec rm -rf {} +";
}

struct Attack {
  const char *what;
  const char *attack;    // as uid 65534
  const char *victim;    // as root
  int status;            // of the victim's run
  const char *said;      // in what the victim's run said
  const char *unharmed;  // as root afterwards: exits 0 when nothing of the victim's changed
};

const char kSecret[] = "echo secret > /tmp/victim-secret; chmod 600 /tmp/victim-secret; ";

const Attack kAttacks[] = {
  {"a records folder of another user's with a symlink to a file of the victim's",
   "mkdir -p /tmp/kestan-io-0/simulator && chmod -R 777 /tmp/kestan-io-0 && "
   "ln -s /tmp/victim-secret /tmp/kestan-io-0/simulator/card-2A8.state",
   "$IO write 5 1", 10, "/tmp/kestan-io-0 belongs to user 65534", "grep -qx secret /tmp/victim-secret"},
  {"a planted record that would switch outputs on",
   "mkdir -p /tmp/kestan-io-0/simulator && chmod -R 777 /tmp/kestan-io-0 && "
   "printf 'kestan card state 1\\nkind kestan\\nport 0 0xF0\\noutput-groups 0x0\\n' > "
   "/tmp/kestan-io-0/simulator/card-2A8.state",
   "$IO write 3 1", 10, "belongs to user 65534", "$SIM status | grep -q 'outputs 0x00000000'"},
  {"a valid PC of another user's, open to all, at the victim's default place",
   "mkdir -p /tmp/kestan-sim-0 && chmod 777 /tmp/kestan-sim-0 && KESTAN_SIM_PC=$PC $SIM status && chmod 666 $PC",
   "$SIM plug orvel@300", 1, "/tmp/kestan-sim-0 belongs to user 65534",
   "! KESTAN_SIM_PC=$PC $SIM status | grep -q orvel"},
  {"KESTAN_SIM_PC naming the attacker's PC", "KESTAN_SIM_PC=/tmp/theirs.pc $SIM status && chmod 666 /tmp/theirs.pc",
   "KESTAN_SIM_PC=/tmp/theirs.pc $IO write 2 1", 3, "belongs to user 65534",
   "! KESTAN_SIM_PC=/tmp/theirs.pc $SIM status | grep -q 'outputs 0x00000004'"},
  {"KESTAN_SIM_PC naming a file that is no PC", "", "echo notes > /tmp/notes.txt; KESTAN_SIM_PC=/tmp/notes.txt $IO read 5",
   3, "is no simulated PC: left as it is", "grep -qx notes /tmp/notes.txt"},
  {"KESTAN_SIM_PC naming a symlink", "", "ln -s /tmp/victim-secret /tmp/link.pc; KESTAN_SIM_PC=/tmp/link.pc $SIM status",
   1, "it is a symlink", "grep -qx secret /tmp/victim-secret"},
  {"KESTAN_SIM_PC naming a device", "", "KESTAN_SIM_PC=/dev/null $SIM status", 1, "no regular file", "test -c /dev/null"},
  {"KESTAN_SIM_PC in a folder that does not exist", "", "KESTAN_SIM_PC=/tmp/no/such/pc.pc $SIM status", 1,
   "does not exist", "! test -e /tmp/no"},
  {"a PC of one's own that is damaged is replaced", "",
   "printf KSCPjunk > /tmp/own.pc; chmod 600 /tmp/own.pc; KESTAN_SIM_PC=/tmp/own.pc $SIM status", 0,
   "replaced by a fresh one", "KESTAN_SIM_PC=/tmp/own.pc $SIM status 2>&1 | grep -q kestan@2A8"},
  {"the PC file cut short under a running program", "",
   "$SIM status; $SIM watch 5 & sleep 0.5; truncate -s 4096 $PC; wait $!", 75,
   "was cut short", "true"},
};

TEST(Attacks, NothingOfTheVictimsIsReadWrittenOrFollowed) {
  if (getuid() != 0) GTEST_SKIP() << "the attacker is another user: needs root to become one";
  if (!private_tmp()) GTEST_SKIP() << "no private /tmp (mount namespace) here";
  for (const Attack &a : kAttacks) {
    SCOPED_TRACE(a.what);
    ASSERT_EQ(0, std::system(empty_tmp().c_str()));
    ASSERT_EQ(0, sh(kSecret, false).exit_code);
    if (*a.attack) {
      ASSERT_EQ(0, sh(a.attack, true).exit_code) << "the attacker's steps";
    }
    Shell victim = sh(a.victim, false);
    EXPECT_EQ(a.status, victim.exit_code) << victim.err;
    EXPECT_NE(std::string::npos, victim.err.find(a.said)) << victim.err;
    EXPECT_EQ(0, sh(a.unharmed, false).exit_code) << "the victim's things changed";
  }
}

}  // namespace
