// Where the simulated PC lives: one file, mapped shared by every process
// that uses it (native mmap MAP_SHARED; on Windows, and under Wine through
// the file's Z: path, a file mapping of the same file).
//
// The file is named by the environment variable KESTAN_SIM_PC (a path; under
// Wine a path starting with "/" is taken through Z:). Without it, one PC per
// user: $XDG_RUNTIME_DIR/kestan-sim.pc, else /tmp/kestan-sim-$USER.pc (the
// same file for native programs and Win32 programs under Wine), and on
// Windows %TEMP%\kestan-sim.pc.
//
// A missing file is made from a fresh image that the caller fills; a file
// of another version or a damaged one is replaced by a fresh one with a
// one-line message. A new file appears complete (it is written aside and
// then linked into place), so no process ever maps a half-made PC. When the
// file cannot be made or mapped (unwritable folder, full disk), the process
// says so and runs a private PC of its own in memory.
#ifndef KIT_SIM_PC_FILE_H
#define KIT_SIM_PC_FILE_H

#include "pc_state.h"

namespace sim {

constexpr const char *kPcVariable = "KESTAN_SIM_PC";

struct PcPlace {
  PcState *pc;
  bool shared;     // false: the private in-process PC
  char path[512];  // the file, as the variable or the default named it
};

// Fills image (zeroed) as a fresh PC.
using FreshPc = void (*)(PcState &image);

PcPlace open_pc(FreshPc fresh);

}  // namespace sim

#endif
