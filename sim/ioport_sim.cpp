// Simulator build of ioport: the port seam served by the virtual bus.
#include "ioport.h"

#include "bus.h"

using sim::Bus;

extern "C" {

unsigned char IOPORT_API io_in8(unsigned short port) { return Bus::instance().in8(port); }

unsigned short IOPORT_API io_in16(unsigned short port) { return Bus::instance().in16(port); }

void IOPORT_API io_out8(unsigned short port, unsigned char value) { Bus::instance().out8(port, value); }

void IOPORT_API io_out16(unsigned short port, unsigned short value) {
  Bus::instance().out16(port, value);
}

int IOPORT_API io_claim(unsigned short base, unsigned short length, const char *card) {
  return Bus::instance().claim(base, length, card);
}

void IOPORT_API io_release(unsigned short base) { Bus::instance().release(base); }

int IOPORT_API io_irq_attach(int level, io_irq_handler handler, void *context) {
  return Bus::instance().irq_attach(level, handler, context);
}

int IOPORT_API io_irq_detach(int level) { return Bus::instance().irq_detach(level); }

}  // extern "C"
