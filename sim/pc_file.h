// Where the simulated PC lives: one file, mapped shared by every process
// that uses it (native mmap MAP_SHARED; on Windows, and under Wine through
// the file's Z: path, a file mapping of the same file).
//
// The file is named by the environment variable KESTAN_SIM_PC (a path; under
// Wine a path starting with "/" is taken through Z:); KESTAN_SIM_PC=private
// asks for a private PC in memory. Without it, one PC per user:
// $XDG_RUNTIME_DIR/kestan-sim.pc, else /tmp/kestan-sim-UID/kestan-sim.pc (the
// same file for native programs and Win32 programs under Wine; the folder
// is made 0700 and must be the user's own), and on Windows
// %TEMP%\kestan-sim.pc.
//
// Only a file of the user's own that nobody else may use is mapped (a
// native program checks; a Win32 program cannot see owners). A missing
// file is made from a fresh image that the caller fills; a file that
// carries the PC's signature but is of another version or damaged is
// replaced by a fresh one with a one-line message, and marked retired so
// that the programs still on it move to the new one. Anything else there
// (another user's file, a symlink, a device, a file that is no PC) is left
// untouched and refused, and so is a folder that does not exist. A new file
// appears complete (written under a unique name and then linked into
// place), so no process ever maps a half-made PC. When the file cannot be
// used, the process says why and runs a private PC of its own in memory.
#ifndef KIT_SIM_PC_FILE_H
#define KIT_SIM_PC_FILE_H

#include <cstdint>

#include "pc_state.h"

namespace sim {

constexpr const char *kPcVariable = "KESTAN_SIM_PC";
constexpr const char *kPrivatePc = "private";
// The status a program ends with when its PC fails under it (its file cut
// short, a holder of the lock that does not let go).
constexpr int kPcFailedStatus = 75;

struct PcPlace {
  PcState *pc;
  bool shared;     // false: the private in-process PC
  bool asked_private;  // KESTAN_SIM_PC=private
  char path[512];  // the file, as the variable or the default named it
  uint64_t device, file;  // which file is mapped (to tell when the path names another)
};

// Fills image (zeroed) as a fresh PC.
using FreshPc = void (*)(PcState &image);

PcPlace open_pc(FreshPc fresh);

// Whether the path of a shared PC still names the file that is mapped; false
// when it was removed or replaced (or the mapped PC was retired).
bool pc_file_current(const PcPlace &place);

// Ends the process with one line on stderr (status kPcFailedStatus).
[[noreturn]] void pc_failed(const char *what);

}  // namespace sim

#endif
