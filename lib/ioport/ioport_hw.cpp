// Hardware build of ioport: real x86 in/out instructions.
//
// A program without the right to touch ports must not crash. On Linux each
// thread takes the rights of a range at its first access to it, by asking
// (ioperm) or by finding them held (port_rights.h); on Windows the first
// in/out that faults with a privileged-instruction exception is stepped over
// by a vectored exception handler. Either way the cause and the remedy are
// said once, then every read gives FFH (what an empty bus reads) and every
// write is dropped.
#include "ioport.h"
#include "port_claims.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#if !defined(__i386__) && !defined(__x86_64__)
#error "the hardware build of ioport needs an x86 processor"
#endif

#ifdef _WIN32
#include <windows.h>
#else
#include "port_rights.h"
#endif

namespace {

void say(const char *text) {
#ifdef _WIN32
  OutputDebugStringA(text);
#endif
  std::fputs(text, stderr);
  std::fflush(stderr);
}

std::mutex g_claims_lock;
ioport::PortClaims g_claims;

#ifdef _WIN32

enum class Access { Unknown, Granted, Denied };
std::atomic<Access> g_access{Access::Unknown};
std::once_flag g_told;

void tell_denied(const char *cause) {
  std::call_once(g_told, [cause] {
    char text[512];
    std::snprintf(text, sizeof text,
                  "ioport: this process may not access I/O ports (%s).\n"
                  "ioport: reads now give FFH and writes are dropped.\n"
                  "ioport: install a port-access driver that grants user-mode port I/O,\n"
                  "ioport: or run the programs of the simulator folder instead.\n",
                  cause);
    say(text);
  });
}

// Set while this thread executes one of our port instructions, so that the
// exception handler never steps over someone else's fault. The asm
// statements clobber memory so the compiler keeps the store before them.
thread_local bool t_in_port_instruction = false;

// The two registers of the faulting thread the handler works on, by their
// names in this processor's CONTEXT: the instruction pointer and the
// accumulator (EIP and EAX of 32-bit code, RIP and RAX of 64-bit code).
struct FaultRegisters {
#ifdef _WIN64
  DWORD64 &ip;
  DWORD64 &accumulator;
  explicit FaultRegisters(CONTEXT &c) : ip(c.Rip), accumulator(c.Rax) {}
#else
  DWORD &ip;
  DWORD &accumulator;
  explicit FaultRegisters(CONTEXT &c) : ip(c.Eip), accumulator(c.Eax) {}
#endif
};

LONG CALLBACK step_over_port_fault(EXCEPTION_POINTERS *info) {
  if (!t_in_port_instruction ||
      info->ExceptionRecord->ExceptionCode != STATUS_PRIVILEGED_INSTRUCTION)
    return EXCEPTION_CONTINUE_SEARCH;
  FaultRegisters regs(*info->ContextRecord);
  const unsigned char *ip = reinterpret_cast<const unsigned char *>(regs.ip);
  // Our instructions: EC in al,dx; ED in eax,dx; EE out dx,al; EF out dx,eax;
  // each optionally behind the 66 operand-size prefix.
  unsigned length = 1;
  if (ip[0] == 0x66) { ++ip; ++length; }
  if (ip[0] < 0xEC || ip[0] > 0xEF) return EXCEPTION_CONTINUE_SEARCH;
  if (ip[0] == 0xEC || ip[0] == 0xED) regs.accumulator |= 0xFFFF;
  regs.ip += length;
  g_access.store(Access::Denied);
  return EXCEPTION_CONTINUE_EXECUTION;
}

bool may_access(unsigned short, unsigned) {
  Access a = g_access.load();
  if (a == Access::Denied) return false;
  if (a == Access::Unknown) {
    static std::once_flag installed;
    std::call_once(installed, [] { AddVectoredExceptionHandler(1, step_over_port_fault); });
  }
  return true;
}

struct PortInstruction {
  PortInstruction() { t_in_port_instruction = true; }
  ~PortInstruction() {
    t_in_port_instruction = false;
    if (g_access.load() == Access::Denied)
      tell_denied("the in/out instruction raised a privileged-instruction exception");
    else
      g_access.store(Access::Granted);
  }
};

#else

// Linux: the rights of the calling thread for the range that holds the port
// (port_rights.h); the kernel's refusal has been said once on stderr.
bool may_access(unsigned short port, unsigned width) {
  return ioport::thread_may_access(port, width) == IO_RIGHTS_OK;
}

struct PortInstruction {
  PortInstruction() {}  // nothing to mark: the rights were decided before the instruction
};

#endif

}  // namespace

extern "C" {

unsigned char IOPORT_API io_in8(unsigned short port) {
  if (!may_access(port, 1)) return 0xFF;
  unsigned char value;
  {
    PortInstruction guard;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port) : "memory");
  }
  return value;
}

unsigned short IOPORT_API io_in16(unsigned short port) {
  if (!may_access(port, 2)) return 0xFFFF;
  unsigned short value;
  {
    PortInstruction guard;
    __asm__ __volatile__("inw %w1, %w0" : "=a"(value) : "Nd"(port) : "memory");
  }
  return value;
}

void IOPORT_API io_out8(unsigned short port, unsigned char value) {
  if (!may_access(port, 1)) return;
  PortInstruction guard;
  __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port) : "memory");
}

void IOPORT_API io_out16(unsigned short port, unsigned short value) {
  if (!may_access(port, 2)) return;
  PortInstruction guard;
  __asm__ __volatile__("outw %w0, %w1" : : "a"(value), "Nd"(port) : "memory");
}

int IOPORT_API io_claim(unsigned short base, unsigned short length, const char *card) {
  std::lock_guard<std::mutex> lock(g_claims_lock);
  int result = g_claims.claim(base, length, card);
#ifndef _WIN32
  if (result == IO_CLAIM_OK) ioport::add_claimed_range(base, length);
#endif
  return result;
}

void IOPORT_API io_release(unsigned short base) {
  std::lock_guard<std::mutex> lock(g_claims_lock);
  g_claims.release(base);
}

int IOPORT_API io_irq_attach(int level, io_irq_handler handler, void *context) {
  (void)context;
  if (level < 0 || level > 15 || handler == nullptr) return IO_IRQ_INVALID;
  static std::once_flag told;
  std::call_once(told, [] {
    say("ioport: hardware interrupts cannot reach a user-mode program; an\n"
        "ioport: interrupt-driven acquisition needs a kernel driver. Use the\n"
        "ioport: simulator build to try the interrupt samples.\n");
  });
  return IO_IRQ_UNAVAILABLE;
}

int IOPORT_API io_irq_detach(int level) {
  if (level < 0 || level > 15) return IO_IRQ_INVALID;
  return IO_IRQ_NOT_ATTACHED;
}

#ifndef _WIN32
__attribute__((visibility("default"))) int io_rights(unsigned short base, unsigned short length,
                                                     char *reason, int size) {
  return ioport::rights_for(base, length, reason, size > 0 ? static_cast<size_t>(size) : 0);
}
__attribute__((visibility("default"))) const char *io_layer(void) { return "hardware"; }
#endif

}  // extern "C"
