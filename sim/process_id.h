// Processes as the shared simulated PC knows them: by the operating
// system's process id, the Linux id for a native program and for a Win32
// program under Wine alike (which is a Linux process too), so that the
// PC's lock, claims and interrupt levels can tell whether their owner still
// runs, whichever kind of program asks.
#ifndef KIT_SIM_PROCESS_ID_H
#define KIT_SIM_PROCESS_ID_H

#include <cstdint>

namespace sim {

// This process (never 0).
uint32_t this_process();
// Whether the process still runs (a zombie does not).
bool process_alive(uint32_t id);

}  // namespace sim

#endif
