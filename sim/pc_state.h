// The whole simulated PC as plain data: the rack of cards with their
// register state, which card answers each port, the claims of the card
// libraries, the interrupt levels, the clock and the journal.
//
// It lives in one file mapped by every process of the user's session
// (pc_file.h), native Linux and Win32 alike, so it holds no pointers, no
// vtables and only fixed-size fields whose layout is the same in a 32-bit
// Windows build and a 64-bit Linux build (checked below). Every field is
// read and written under the PC's lock (pc_lock.h), except the few words
// the interrupt delivery touches with atomic operations.
#ifndef KIT_SIM_PC_STATE_H
#define KIT_SIM_PC_STATE_H

#include <cstdint>
#include <type_traits>

#include "card_model.h"
#include "iosim.h"

namespace sim {

constexpr uint32_t kPcMagic = 0x5043534B;  // "KSCP"
// Any change of the layout below (or of a card's State) takes a new version:
// a PC file of another version is replaced by a fresh one.
constexpr uint32_t kPcVersion = 2;

constexpr int kMaxCards = 32;
constexpr unsigned kPortSpace = 0x10000;
constexpr uint8_t kNoCard = 0xFF;
constexpr int kMaxClaims = 64;
constexpr int kIrqLevels = 16;
constexpr int kRackTextBytes = 512;

struct PcHeader {
  uint32_t magic;
  uint32_t version;
  uint32_t size;     // sizeof(PcState)
  // Set in a file that another process replaced (its version or its tables
  // were not sound): whoever still maps it moves to the PC now at the path.
  // At this place in every version.
  uint32_t retired;
  alignas(8) uint64_t lock;  // identity of the holder (process_id.h), 0 when free
  uint64_t born;  // when and by whom the PC was made: tells it from a later one at its path
};

struct SlotState {
  uint32_t used;
  int32_t kind;       // place in the card catalog
  uint32_t base;
  uint32_t length;
  int32_t jumper;     // interrupt level set on the card, -1: follows the driver
  int32_t followed;   // level adopted from the driver's io_irq_attach
  uint32_t by_claim;  // plugged by a library's claim; leaves when its ports are needed
  // The default rack's card, standing in for the user's card: a claim of
  // other ports over it takes it out, as the user's PC holds that card.
  uint32_t stand_in;
  uint32_t generation;  // changes with every plug: views of the old card are stale
  alignas(8) unsigned char card[kCardStateBytes];
};

struct ClaimState {
  uint32_t base;
  uint32_t length;
  alignas(8) uint64_t process;  // who claimed it (process_id.h)
  char card[16];
};

struct IrqLevelState {
  alignas(8) uint64_t owner;  // process whose handler serves the level, 0: none
  uint32_t pending;           // requests not yet served (atomic)
  uint32_t reserved;
};

struct ClockState {
  uint32_t manual;
  uint32_t reserved;
  uint64_t manual_now_ns;
  int64_t offset_ns;  // jumps ahead and the continuity across manual stretches
  int64_t epoch_wall_ns;  // wall-clock time at which the PC's clock read 0
};

struct JournalState {
  uint32_t on;
  uint32_t reserved;
  uint64_t total;
  iosim_access ring[IOSIM_JOURNAL_CAPACITY];
};

struct PcState {
  PcHeader header;
  ClockState clock;
  IrqLevelState irq[kIrqLevels];
  uint32_t claim_count;
  uint32_t generations;  // source of SlotState::generation
  ClaimState claims[kMaxClaims];
  char rack_text[kRackTextBytes];  // KESTAN_SIM_RACK as the PC was made with it
  uint32_t rack_given;
  uint32_t reserved;
  SlotState slots[kMaxCards];
  uint8_t owner[kPortSpace];  // slot answering each port, kNoCard
  JournalState journal;
};

static_assert(std::is_trivially_copyable<PcState>::value, "the PC is plain data");
static_assert(sizeof(iosim_access) == 8, "journal entries are the same in every build");
// The same size in every build: a 32-bit and a 64-bit process share the file.
static_assert(sizeof(PcState) == 610144 + 8 * kMaxCards, "the layout of the PC changed: new kPcVersion");

// Whether a mapped PC can be trusted: this version, and a rack whose tables
// agree (kinds known, ranges inside the port space, ports owned by the
// cards that cover them). A PC that fails is replaced, never used.
bool pc_state_sound(const PcState &pc);

}  // namespace sim

#endif
