/*
 * ioport: the toolkit's only way to the I/O port space.
 *
 * Every driver of the toolkit reaches its card through these functions and
 * never executes in/out itself. Two builds export the same functions:
 *   hardware  - real x86 in/out instructions (on Linux after ioperm);
 *   simulator - a virtual ISA bus with card models (see sim/iosim.h).
 * On Windows a program gets the ioport.dll that sits beside it. On Linux
 * the libraries link a libioport.so that passes every call on to one of
 * the two, chosen at run time by KESTAN_IOPORT=simulator|hardware
 * (hardware when unset), read at the first call.
 *
 * Port numbers are absolute 16-bit port addresses. A word access at port p
 * moves its low byte to or from p and its high byte to or from p + 1.
 */
#ifndef KIT_IOPORT_H
#define KIT_IOPORT_H

#ifdef _WIN32
#define IOPORT_API __stdcall
#else
#define IOPORT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

unsigned char  IOPORT_API io_in8(unsigned short port);
unsigned short IOPORT_API io_in16(unsigned short port);
void           IOPORT_API io_out8(unsigned short port, unsigned char value);
void           IOPORT_API io_out16(unsigned short port, unsigned short value);

/* Results of io_claim. */
#define IO_CLAIM_OK        0
#define IO_CLAIM_OVERLAP   1 /* part of the range belongs to another claim or card */
#define IO_CLAIM_INVALID   2 /* empty range, or one that leaves the port space */

/*
 * Announce that a card of the named kind ("orvel", "fenmar", ...) occupies
 * ports base to base + length - 1. The hardware build records the claim and
 * refuses one that overlaps a claim of another base. The simulator plugs a
 * model of that kind there when the range is empty. A claim of the same base
 * and kind again succeeds.
 */
int  IOPORT_API io_claim(unsigned short base, unsigned short length, const char *card);
void IOPORT_API io_release(unsigned short base);

/* Results of io_irq_attach and io_irq_detach. */
#define IO_IRQ_OK          0
#define IO_IRQ_UNAVAILABLE 1 /* interrupts cannot reach this process (hardware build) */
#define IO_IRQ_INVALID     2 /* level outside 0 to 15, or no handler */
#define IO_IRQ_BUSY        3 /* another handler holds the level */
#define IO_IRQ_NOT_ATTACHED 4

typedef void (IOPORT_API *io_irq_handler)(void *context);

/*
 * Run handler(context) on every interrupt of the level, as an interrupt
 * service routine would: it may run on another thread, at any time, until
 * io_irq_detach returns.
 */
int IOPORT_API io_irq_attach(int level, io_irq_handler handler, void *context);
int IOPORT_API io_irq_detach(int level);

/* Results of io_rights (Linux). */
#define IO_RIGHTS_OK       0
#define IO_RIGHTS_REFUSED  1 /* the kernel refused them: not root, no CAP_SYS_RAWIO */
#define IO_RIGHTS_LOCKDOWN 2 /* the kernel is locked down: no port access from user space */
#define IO_RIGHTS_NO_LAYER 3 /* the chosen port layer could not be loaded */
#define IO_RIGHTS_OUTSIDE  4 /* the range is neither claimed nor in a card's window 200H-3FFH */

/*
 * Whether this process (this thread and every later one) may access ports
 * base to base + length - 1, asking for the rights now if they are not
 * held yet. Tools call it before their first port access to tell a missing
 * right from an empty bus. reason (size bytes, may be NULL) receives one
 * line with the cause and the remedy, or "" when the rights are there. The
 * simulated PC grants every port.
 */
int IOPORT_API io_rights(unsigned short base, unsigned short length, char *reason, int size);
/* "hardware", "simulator" or "none": the layer that the calls reach. */
const char *IOPORT_API io_layer(void);

#ifdef __cplusplus
}
#endif

#endif
