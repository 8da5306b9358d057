// The layout of the shared simulated PC, pinned for every build that maps
// it: 32-bit and 64-bit Windows programs (under Wine too) and native Linux
// programs share one PC file, so every part of it must sit at the same
// offset with the same size in each. Fixed-width fields alone do not make
// sure of that (a 64-bit field's alignment, a long's width differ between
// ABIs); these checks fail the build of the one that differs. A change
// here is a change of the file's layout: a new kPcVersion (pc_state.h).
#include <cstddef>

#include "cards/kestan_card.h"
#include "cards/lamp_cards.h"
#include "cards/ppi_card.h"
#include "cards/wendal_card.h"
#include "pc_state.h"

namespace sim {
namespace {

template <typename T, size_t Size, size_t Align>
constexpr bool has_layout() {
  return sizeof(T) == Size && alignof(T) == Align;
}

static_assert(offsetof(PcState, header) == 0 && offsetof(PcState, clock) == 32 &&
                  offsetof(PcState, irq) == 64 && offsetof(PcState, claim_count) == 320 &&
                  offsetof(PcState, claims) == 328 && offsetof(PcState, rack_text) == 2376 &&
                  offsetof(PcState, rack_given) == 2888 && offsetof(PcState, slots) == 2896 &&
                  offsetof(PcState, owner) == 20560 && offsetof(PcState, journal) == 86096,
              "the parts of the PC moved: new kPcVersion");
static_assert(offsetof(SlotState, card) == 40 && offsetof(ClockState, manual_now_ns) == 8 &&
                  offsetof(JournalState, ring) == 16,
              "a part of the PC changed inside: new kPcVersion");
static_assert(has_layout<PcHeader, 32, 8>() && has_layout<SlotState, 552, 8>() &&
                  has_layout<ClaimState, 32, 8>() && has_layout<IrqLevelState, 16, 8>() &&
                  has_layout<ClockState, 32, 8>() && has_layout<iosim_access, 8, 4>(),
              "a part of the PC changed size: new kPcVersion");
// Each card's registers, kept in its slot's card bytes.
static_assert(has_layout<KestanCard::State, 184, 8>() && has_layout<DigitalCard::State, 16, 4>() &&
                  has_layout<PpiCard::State, 62, 1>() && has_layout<WendalCard::State, 232, 8>(),
              "a card's state changed its layout: new kPcVersion");

}  // namespace
}  // namespace sim
