#include "pc_state.h"

#include "card_catalog.h"

namespace sim {

namespace {

bool slot_sound(const SlotState &slot) {
  if (slot.used > 1 || slot.by_claim > 1 || slot.stand_in > 1) return false;
  if (!slot.used) return true;
  const CardKind *kind = card_kind_at(slot.kind);
  if (!kind || slot.length == 0 || slot.base + slot.length > kPortSpace) return false;
  return slot.jumper >= -1 && slot.jumper < kIrqLevels && slot.followed >= -1 &&
         slot.followed < kIrqLevels;
}

bool owners_sound(const PcState &pc) {
  for (unsigned port = 0; port < kPortSpace; ++port) {
    uint8_t s = pc.owner[port];
    if (s == kNoCard) continue;
    if (s >= kMaxCards) return false;
    const SlotState &slot = pc.slots[s];
    if (!slot.used || port < slot.base || port >= slot.base + slot.length) return false;
  }
  return true;
}

}  // namespace

bool pc_state_sound(const PcState &pc) {
  const PcHeader &h = pc.header;
  if (h.magic != kPcMagic || h.version != kPcVersion || h.size != sizeof(PcState) || h.retired) return false;
  if (pc.claim_count > kMaxClaims || pc.clock.manual > 1 || pc.journal.on > 1) return false;
  for (const SlotState &slot : pc.slots)
    if (!slot_sound(slot)) return false;
  return owners_sound(pc);
}

}  // namespace sim
