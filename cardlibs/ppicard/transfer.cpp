// The interrupt transfer of a port card: two registered buffers (direction 1
// filled from a port group, direction 2 sent to one), armed for N
// interrupts, served by a handler attached at the card's interrupt level.
//
// Order of a served interrupt: the direction-2 value of slot i goes out, then
// the direction-1 group is read into slot i, then the count becomes i + 1
// (release: whoever sees the count sees the value), and after slot N - 1 the
// status becomes done (after the count). A query reads the status before the
// count, so "done" always comes with the full count.
//
// Arming re-asserts the directions of every channel that holds the
// direction-1 group: a program may have written the channel's control
// register between registering and arming (the interrupt samples write 80H,
// all outputs), and an input left as output would read back its own latch,
// not the lines. Channels that only send are left as the program set them, so
// that a trigger line the program made an output stays one.
//
// Arming also puts the pattern group at 0, where it idles until the first
// interrupt sends slot 0: the shadow may still hold the last value of an
// earlier transfer that the program has since overwritten on the card, and
// writing it back would leave a trigger line on that port high (the Fenmar
// sample pulses line 0 of its pattern port), so the first pulse would be lost.
//
// Where no interrupt can be attached (the hardware build), the transfer stays
// armed and never progresses, as with a card that does not answer: the query
// keeps reporting running with its count, arming reports
// Interrupt_Unavailable.
#include "ioport.h"
#include "ppi_card_lib.h"
#include "ppi_groups.h"

namespace ppicard {

namespace {

void IOPORT_API serve_interrupt(void *context) {
  Card &card = *static_cast<Card *>(context);
  Transfer &t = card.transfer;
  if (t.status.load(std::memory_order_acquire) != kTransferRunning) return;
  const int i = t.count.load(std::memory_order_relaxed);  // only this handler moves it
  if (i >= t.total) return;
  if (t.out.used) output_group(card, t.out.channel, t.out.group, static_cast<unsigned>(t.out.buffer[i]));
  if (t.in.used) t.in.buffer[i] = input_group(card, t.in.channel, t.in.group);
  t.count.store(i + 1, std::memory_order_release);
  if (i + 1 == t.total) t.status.store(kTransferDone, std::memory_order_release);
}

bool longer_than_buffer(const Registration &r, int count) { return r.used && count > r.length; }

}  // namespace

void transfer_end(Card &card) {
  Transfer &t = card.transfer;
  if (t.attached) {
    io_irq_detach(t.level);  // the handler has run for the last time when this returns
    t.attached = false;
  }
  if (t.status.load(std::memory_order_acquire) != kTransferIdle)
    t.status.store(kTransferDone, std::memory_order_release);
}

void transfer_reset(Card &card) {
  transfer_end(card);
  Transfer &t = card.transfer;
  t.total = 0;
  t.count.store(0, std::memory_order_relaxed);
  t.status.store(kTransferIdle, std::memory_order_release);
}

int transfer_setup(Library &lib) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  transfer_reset(*c);
  Transfer &t = c->transfer;
  t.in = Registration{};
  t.out = Registration{};
  return No_Error;
}

int transfer_buffer(Library &lib, int code, int direction, int32_t *buffer, int count) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  int channel = 0, group = 0;
  if (!decode_port_code(*lib.rules, code, &channel, &group)) return Invalid_Port_Code;
  if (direction != kDirectionIn && direction != kDirectionOut) return Invalid_Direction;
  if (count < 1) return Invalid_Count;
  if (!buffer) return Invalid_Pointer;
  Transfer &t = c->transfer;
  if (t.status.load(std::memory_order_acquire) == kTransferRunning) return Transfer_Running;
  set_group_direction(*c, channel, group, direction == kDirectionIn);
  Registration &r = direction == kDirectionIn ? t.in : t.out;
  r.used = true;
  r.channel = channel;
  r.group = group;
  r.buffer = buffer;
  r.length = count;
  return No_Error;
}

int transfer_arm(Library &lib, int count) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  Transfer &t = c->transfer;
  if (longer_than_buffer(t.in, count) || longer_than_buffer(t.out, count)) return Invalid_Count;
  transfer_end(*c);
  t.total = count;
  t.count.store(0, std::memory_order_relaxed);
  t.status.store(kTransferDone, std::memory_order_release);
  if (count <= 0) return No_Error;  // nothing to gather: done at once
  if (t.out.used) write_group_lines(*c, t.out.channel, t.out.group, 0);
  if (t.in.used) reassert_channel(*c, t.in.channel);
  t.status.store(kTransferRunning, std::memory_order_release);
  t.level = c->irq;
  if (io_irq_attach(t.level, serve_interrupt, c) != IO_IRQ_OK) return Interrupt_Unavailable;
  t.attached = true;
  return No_Error;
}

// A free slot has nothing armed, and says so: a program that looks only at
// the status must not take a card it never set up for a finished one.
int transfer_query(Library &lib, int *status, int *count) {
  Card *c = current_card(lib);
  if (!c) {
    if (status && count) {
      *status = kTransferIdle;
      *count = 0;
    }
    return Card_Not_Initial;
  }
  if (!status || !count) return Invalid_Pointer;
  const Transfer &t = c->transfer;
  const int s = t.status.load(std::memory_order_acquire);
  *count = t.count.load(std::memory_order_acquire);
  *status = s;
  return No_Error;
}

int transfer_stop(Library &lib, int *count) {
  Card *c = current_card(lib);
  if (!c) return Card_Not_Initial;
  if (!count) return Invalid_Pointer;
  transfer_end(*c);
  *count = c->transfer.count.load(std::memory_order_acquire);
  return No_Error;
}

}  // namespace ppicard
