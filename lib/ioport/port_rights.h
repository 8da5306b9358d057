// The right to touch a port, on Linux, for the hardware build of ioport.
//
// The kernel's port rights (ioperm) belong to one thread: a thread gets the
// ones its creator held, nothing granted later. So the process keeps one
// table of ranges it wants, and each thread, at its first access to a
// range (or after the table grew), makes them its own: by asking (ioperm,
// root or CAP_SYS_RAWIO), or, when asking is refused, by finding them held
// already (given by the parent across exec, or granted before the program
// gave up root), which a guarded probe read tells. A range the thread has
// no right to is never entered: reads give FFH, writes are dropped.
//
// The ranges are the ones the card libraries claim (io_claim) and, for a
// library that claims nothing (the kestan driver), the eight ports of a card
// slot in the card window 200H-3FFH that holds the port. Nothing else is
// ever asked for.
#ifndef KIT_IOPORT_PORT_RIGHTS_H
#define KIT_IOPORT_PORT_RIGHTS_H

#include <cstddef>

namespace ioport {

// The system calls behind the rights; tests give their own.
struct System {
  int (*ioperm)(unsigned long from, unsigned long num, int turn_on);  // 0, or -1 with errno
  bool (*locked_down)();               // the kernel refuses port access to user space
  bool (*probe)(unsigned short port);  // a read of port runs without a fault
};
const System &real_system();
void use_system(const System *system);  // nullptr: the real one

// Results as io_rights gives them (IO_RIGHTS_*).
int thread_may_access(unsigned short port, unsigned width);
int rights_for(unsigned short base, unsigned short length, char *reason, size_t size);
// A claimed range joins the table (no system call until it is used).
void add_claimed_range(unsigned short base, unsigned short length);
// Forget every range and every thread's rights record (tests).
void reset_rights();

}  // namespace ioport

#endif
