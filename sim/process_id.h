// Processes as the shared simulated PC knows them: the operating system's
// process id (the Linux id for a native program and for a Win32 program
// under Wine alike, which is a Linux process too) together with a stamp of
// that process's start (its start time and the machine's boot id), so that
// the PC's lock, claims and interrupt levels can tell whether their owner
// still runs, whichever kind of program asks. An id alone would not do: a
// reused id, PID 1, a file kept from an earlier boot or a process of
// another PID namespace would look alive for ever.
//
// An identity is one 64-bit word (id in the low half, stamp in the high
// half), so that the lock can take it with one compare-and-swap.
#ifndef KIT_SIM_PROCESS_ID_H
#define KIT_SIM_PROCESS_ID_H

#include <cstddef>
#include <cstdint>

namespace sim {

using ProcessId = uint64_t;

// This process (never 0).
ProcessId this_process();
// Whether the process still runs (a zombie does not): its id names a
// running process that started when the stamp says, in this boot.
bool process_alive(ProcessId id);
// The system's process id in it, for messages and iosim_claims.
inline uint32_t process_number(ProcessId id) { return static_cast<uint32_t>(id); }
// "1234 (kestan-io)" or "1234" into text.
void describe_process(ProcessId id, char *text, size_t size);
#ifdef _WIN32
// Under Wine: the Linux user this process runs as (from /proc), for the
// per-user folder the native programs use.
unsigned linux_user();
#endif

}  // namespace sim

#endif
