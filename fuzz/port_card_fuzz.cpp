// The 8255-based card libraries (fenmar, wendal, dulvar) under any sequence
// of their calls with any arguments, interrupt transfers included, on the
// simulated PC. Checked: only the codes of port_card_errors.h; a failed call
// touches no port and writes no out-parameter (but a free slot's INT_Status
// says nothing is armed); every access lies in a range the library claimed
// with a successful W_x_Initial; the write-only control registers are never
// read; a Port C half reads 0 to 15; a transfer writes only the values of its
// input buffer's registered length and never writes its output buffer.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "dulvar.h"
#include "fenmar.h"
#include "fuzz_check.h"
#include "wendal.h"

namespace fuzz {
namespace {

constexpr int kCards = 8;
constexpr int kBufferValues = 256;   // what the fuzzer's caller declares a buffer holds
constexpr int kGuardValues = 64;     // checked after it: never written
constexpr int32_t kBufferCanary = 0x5A5A5A5A;
constexpr int kMaxRanges = 64;        // claimed ranges remembered per input
constexpr int kDirectionIn = 1, kDirectionOut = 2;
constexpr int kGroupUpperHalf = 3, kGroupLowerHalf = 4;

const int kDocumentedCodes[] = {No_Error, Card_Not_Initial, Invalid_Card_Number, Invalid_IRQ_Level,
                                Invalid_Base_Address, Base_Address_In_Use, Invalid_Port_Code,
                                Invalid_Direction, Invalid_Count, Transfer_Running,
                                Interrupt_Unavailable, Invalid_Clock_Divisor, Invalid_Pointer, -1};

const int kCardEdges[] = {-1, 0, 7, 8, INT_MIN, INT_MAX};
const int kBaseEdges[] = {0x1F8, 0x1FC, 0x200, 0x202, 0x2A8, 0x300, 0x3E8, 0x3F0, 0x3F4,
                          0x3F6, 0x3FC, 0x400, -0x300, INT_MIN, INT_MAX};
const int kLevelEdges[] = {-1, 0, 1, 2, 3, 5, 7, 15, 16, INT_MIN, INT_MAX};
const int kCodeEdges[] = {-1, 0, 1, 2, 3, 4, 5, 255, 256, 260, 261, 512, 1024, 1284, 1285, 1536,
                          INT_MIN, INT_MAX};
const int kCountEdges[] = {-1, 0, 1, 2, kBufferValues, kBufferValues + 1, 32768, 32769, INT_MIN, INT_MAX};
const int kDivisorEdges[] = {-1, 0, 1, 2, 3, 120, 65535, 65536, 65537, INT_MAX, INT_MIN};

// One library's calls, by their common shape.
struct PortCardApi {
  const char *name;
  const char *prefix;         // of its calls' names, "W_Fenmar_"
  unsigned ports;             // the card decodes base + 0 .. ports - 1
  const int *write_only;      // offsets never read, -1 ends the list
  int channels;
  int (*Initial)(int, int, int);
  int (*Set_Card)(int);
  int (*Get_Card)(int *);
  int (*DI_Port)(int, unsigned char *);
  int (*DO_Port)(int, unsigned int);
  int (*INT_Start)(int);
  int (*INT_Status)(int *, int *);
  int (*INT_Stop)(int *);
  int (*INT_Buffer)(int, int, int *, int);
  int (*INT_Setup)(void);
  int (*Clock_Start)(int, int);  // wendal only
  int (*Clock_Stop)(void);
};

const int kFenmarWriteOnly[] = {3, -1};
const int kWendalWriteOnly[] = {3, 7, 11, -1};
const int kDulvarWriteOnly[] = {3, 7, 11, 15, 19, 23, -1};

const PortCardApi kApis[] = {
  {"fenmar", "W_Fenmar_", 4, kFenmarWriteOnly, 1, W_Fenmar_Initial, W_Fenmar_Set_Card, W_Fenmar_Get_Card,
   W_Fenmar_DI_Port, W_Fenmar_DO_Port, W_Fenmar_INT_Start, W_Fenmar_INT_Status, W_Fenmar_INT_Stop,
   W_Fenmar_INT_Buffer, W_Fenmar_INT_Setup, nullptr, nullptr},
  {"wendal", "W_Wendal_", 12, kWendalWriteOnly, 2, W_Wendal_Initial, W_Wendal_Set_Card, W_Wendal_Get_Card,
   W_Wendal_DI_Port, W_Wendal_DO_Port, W_Wendal_INT_Start, W_Wendal_INT_Status, W_Wendal_INT_Stop,
   W_Wendal_INT_Buffer, W_Wendal_INT_Setup, W_Wendal_Clock_Start, W_Wendal_Clock_Stop},
  {"dulvar", "W_Dulvar_", 24, kDulvarWriteOnly, 6, W_Dulvar_Initial, W_Dulvar_Set_Card, W_Dulvar_Get_Card,
   W_Dulvar_DI_Port, W_Dulvar_DO_Port, W_Dulvar_INT_Start, W_Dulvar_INT_Status, W_Dulvar_INT_Stop,
   W_Dulvar_INT_Buffer, W_Dulvar_INT_Setup, nullptr, nullptr},
};
constexpr int kApiCount = sizeof kApis / sizeof *kApis;

// What the fuzzer knows of one library in the current input.
struct Mirror {
  int current;
  // Transfer buffers, static like a program's, one pair per card: the
  // library keeps the pointers and fills the input buffer from interrupts.
  int32_t in[kCards][kBufferValues + kGuardValues];
  int32_t out[kCards][kBufferValues + kGuardValues];
  int32_t out_copy[kCards][kBufferValues + kGuardValues];
  int in_length[kCards];            // registered length of in[card], 0 if none (static: 0 at start)
  bool handed_out[kCards];          // a buffer of the card was given to the library
};
Mirror g_mirror[kApiCount];

// Every range of a successful Initial in this input, of any of the
// libraries, oldest first: an interrupt raised by one card may run another
// library's handler (levels are shared), so a call may see that handler's
// accesses. Ranges may overlap: a card whose claim was given up makes way
// for a later claim over its ports, so the newest range that holds a port
// is the card there now.
PortRange g_claimed[kMaxRanges];
const PortCardApi *g_claimed_by[kMaxRanges];
int g_claimed_count;

// The newest claimed range that holds the port, -1 if none.
int claim_holding(unsigned port) {
  for (int r = g_claimed_count - 1; r >= 0; --r)
    if (port >= g_claimed[r].first && port < g_claimed[r].first + g_claimed[r].length) return r;
  return -1;
}

// Every access in a claimed range, and no read of a write-only register of
// the card that is there now.
void expect_accesses_claimed(const char *call, const std::vector<iosim_access> &accesses) {
  expect_accesses_within(call, accesses, g_claimed, g_claimed_count);
  for (const iosim_access &a : accesses) {
    if (!is_read(a)) continue;
    unsigned last = a.port + (a.op == IOSIM_IN16 ? 1 : 0);
    for (unsigned port = a.port; port <= last; ++port) {
      int r = claim_holding(port);
      if (r < 0) continue;
      unsigned first = g_claimed[r].first;
      for (const int *w = g_claimed_by[r]->write_only; *w >= 0; ++w)
        if (port == first + *w)
          fail(call, "read of write-only offset %d (%03XH) of a %s card", *w, port,
               g_claimed_by[r]->name);
    }
  }
}

// Ending of every call: documented code; failure without port access and
// with the out-parameters kept; accesses in claimed ranges. One failure
// code is not a refusal: Interrupt_Unavailable from INT_Start means the
// transfer is armed (its input group set up) but no interrupt will come.
bool settle(const PortCardApi &api, const char *what, int code, bool kept) {
  char call[48];
  std::snprintf(call, sizeof call, "%s%s", api.prefix, what);
  std::vector<iosim_access> accesses = journal_take();
  expect_code_in(call, code, kDocumentedCodes);
  bool armed_without_interrupts = code == Interrupt_Unavailable && std::strcmp(what, "INT_Start") == 0;
  if (code != No_Error && !armed_without_interrupts) {
    // A handler on the ticker thread may have run meanwhile: then only the
    // ranges can be checked.
    if (g_interrupts_live)
      expect_accesses_claimed(call, accesses);
    else
      expect_no_access(call, accesses);
    expect_result_kept(call, code, kept);
    return false;
  }
  expect_accesses_claimed(call, accesses);
  return code == No_Error;
}

// The transfer buffers: nothing beyond an input buffer's registered length,
// nothing at all in an output buffer, ever changes. (The fuzzer's own loops
// need no coverage: it would only slow every input down.)
__attribute__((no_sanitize("coverage"))) void check_buffers(const PortCardApi &api, const Mirror &m) {
  static int32_t canaries[kBufferValues + kGuardValues];
  if (canaries[0] != kBufferCanary)
    for (int32_t &v : canaries) v = kBufferCanary;
  for (int card = 0; card < kCards; ++card) {
    if (!m.handed_out[card]) continue;
    int from = m.in_length[card];
    size_t bytes = sizeof(int32_t) * (kBufferValues + kGuardValues - from);
    if (std::memcmp(&m.in[card][from], canaries, bytes) != 0)
      for (int i = from; i < kBufferValues + kGuardValues; ++i)
        if (m.in[card][i] != kBufferCanary)
          fail(api.name, "transfer wrote value %d of card %d's input buffer, registered %d", i, card, from);
    if (std::memcmp(m.out[card], m.out_copy[card], sizeof m.out[card]) != 0)
      fail(api.name, "the output buffer of card %d changed", card);
  }
}

int port_code(FuzzedDataProvider &in, const PortCardApi &api) {
  if (in.ConsumeBool())
    return in.ConsumeIntegralInRange<int>(0, api.channels) * 256 + in.ConsumeIntegralInRange<int>(0, 5);
  return any_int(in, 0, 4, FUZZ_EDGES(kCodeEdges));
}

void step_initial(const PortCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = any_int(in, 0, kCards - 1, FUZZ_EDGES(kCardEdges));
  int base = in.ConsumeBool() ? 0x200 + 4 * in.ConsumeIntegralInRange<int>(-1, 128)
                              : any_int(in, 0x200, 0x3FC, FUZZ_EDGES(kBaseEdges));
  int level = any_int(in, 2, 15, FUZZ_EDGES(kLevelEdges));
  // The new range may be used by this very call (power-up directions).
  if (g_claimed_count == kMaxRanges) return;
  g_claimed[g_claimed_count] = {static_cast<unsigned>(base), api.ports, -1};
  g_claimed_by[g_claimed_count++] = &api;
  journal_begin();
  if (settle(api, "Initial", api.Initial(card, base, level), true))
    m.current = card;
  else
    --g_claimed_count;
}

void step_set_card(const PortCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = any_int(in, 0, kCards - 1, FUZZ_EDGES(kCardEdges));
  journal_begin();
  if (settle(api, "Set_Card", api.Set_Card(card), true)) m.current = card;
}

void step_get_card(const PortCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = kCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = api.Get_Card(null ? nullptr : &card);
  if (settle(api, "Get_Card", code, card == kCanary) && card != m.current)
    fail(api.name, "Get_Card gave %d, current is %d", card, m.current);
}

void step_di_port(const PortCardApi &api, Mirror &, FuzzedDataProvider &in) {
  int code_arg = port_code(in, api);
  unsigned char value = kByteCanary;
  bool null = null_pointer(in);
  journal_begin();
  int code = api.DI_Port(code_arg, null ? nullptr : &value);
  int group = code_arg % 256;
  if (settle(api, "DI_Port", code, value == kByteCanary) &&
      (group == kGroupUpperHalf || group == kGroupLowerHalf) && value > 0x0F)
    fail(api.name, "DI_Port: half group %d read %02XH", code_arg, value);
}

void step_do_port(const PortCardApi &api, Mirror &, FuzzedDataProvider &in) {
  int code_arg = port_code(in, api);
  unsigned value = in.ConsumeIntegral<unsigned>();
  journal_begin();
  settle(api, "DO_Port", api.DO_Port(code_arg, value), true);
}

void step_int_buffer(const PortCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int code_arg = port_code(in, api);
  int direction = any_int(in, kDirectionIn, kDirectionOut, FUZZ_EDGES(kLevelEdges));
  // An honest caller: the count never claims more than the buffer holds.
  int count = any_int(in, 1, kBufferValues, FUZZ_EDGES(kCountEdges));
  if (count > kBufferValues) count = kBufferValues;
  bool null = null_pointer(in);
  int card = m.current;
  int32_t *buffer = direction == kDirectionOut ? m.out[card] : m.in[card];
  if (direction == kDirectionOut) {
    int32_t seed = in.ConsumeIntegral<int32_t>();
    for (int i = 0; i < kBufferValues; ++i)
      m.out[card][i] = m.out_copy[card][i] = static_cast<int32_t>(seed + 0x01010101u * i);
  }
  m.handed_out[card] = true;
  journal_begin();
  int code = api.INT_Buffer(code_arg, direction, null ? nullptr : buffer, count);
  if (settle(api, "INT_Buffer", code, true) && direction == kDirectionIn) {
    for (int i = count; i < kBufferValues + kGuardValues; ++i) m.in[card][i] = kBufferCanary;
    m.in_length[card] = count;
  }
}

void step_transfer(const PortCardApi &api, Mirror &, FuzzedDataProvider &in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: {
      g_interrupts_live = true;
      journal_begin();
      settle(api, "INT_Setup", api.INT_Setup(), true);
      break;
    }
    case 1: {
      int count = any_int(in, 1, kBufferValues, FUZZ_EDGES(kCountEdges));
      g_interrupts_live = true;
      journal_begin();
      settle(api, "INT_Start", api.INT_Start(count), true);
      break;
    }
    case 2: {
      int status = kCanary, count = kCanary;
      bool null_status = null_pointer(in), null_count = null_pointer(in);
      journal_begin();
      int code = api.INT_Status(null_status ? nullptr : &status, null_count ? nullptr : &count);
      // A free slot answers too: nothing armed, count 0.
      bool kept = code == Card_Not_Initial && !null_status && !null_count
                      ? status == Transfer_Not_Armed && count == 0
                      : status == kCanary && count == kCanary;
      if (settle(api, "INT_Status", code, kept) &&
          (status < Transfer_Finished || status > Transfer_Not_Armed || count < 0 ||
           (status == Transfer_Not_Armed && count != 0)))
        fail(api.name, "INT_Status: status %d, count %d", status, count);
      break;
    }
    default: {
      int count = kCanary;
      bool null = null_pointer(in);
      journal_begin();
      int code = api.INT_Stop(null ? nullptr : &count);
      if (settle(api, "INT_Stop", code, count == kCanary) && count < 0)
        fail(api.name, "INT_Stop: count %d", count);
    }
  }
}

void step_clock(const PortCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  if (!api.Clock_Start) {
    step_do_port(api, m, in);
    return;
  }
  if (in.ConsumeBool()) {
    int d1 = any_int(in, 1, 65536, FUZZ_EDGES(kDivisorEdges));
    int d2 = any_int(in, 1, 65536, FUZZ_EDGES(kDivisorEdges));
    journal_begin();
    settle(api, "Clock_Start", api.Clock_Start(d1, d2), true);
  } else {
    journal_begin();
    settle(api, "Clock_Stop", api.Clock_Stop(), true);
  }
}

// Time passes: counters run and interrupts are served, on this thread. The
// handlers' accesses belong to the cards that the library claimed.
void step_time(const PortCardApi &, Mirror &, FuzzedDataProvider &in) {
  journal_begin();
  iosim_clock_advance_ns(in.ConsumeIntegralInRange<uint64_t>(0, 5000000));
  expect_accesses_claimed("interrupt handler", journal_take());
}

void (*const kSteps[])(const PortCardApi &, Mirror &, FuzzedDataProvider &) = {
  step_initial, step_initial, step_set_card, step_get_card, step_di_port, step_do_port,
  step_do_port, step_int_buffer, step_transfer, step_transfer, step_clock, step_time,
};
constexpr int kStepCount = sizeof kSteps / sizeof *kSteps;

// Every card of every library freed (which ends its transfer, releases its
// claim and detaches its handler).
__attribute__((no_sanitize("coverage"))) void begin() {
  g_claimed_count = 0;
  g_interrupts_live = false;
  for (int a = 0; a < kApiCount; ++a) {
    const PortCardApi &api = kApis[a];
    Mirror &m = g_mirror[a];
    for (int card = 0; card < kCards; ++card) api.Initial(card, 0, 3);
    // A library keeps its buffer registrations from input to input, as the
    // buffers stay; so does what the fuzzer knows of them.
    for (int card = 0; card < kCards; ++card)
      for (int i = m.in_length[card]; i < kBufferValues + kGuardValues; ++i) m.in[card][i] = kBufferCanary;
  }
}

// Initial writes the power-up directions to the card's control register.
bool reaches_simulator() {
  return W_Fenmar_Initial(0, 0x300, 3) == No_Error && iosim_journal_total() > 0;
}

void step(FuzzedDataProvider &in) {
  int a = in.ConsumeIntegralInRange<int>(0, kApiCount - 1);
  kSteps[in.ConsumeIntegralInRange<int>(0, kStepCount - 1)](kApis[a], g_mirror[a], in);
  for (int b = 0; b < kApiCount; ++b) check_buffers(kApis[b], g_mirror[b]);
}

}  // namespace

const Library kTarget = {"fenmar, wendal, dulvar", begin, step, reaches_simulator};

}  // namespace fuzz
