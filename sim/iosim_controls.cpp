// The iosim controls of the simulated PC (sim/iosim.h).
#include "iosim.h"

#include "bus.h"
#include "clock.h"

using sim::Bus;
using sim::CardModel;

extern "C" {

int iosim_plug(const char *kind, unsigned short base) { return Bus::instance().plug(kind, base); }

int iosim_unplug(unsigned short base) { return Bus::instance().unplug(base); }

void iosim_clear_rack(void) { Bus::instance().clear_rack(); }

void iosim_reset(void) { Bus::instance().reset(); }

int iosim_load_rack(const char *rack) { return Bus::instance().load_rack(rack); }

int iosim_card_at(unsigned short port, char *kind, int size) {
  return Bus::instance().card_at(port, kind, size);
}

int iosim_cards(iosim_card_info *out, int max) { return Bus::instance().cards(out, max); }

int iosim_claims(iosim_claim_info *out, int max) { return Bus::instance().claims(out, max); }

int iosim_pc_file(char *path, int size) { return Bus::instance().place(path, size); }

unsigned long long iosim_pc_id(void) { return Bus::instance().pc_id(); }

int iosim_set_card_irq(unsigned short base, int level) {
  return Bus::instance().set_card_irq(base, level);
}

int iosim_drive_inputs(unsigned short base, int bank, unsigned int mask, unsigned int value) {
  return Bus::instance().with_card(
      base, [&](CardModel &card) { return card.drive_inputs(bank, mask, value); });
}

int iosim_release_inputs(unsigned short base, int bank, unsigned int mask) {
  return Bus::instance().with_card(base,
                                   [&](CardModel &card) { return card.release_inputs(bank, mask); });
}

int iosim_set_loopback(unsigned short base, int on) {
  return Bus::instance().with_card(base, [&](CardModel &card) {
    card.set_loopback(on != 0);
    return true;
  });
}

int iosim_read_outputs(unsigned short base, int bank, unsigned int *value) {
  if (!value) return IOSIM_INVALID;
  return Bus::instance().with_card(base, [&](CardModel &card) {
    uint32_t v;
    if (!card.outputs(bank, &v)) return false;
    *value = v;
    return true;
  });
}

int iosim_read_inputs(unsigned short base, int bank, unsigned int *value) {
  if (!value) return IOSIM_INVALID;
  return Bus::instance().with_card(base, [&](CardModel &card) {
    uint32_t v;
    if (!card.inputs(bank, &v)) return false;
    *value = v;
    return true;
  });
}

void iosim_journal_enable(int on) { Bus::instance().journal_enable(on != 0); }

void iosim_journal_clear(void) { Bus::instance().journal_clear(); }

unsigned long iosim_journal_total(void) {
  return static_cast<unsigned long>(Bus::instance().journal_total());
}

int iosim_journal_read(iosim_access *out, int max) { return Bus::instance().journal_read(out, max); }

void iosim_clock_manual(int on) { Bus::instance().clock_manual(on != 0); }

void iosim_clock_advance_ns(unsigned long long ns) { Bus::instance().clock_advance(ns); }

unsigned long long iosim_clock_now_ns(void) {
  Bus::instance();  // the clock is the PC's
  return sim::clock_now_ns();
}

}  // extern "C"
