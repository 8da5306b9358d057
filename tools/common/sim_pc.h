// The simulated PC as the tools reach it through whichever port layer the
// process took (libioport.so's choice, or the simulator linked directly):
// its file, and a card's output lines as the PC itself holds them. Every
// call says false when the calls do not reach a simulated PC.
#ifndef KIT_TOOLS_SIM_PC_H
#define KIT_TOOLS_SIM_PC_H

#include <cstddef>

namespace cardio {

// The PC's file into path; false for a private PC (or none).
bool sim_pc_file(char *path, size_t size);
// What the card at base drives on the lines of bank (iosim.h).
bool sim_outputs(int base, int bank, unsigned *value);
// Which machine the calls reach, for the records: the simulated PC (its
// iosim_pc_id) or the real PC's boot. Into text.
void machine_id(bool simulator, char *text, size_t size);

}  // namespace cardio

#endif
