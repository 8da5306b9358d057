// A PC file cut short under a running program (truncate, a full disk that
// lost it): the next access of the missing part faults (SIGBUS; under Wine
// an in-page error). The program then ends with one line that names the
// file and status kPcFailedStatus, rather than dying of a bare signal.
// Faults elsewhere are left to what would have handled them.
#ifndef KIT_SIM_PC_FAULT_H
#define KIT_SIM_PC_FAULT_H

#include <cstddef>

namespace sim {

// Watch the mapping of the PC file at path (up to a few at once: an old
// mapping stays after the process moved to a new file).
void watch_pc_mapping(const void *at, size_t size, const char *path);

}  // namespace sim

#endif
