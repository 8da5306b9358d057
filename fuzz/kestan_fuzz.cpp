// The kestan driver under any sequence of its thirteen calls with any
// arguments, on the simulated PC. A small mirror of the card table (slot
// states, bases, current card, output shadow) follows the library's own
// results and says which ports a call may touch and what Read_Back must give.
#include <climits>
#include <cstdint>
#include <cstring>

#include "card_table.h"
#include "fuzz_check.h"
#include "kestan.h"

namespace fuzz {
namespace {

constexpr int kCards = 8;
constexpr int kPorts = 4;
constexpr int kPorts16 = 2;
constexpr int kChannels = 32;
constexpr int kCounters = 3;
constexpr int kModes = 6;
constexpr int kCardPorts = 8;
constexpr int kControlOffset = 7;  // write only: never read
constexpr uint32_t kWordCanary = static_cast<uint32_t>(kCanary);
// Port accesses of one successful call: one for a digital call; control
// word and two count bytes to start or read a counter; both to stop one.
constexpr size_t kDigitalAccesses = 1;
constexpr size_t kTimerStartAccesses = 3;
constexpr size_t kTimerReadAccesses = 3;
constexpr size_t kTimerStopAccesses = 6;
// Time passing between calls: 20 ms is 20,000 counts of the 1 MHz clock,
// every count range of a short period; the simulator steps each output
// edge, so longer jumps at small counts only slow the fuzzing down.
constexpr uint64_t kMaxAdvanceNs = 20000000;

const int kCardEdges[] = {-1, 0, 7, 8, INT_MIN, INT_MAX};
const int kBaseEdges[] = {0x1F8, 0x200, 0x204, 0x2A8, 0x2A9, 0x300, 0x3F8, 0x3FF, 0x400,
                          -0x2A8, 0x102A8, INT_MIN, INT_MAX};
const int kSmallEdges[] = {-1, 0, 1, 2, 3, 4, 5, 6, 31, 32, 255, 256, 257, INT_MIN, INT_MAX};

struct MirrorSlot {
  bool initialised;
  int base;
  uint8_t shadow[kPorts];
};

// Zero at start like the library's table; the shadow and the current card
// outlive a reload, so they carry over from input to input as in the library.
MirrorSlot g_slot[kCards];
int g_current;

// Codes each call documents (-1 ends a list).
const int kInitialCodes[] = {No_Error, Invalid_Card_Number, Invalid_Base_Address, Base_Address_In_Use, -1};
const int kSetCardCodes[] = {No_Error, Card_Not_Initial, Invalid_Card_Number, -1};
const int kGetCardCodes[] = {No_Error, Card_Not_Initial, Invalid_Pointer, -1};
const int kDi8Codes[] = {No_Error, Card_Not_Initial, Invalid_Port_Number, Invalid_Pointer, -1};
const int kDiChannelCodes[] = {No_Error, Card_Not_Initial, Invalid_Channel_Number, Invalid_Pointer, -1};
const int kDi16Codes[] = {No_Error, Card_Not_Initial, Invalid_Port16_Number, Invalid_Pointer, -1};
const int kDo8Codes[] = {No_Error, Card_Not_Initial, Invalid_Port_Number, -1};
const int kDoChannelCodes[] = {No_Error, Card_Not_Initial, Invalid_Channel_Number, Invalid_DO_Value, -1};
const int kDo16Codes[] = {No_Error, Card_Not_Initial, Invalid_Port16_Number, -1};
const int kReadBackCodes[] = {No_Error, Card_Not_Initial, Invalid_Port_Number, Invalid_Pointer, -1};
const int kTimerStartCodes[] = {No_Error, Card_Not_Initial, Invalid_Counter_Number, Invalid_Counter_Mode, -1};
const int kTimerReadCodes[] = {No_Error, Card_Not_Initial, Invalid_Counter_Number, Invalid_Pointer, -1};

bool in_range(int n, int count) { return n >= 0 && n < count; }

int small_arg(FuzzedDataProvider &in, int low, int high) {
  return any_int(in, low, high, FUZZ_EDGES(kSmallEdges));
}

// The common ending of a call on the current card: failure touches nothing
// and keeps the result variable; Card_Not_Initial exactly when the current
// slot is free; success exactly when the slot is initialised and the
// arguments (and result pointer) are good; success makes at most
// max_accesses accesses, inside the current card, and never reads +7.
bool settle(const char *call, int code, const int *codes, bool args_good, bool result_kept,
            size_t max_accesses, std::vector<iosim_access> *seen = nullptr) {
  std::vector<iosim_access> accesses = journal_take();
  if (seen) *seen = accesses;
  expect_code_in(call, code, codes);
  const MirrorSlot &card = g_slot[g_current];
  if ((code == Card_Not_Initial) != !card.initialised)
    fail(call, "returned %d while the current card %d is %s", code, g_current,
         card.initialised ? "initialised" : "free");
  if ((code == No_Error) != (card.initialised && args_good))
    fail(call, "returned %d for %s arguments", code, args_good ? "good" : "bad");
  if (code != No_Error) {
    expect_no_access(call, accesses);
    expect_result_kept(call, code, result_kept);
    return false;
  }
  if (accesses.size() > max_accesses)
    fail(call, "made %zu port accesses, at most %zu expected", accesses.size(), max_accesses);
  PortRange range = {static_cast<unsigned>(card.base), kCardPorts, kControlOffset};
  expect_accesses_within(call, accesses, &range, 1);
  return true;
}

void step_initial(FuzzedDataProvider &in) {
  int card = any_int(in, 0, kCards - 1, FUZZ_EDGES(kCardEdges));
  int base = in.ConsumeBool() ? 0x200 + 8 * in.ConsumeIntegralInRange<int>(-2, 65)
                              : any_int(in, 0x200, 0x3F8, FUZZ_EDGES(kBaseEdges));
  journal_begin();
  int code = W_Kestan_Initial(card, base);
  expect_no_access("W_Kestan_Initial", journal_take());
  expect_code_in("W_Kestan_Initial", code, kInitialCodes);
  if (code == No_Error) {
    g_slot[card].initialised = true;
    g_slot[card].base = base;
    g_current = card;
  } else if (code == Invalid_Base_Address) {
    g_slot[card].initialised = false;
  }
}

void step_set_card(FuzzedDataProvider &in) {
  int card = any_int(in, 0, kCards - 1, FUZZ_EDGES(kCardEdges));
  journal_begin();
  int code = W_Kestan_Set_Card(card);
  expect_no_access("W_Kestan_Set_Card", journal_take());
  expect_code_in("W_Kestan_Set_Card", code, kSetCardCodes);
  bool valid = card >= 0 && card < kCards;
  if (valid && (code == Card_Not_Initial) != !g_slot[card].initialised)
    fail("W_Kestan_Set_Card", "returned %d for card %d", code, card);
  if (code == No_Error) g_current = card;
}

void step_get_card(FuzzedDataProvider &in) {
  int card = kCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = W_Kestan_Get_Card(null ? nullptr : &card);
  if (settle("W_Kestan_Get_Card", code, kGetCardCodes, !null, card == kCanary, 0) &&
      card != g_current)
    fail("W_Kestan_Get_Card", "gave card %d, current is %d", card, g_current);
}

void step_di_8(FuzzedDataProvider &in) {
  int port = small_arg(in, 0, kPorts - 1);
  unsigned char value = kByteCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = W_Kestan_DI_8(port, null ? nullptr : &value);
  settle("W_Kestan_DI_8", code, kDi8Codes, in_range(port, kPorts) && !null, value == kByteCanary, kDigitalAccesses);
}

void step_di_channel(FuzzedDataProvider &in) {
  int channel = small_arg(in, 0, 31);
  int value = kCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = W_Kestan_DI_Channel(channel, null ? nullptr : &value);
  if (settle("W_Kestan_DI_Channel", code, kDiChannelCodes, in_range(channel, kChannels) && !null, value == kCanary, kDigitalAccesses) &&
      value != 0 && value != 1)
    fail("W_Kestan_DI_Channel", "gave %d, not 0 or 1", value);
}

void step_di_16(FuzzedDataProvider &in) {
  int port = small_arg(in, 0, 1);
  unsigned value = kWordCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = W_Kestan_DI_16(port, null ? nullptr : &value);
  if (settle("W_Kestan_DI_16", code, kDi16Codes, in_range(port, kPorts16) && !null, value == kWordCanary, kDigitalAccesses) && value > 0xFFFF)
    fail("W_Kestan_DI_16", "gave %u, above 65535", value);
}

void step_do_8(FuzzedDataProvider &in) {
  int port = small_arg(in, 0, kPorts - 1);
  unsigned value = in.ConsumeIntegral<unsigned>();
  journal_begin();
  int code = W_Kestan_DO_8(port, value);
  if (settle("W_Kestan_DO_8", code, kDo8Codes, in_range(port, kPorts), true, kDigitalAccesses))
    g_slot[g_current].shadow[port] = static_cast<uint8_t>(value);
}

void step_do_channel(FuzzedDataProvider &in) {
  int channel = small_arg(in, 0, 31);
  unsigned value = in.ConsumeBool() ? in.ConsumeIntegralInRange<unsigned>(0, 2) : in.ConsumeIntegral<unsigned>();
  journal_begin();
  int code = W_Kestan_DO_Channel(channel, value);
  std::vector<iosim_access> seen;
  if (settle("W_Kestan_DO_Channel", code, kDoChannelCodes, in_range(channel, kChannels) && (value & 0xFF) <= 1, true, kDigitalAccesses, &seen)) {
    // The channel's port gets the shadow byte with the one bit changed.
    uint8_t &byte = g_slot[g_current].shadow[channel / 8];
    int bit = channel % 8;
    byte = static_cast<uint8_t>((byte & ~(1u << bit)) | ((value & 1u) << bit));
    if (seen.size() != 1 || seen[0].op != IOSIM_OUT8 || seen[0].value != byte)
      fail("W_Kestan_DO_Channel", "channel %d to %u: port not written with %02XH", channel, value, byte);
  }
}

void step_do_16(FuzzedDataProvider &in) {
  int port = small_arg(in, 0, 1);
  unsigned value = in.ConsumeIntegral<unsigned>();
  journal_begin();
  int code = W_Kestan_DO_16(port, value);
  if (settle("W_Kestan_DO_16", code, kDo16Codes, in_range(port, kPorts16), true, kDigitalAccesses)) {
    g_slot[g_current].shadow[2 * port] = static_cast<uint8_t>(value);
    g_slot[g_current].shadow[2 * port + 1] = static_cast<uint8_t>(value >> 8);
  }
}

void step_read_back(FuzzedDataProvider &in) {
  int port = small_arg(in, 0, kPorts - 1);
  unsigned char value = kByteCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = W_Kestan_Read_Back(port, null ? nullptr : &value);
  if (settle("W_Kestan_Read_Back", code, kReadBackCodes, in_range(port, kPorts) && !null, value == kByteCanary, 0) &&
      value != g_slot[g_current].shadow[port])
    fail("W_Kestan_Read_Back", "gave %02XH for port %d, last written %02XH", value, port,
         g_slot[g_current].shadow[port]);
}

void step_timer_start(FuzzedDataProvider &in) {
  int counter = small_arg(in, 0, 2);
  int mode = small_arg(in, 0, 5);
  unsigned count = in.ConsumeIntegral<unsigned>();
  journal_begin();
  int code = W_Kestan_Timer_Start(counter, mode, count);
  settle("W_Kestan_Timer_Start", code, kTimerStartCodes, in_range(counter, kCounters) && in_range(mode, kModes), true, kTimerStartAccesses);
}

void step_timer_read_or_stop(FuzzedDataProvider &in) {
  bool stop = in.ConsumeBool();
  const char *call = stop ? "W_Kestan_Timer_Stop" : "W_Kestan_Timer_Read";
  int counter = small_arg(in, 0, 2);
  unsigned count = kWordCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = stop ? W_Kestan_Timer_Stop(counter, null ? nullptr : &count)
                  : W_Kestan_Timer_Read(counter, null ? nullptr : &count);
  if (settle(call, code, kTimerReadCodes, in_range(counter, kCounters) && !null, count == kWordCanary, stop ? kTimerStopAccesses : kTimerReadAccesses) && count > 0xFFFF)
    fail(call, "gave %u, above 65535", count);
}

// What the world does between calls: the loader's reset, time passing,
// cards moved in the rack, input lines driven from outside.
void step_world(FuzzedDataProvider &in) {
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
      kestan_reset_card_table();
      for (MirrorSlot &slot : g_slot) slot.initialised = false;
      break;
    case 1: iosim_clock_advance_ns(in.ConsumeIntegralInRange<uint64_t>(0, kMaxAdvanceNs)); break;
    case 2: iosim_plug("kestan", static_cast<unsigned short>(0x200 + 8 * in.ConsumeIntegralInRange<int>(0, 63))); break;
    case 3: iosim_unplug(static_cast<unsigned short>(0x200 + 8 * in.ConsumeIntegralInRange<int>(0, 63))); break;
    default:
      iosim_drive_inputs(0x2A8, 0, in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint32_t>());
      break;
  }
}

void (*const kSteps[])(FuzzedDataProvider &) = {
  step_initial, step_initial, step_set_card, step_get_card, step_di_8, step_di_channel, step_di_16,
  step_do_8, step_do_channel, step_do_16, step_read_back, step_timer_start, step_timer_read_or_stop,
  step_world,
};

void begin() {
  kestan_reset_card_table();
  for (MirrorSlot &slot : g_slot) slot.initialised = false;
}

bool reaches_simulator() {
  return W_Kestan_Initial(0, 0x2A8) == No_Error && W_Kestan_DO_8(0, 0) == No_Error &&
         iosim_journal_total() == 1;
}

void step(FuzzedDataProvider &in) {
  constexpr int kStepCount = sizeof kSteps / sizeof *kSteps;
  kSteps[in.ConsumeIntegralInRange<int>(0, kStepCount - 1)](in);
}

}  // namespace

const Library kTarget = {"kestan", begin, step, reaches_simulator};

}  // namespace fuzz
