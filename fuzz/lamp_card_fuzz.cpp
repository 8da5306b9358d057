// The lamp-card libraries (orvel, sarrow, pellin) under any sequence of
// their calls with any arguments, interleaved, on the simulated PC, with
// cards plugged, pulled and driven from outside between the calls.
//
// A mirror of each library's card table (slot states, bases, current card,
// output shadow) follows the library's own results and says what every call
// must give: the one code that the order of checks of the headers leaves
// (Ports_In_Use exactly when the range holds another card, and then the slot
// is left free); on failure no port touched and no result written; on success at most one port access,
// inside the current card's ports, a read for an input call and a write for
// an output call; inputs as the card's lines show them; Read_Back what was
// last written; the register written holding the shadow's value.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "orvel.h"
#include "pellin.h"
#include "sarrow.h"

extern "C" void orvel_reset_card_table(void);
extern "C" void sarrow_reset_card_table(void);
extern "C" void pellin_reset_card_table(void);

namespace fuzz {
namespace {

constexpr int kMaxCards = 4;     // every lamp-card library keeps cards 0 to 3
constexpr int kBank = 0;         // the simulator's bank of a lamp card's lines
constexpr int kKindSize = 16;
constexpr int kPortSpace = 0x10000;

const int kCardEdges[] = {-1, 0, 3, 4, 7, 8, INT_MIN, INT_MAX};
const int kBaseEdges[] = {0x1F0, 0x1FE, 0x1FF, 0x200, 0x201, 0x202, 0x208, 0x210, 0x2A0, 0x2A8,
                          0x2AE, 0x3F0, 0x3F8, 0x3FE, 0x3FF, 0x400, -0x200, 0x10200, INT_MIN, INT_MAX};
const int kIndexEdges[] = {-1, 0, 1, 2, 3, 4, 7, 8, 15, 16, 31, 32, 256, INT_MIN, INT_MAX};
const unsigned kValueEdges[] = {0, 1, 2, 0xFF, 0x100, 0x101, 0x1FF, 0xFFFF, 0x10000, 0x10001, 0xFFFFFFFFu};
const char *const kPlugKinds[] = {"kestan", "orvel", "sarrow", "pellin"};

// The codes of one library, under its header's names.
struct Codes {
  int no_error, card_not_initial, invalid_card_number, invalid_base_address,
      base_address_in_use, ports_in_use, invalid_do_value, invalid_pointer;
};

// An input or output call, by what it does with the card's lines: it reads
// or writes field `index` of the input word, the output word or the shadow
// (fields of `bits` lines, field 0 from line 0).
enum Kind { kReadInputs, kReadBack, kWriteOutputs };

struct Call {
  const char *name;
  Kind kind;
  int fields;          // index 0 to fields - 1; 0: the call takes no index (one field)
  int bits;
  int index_error;     // the code for an index out of range
  bool checks_value;   // single channel: the value's low byte must be 0 or 1
  int register_bits;   // output calls: lines of the register one write sets
  int out_bytes;       // input calls: 1 (unsigned char) or 4 (int, unsigned int)
  int (*read)(int index, void *value);
  int (*write)(int index, unsigned value);
};

struct LampCardApi {
  const char *kind;    // of io_claim and the simulator's card model
  const char *prefix;  // of its calls' names
  unsigned ports;
  int first_base, last_base, base_step;
  int cards;
  Codes codes;
  const int *documented;  // every code of the header, -1 ends
  int (*Initial)(int, int);
  int (*Set_Card)(int);
  int (*Get_Card)(int *);
  void (*reset)();
  const Call *calls;
  int call_count;
};

#define CALLS(table) table, static_cast<int>(sizeof table / sizeof *table)
// Adapters to the common shapes; calls without an index ignore it.
#define READ(call) [](int index, void *v) { (void)index; return call; }, nullptr
#define WRITE(call) nullptr, [](int index, unsigned value) { (void)index; return call; }

const Call kOrvelCalls[] = {
  {"DI_8", kReadInputs, 4, 8, Orvel_Invalid_Port_Number, false, 0, 1,
   READ(W_Orvel_DI_8(index, static_cast<unsigned char *>(v)))},
  {"DI_Channel", kReadInputs, 32, 1, Orvel_Invalid_Channel_Number, false, 0, 4,
   READ(W_Orvel_DI_Channel(index, static_cast<int *>(v)))},
  {"DI_16", kReadInputs, 2, 16, Orvel_Invalid_Port16_Number, false, 0, 4,
   READ(W_Orvel_DI_16(index, static_cast<unsigned *>(v)))},
  {"DO_8", kWriteOutputs, 4, 8, Orvel_Invalid_Port_Number, false, 8, 0,
   WRITE(W_Orvel_DO_8(index, value))},
  {"DO_Channel", kWriteOutputs, 32, 1, Orvel_Invalid_Channel_Number, true, 8, 0,
   WRITE(W_Orvel_DO_Channel(index, value))},
  {"DO_16", kWriteOutputs, 2, 16, Orvel_Invalid_Port16_Number, false, 16, 0,
   WRITE(W_Orvel_DO_16(index, value))},
  {"Read_Back", kReadBack, 4, 8, Orvel_Invalid_Port_Number, false, 0, 1,
   READ(W_Orvel_Read_Back(index, static_cast<unsigned char *>(v)))},
};

const Call kSarrowCalls[] = {
  {"DI", kReadInputs, 0, 16, 0, false, 0, 4, READ(W_Sarrow_DI(static_cast<unsigned *>(v)))},
  {"DO", kWriteOutputs, 0, 16, 0, false, 16, 0, WRITE(W_Sarrow_DO(value))},
  {"DI_Channel", kReadInputs, 16, 1, Sarrow_Invalid_Channel_Number, false, 0, 4,
   READ(W_Sarrow_DI_Channel(index, static_cast<int *>(v)))},
  {"DO_Channel", kWriteOutputs, 16, 1, Sarrow_Invalid_Channel_Number, true, 16, 0,
   WRITE(W_Sarrow_DO_Channel(index, value))},
  {"Read_Back", kReadBack, 0, 16, 0, false, 0, 4,
   READ(W_Sarrow_Read_Back(static_cast<unsigned *>(v)))},
};

const Call kPellinCalls[] = {
  {"DI", kReadInputs, 0, 8, 0, false, 0, 1, READ(W_Pellin_DI(static_cast<unsigned char *>(v)))},
  {"DO", kWriteOutputs, 0, 8, 0, false, 8, 0, WRITE(W_Pellin_DO(value))},
  {"DI_Channel", kReadInputs, 8, 1, Pellin_Invalid_Channel_Number, false, 0, 4,
   READ(W_Pellin_DI_Channel(index, static_cast<int *>(v)))},
  {"DO_Channel", kWriteOutputs, 8, 1, Pellin_Invalid_Channel_Number, true, 8, 0,
   WRITE(W_Pellin_DO_Channel(index, value))},
  {"Read_Back", kReadBack, 0, 8, 0, false, 0, 1,
   READ(W_Pellin_Read_Back(static_cast<unsigned char *>(v)))},
};

const int kOrvelCodes[] = {Orvel_No_Error, Orvel_Card_Not_Initial, Orvel_Invalid_Card_Number,
                           Orvel_Invalid_Base_Address, Orvel_Base_Address_In_Use, Orvel_Ports_In_Use,
                           Orvel_Invalid_Port_Number, Orvel_Invalid_Port16_Number,
                           Orvel_Invalid_Channel_Number, Orvel_Invalid_DO_Value, Orvel_Invalid_Pointer, -1};
const int kSarrowCodes[] = {Sarrow_No_Error, Sarrow_Card_Not_Initial, Sarrow_Invalid_Card_Number,
                            Sarrow_Invalid_Base_Address, Sarrow_Base_Address_In_Use, Sarrow_Ports_In_Use,
                            Sarrow_Invalid_Channel_Number, Sarrow_Invalid_DO_Value, Sarrow_Invalid_Pointer, -1};
const int kPellinCodes[] = {Pellin_No_Error, Pellin_Card_Not_Initial, Pellin_Invalid_Card_Number,
                            Pellin_Invalid_Base_Address, Pellin_Base_Address_In_Use, Pellin_Ports_In_Use,
                            Pellin_Invalid_Channel_Number, Pellin_Invalid_DO_Value, Pellin_Invalid_Pointer, -1};

const LampCardApi kApis[] = {
  {"orvel", "W_Orvel_", 16, 0x200, 0x3F0, 16, 4,
   {Orvel_No_Error, Orvel_Card_Not_Initial, Orvel_Invalid_Card_Number, Orvel_Invalid_Base_Address,
    Orvel_Base_Address_In_Use, Orvel_Ports_In_Use, Orvel_Invalid_DO_Value, Orvel_Invalid_Pointer},
   kOrvelCodes, W_Orvel_Initial, W_Orvel_Set_Card, W_Orvel_Get_Card, orvel_reset_card_table,
   CALLS(kOrvelCalls)},
  {"sarrow", "W_Sarrow_", 8, 0x200, 0x3F8, 8, 4,
   {Sarrow_No_Error, Sarrow_Card_Not_Initial, Sarrow_Invalid_Card_Number, Sarrow_Invalid_Base_Address,
    Sarrow_Base_Address_In_Use, Sarrow_Ports_In_Use, Sarrow_Invalid_DO_Value, Sarrow_Invalid_Pointer},
   kSarrowCodes, W_Sarrow_Initial, W_Sarrow_Set_Card, W_Sarrow_Get_Card, sarrow_reset_card_table,
   CALLS(kSarrowCalls)},
  {"pellin", "W_Pellin_", 2, 0x200, 0x3FE, 2, 4,
   {Pellin_No_Error, Pellin_Card_Not_Initial, Pellin_Invalid_Card_Number, Pellin_Invalid_Base_Address,
    Pellin_Base_Address_In_Use, Pellin_Ports_In_Use, Pellin_Invalid_DO_Value, Pellin_Invalid_Pointer},
   kPellinCodes, W_Pellin_Initial, W_Pellin_Set_Card, W_Pellin_Get_Card, pellin_reset_card_table,
   CALLS(kPellinCalls)},
};
constexpr int kApiCount = sizeof kApis / sizeof *kApis;

// What the fuzzer knows of one library's card table. The shadow outlives a
// new Initial of the slot, as the library's does.
struct MirrorSlot {
  bool initialised;
  int base;
  uint32_t shadow;
};
struct Mirror {
  MirrorSlot slot[kMaxCards];
  int current;
};
Mirror g_mirror[kApiCount];

uint32_t field_mask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

uint32_t field_of(uint32_t word, int first, int bits) { return (word >> first) & field_mask(bits); }

bool in_range(int n, int count) { return n >= 0 && n < count; }

const MirrorSlot *current_slot(const Mirror &m) {
  return m.slot[m.current].initialised ? &m.slot[m.current] : nullptr;
}

// The full name of one of the library's calls, for the messages.
struct CallName {
  char text[40];
  CallName(const LampCardApi &api, const char *what) {
    std::snprintf(text, sizeof text, "%s%s", api.prefix, what);
  }
};

// A documented code, and the very one the mirror expects.
void expect_code(const LampCardApi &api, const char *call, int code, int expected) {
  expect_code_in(call, code, api.documented);
  if (code != expected) fail(call, "returned %d, expected %d", code, expected);
}

// The common ending of a call: the code it must give; a failure touches no
// port and keeps the out-parameters; a success makes at most max_accesses
// accesses, all reads or all writes, inside the current card's ports.
bool settle(const LampCardApi &api, const Mirror &m, const char *what, int code, int expected,
            bool kept, size_t max_accesses, bool reads) {
  CallName name(api, what);
  const char *call = name.text;
  std::vector<iosim_access> accesses = journal_take();
  expect_code(api, call, code, expected);
  if (code != api.codes.no_error) {
    expect_no_access(call, accesses);
    expect_result_kept(call, code, kept);
    return false;
  }
  if (accesses.size() > max_accesses)
    fail(call, "made %zu port accesses, at most %zu expected", accesses.size(), max_accesses);
  if (accesses.empty()) return true;
  const MirrorSlot *card = current_slot(m);
  PortRange range = {static_cast<unsigned>(card->base), api.ports, -1};
  expect_accesses_within(call, accesses, &range, 1);
  for (const iosim_access &a : accesses)
    if (is_read(a) != reads) fail(call, "a %s call made a port %s", reads ? "read" : "write",
                                  is_read(a) ? "read" : "write");
  return true;
}

// The cards of the rack, which never make way for a claim: those of a fresh
// simulated PC given with KESTAN_SIM_RACK (the default rack's card stands in
// for the claimed one and makes way) and those the world plugged since.
constexpr int kMaxRackCards = 64;
int g_fresh_rack[kMaxRackCards], g_fresh_rack_count;
int g_rack[kMaxRackCards], g_rack_count;

bool in_rack(int base) {
  for (int i = 0; i < g_rack_count; ++i)
    if (g_rack[i] == base) return true;
  return false;
}

void note_rack_card(int base) {
  if (!in_rack(base) && g_rack_count < kMaxRackCards) g_rack[g_rack_count++] = base;
}

void forget_rack_card(int base) {
  for (int i = 0; i < g_rack_count; ++i)
    if (g_rack[i] == base) g_rack[i] = g_rack[--g_rack_count];
}

// Whether a slot of any library holds the card at base (its claim stands).
bool held_by_a_slot(int base) {
  for (const Mirror &m : g_mirror)
    for (const MirrorSlot &slot : m.slot)
      if (slot.initialised && slot.base == base) return true;
  return false;
}

// A claim of [base, base + ports) is refused when the range holds a card,
// other than one of the same kind at the same base, that is of the rack or
// held by a slot; a card that an earlier claim plugged and whose claim was
// given up makes way.
bool claim_refused(const LampCardApi &api, int base) {
  char kind[kKindSize];
  for (unsigned p = 0; p < api.ports; ++p) {
    int at = iosim_card_at(static_cast<unsigned short>(base + p), kind, sizeof kind);
    if (at < 0 || (at == base && std::strcmp(kind, api.kind) == 0)) continue;
    if (in_rack(at) || held_by_a_slot(at)) return true;
  }
  return false;
}

int expected_initial(const LampCardApi &api, const Mirror &m, int card, int base) {
  const Codes &c = api.codes;
  if (!in_range(card, api.cards)) return c.invalid_card_number;
  if (base < api.first_base || base > api.last_base || (base - api.first_base) % api.base_step != 0)
    return c.invalid_base_address;
  for (int other = 0; other < api.cards; ++other)
    if (other != card && m.slot[other].initialised && m.slot[other].base == base)
      return c.base_address_in_use;
  return claim_refused(api, base) ? c.ports_in_use : c.no_error;
}

void step_initial(const LampCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = any_int(in, 0, api.cards - 1, FUZZ_EDGES(kCardEdges));
  int steps = (api.last_base - api.first_base) / api.base_step;
  int base = in.ConsumeBool()
                 ? api.first_base + api.base_step * in.ConsumeIntegralInRange<int>(-2, steps + 2)
                 : any_int(in, api.first_base, api.last_base, FUZZ_EDGES(kBaseEdges));
  int expected = expected_initial(api, m, card, base);
  journal_begin();
  int code = api.Initial(card, base);
  if (settle(api, m, "Initial", code, expected, true, 0, false)) {
    m.slot[card].initialised = true;
    m.slot[card].base = base;
    m.current = card;
  } else if (code == api.codes.ports_in_use) {
    m.slot[card].initialised = false;  // its old claim is given up with it
  }
}

void step_set_card(const LampCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = any_int(in, 0, api.cards - 1, FUZZ_EDGES(kCardEdges));
  int expected = !in_range(card, api.cards)     ? api.codes.invalid_card_number
                 : !m.slot[card].initialised ? api.codes.card_not_initial
                                              : api.codes.no_error;
  journal_begin();
  if (settle(api, m, "Set_Card", api.Set_Card(card), expected, true, 0, false)) m.current = card;
}

void step_get_card(const LampCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  int card = kCanary;
  bool null = null_pointer(in);
  int expected = !current_slot(m) ? api.codes.card_not_initial
                 : null           ? api.codes.invalid_pointer
                                  : api.codes.no_error;
  journal_begin();
  int code = api.Get_Card(null ? nullptr : &card);
  if (settle(api, m, "Get_Card", code, expected, card == kCanary, 0, false) && card != m.current)
    fail(CallName(api, "Get_Card").text, "gave %d, current is %d", card, m.current);
}

// The code the mirror expects of an input or output call.
int expected_io(const LampCardApi &api, const Mirror &m, const Call &c, int index, unsigned value,
                bool null) {
  if (!current_slot(m)) return api.codes.card_not_initial;
  if (c.fields > 0 && !in_range(index, c.fields)) return c.index_error;
  if (c.checks_value && (value & 0xFF) > 1) return api.codes.invalid_do_value;
  if (c.kind != kWriteOutputs && null) return api.codes.invalid_pointer;
  return api.codes.no_error;
}

void check_read(const LampCardApi &api, const Mirror &m, const Call &c, int first, uint32_t value) {
  const MirrorSlot &card = *current_slot(m);
  uint32_t want;
  if (c.kind == kReadBack) {
    want = field_of(card.shadow, first, c.bits);
  } else {
    uint32_t lines = 0;
    if (iosim_read_inputs(static_cast<unsigned short>(card.base), kBank, &lines) != IOSIM_OK)
      fail(CallName(api, c.name).text, "no %s card at %03XH", api.kind, card.base);
    want = field_of(lines, first, c.bits);
  }
  if (value != want)
    fail(CallName(api, c.name).text, "gave %X for lines %d to %d, expected %X", value, first,
         first + c.bits - 1, want);
}

// After a write: the register written shows the shadow's lines.
void check_write(const LampCardApi &api, const Mirror &m, const Call &c, int first) {
  const MirrorSlot &card = *current_slot(m);
  uint32_t lines = 0;
  if (iosim_read_outputs(static_cast<unsigned short>(card.base), kBank, &lines) != IOSIM_OK)
    fail(CallName(api, c.name).text, "no %s card at %03XH", api.kind, card.base);
  int reg = first / c.register_bits * c.register_bits;
  if (field_of(lines, reg, c.register_bits) != field_of(card.shadow, reg, c.register_bits))
    fail(CallName(api, c.name).text, "outputs %d to %d show %X, last written %X", reg,
         reg + c.register_bits - 1, field_of(lines, reg, c.register_bits),
         field_of(card.shadow, reg, c.register_bits));
}

void step_io(const LampCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  const Call &c = api.calls[in.ConsumeIntegralInRange<int>(0, api.call_count - 1)];
  int index = c.fields > 0 ? any_int(in, 0, c.fields - 1, FUZZ_EDGES(kIndexEdges)) : 0;
  unsigned value = in.ConsumeBool() ? in.ConsumeIntegralInRange<unsigned>(0, 2)
                   : in.ConsumeBool()
                       ? kValueEdges[in.ConsumeIntegralInRange<int>(0, sizeof kValueEdges / sizeof *kValueEdges - 1)]
                       : in.ConsumeIntegral<unsigned>();
  bool null = null_pointer(in);
  int expected = expected_io(api, m, c, index, value, null);
  int first = in_range(index, c.fields) ? index * c.bits : 0;  // lines of the field, on success
  if (c.kind == kWriteOutputs) {
    journal_begin();
    if (!settle(api, m, c.name, c.write(index, value), expected, true, 1, false)) return;
    uint32_t mask = field_mask(c.bits) << first;
    MirrorSlot &card = m.slot[m.current];
    card.shadow = (card.shadow & ~mask) | ((value << first) & mask);
    check_write(api, m, c, first);
    return;
  }
  unsigned char byte = kByteCanary;
  uint32_t word = static_cast<uint32_t>(kCanary);
  void *out = null ? nullptr : c.out_bytes == 1 ? static_cast<void *>(&byte) : static_cast<void *>(&word);
  journal_begin();
  int code = c.read(index, out);
  bool kept = byte == kByteCanary && word == static_cast<uint32_t>(kCanary);
  if (settle(api, m, c.name, code, expected, kept, c.kind == kReadBack ? 0 : 1, true))
    check_read(api, m, c, first, c.out_bytes == 1 ? byte : word);
}

// What the world does between calls: input lines driven from outside or
// given back, the test cable pulled or plugged, cards plugged into or
// pulled from the rack (never one that a slot holds).
void step_world(const LampCardApi &api, Mirror &m, FuzzedDataProvider &in) {
  const MirrorSlot *card = current_slot(m);
  unsigned short base = card ? static_cast<unsigned short>(card->base)
                             : static_cast<unsigned short>(0x200 + in.ConsumeIntegralInRange<int>(0, 0x1FF));
  switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: iosim_drive_inputs(base, kBank, in.ConsumeIntegral<uint32_t>(), in.ConsumeIntegral<uint32_t>()); break;
    case 1: iosim_release_inputs(base, kBank, in.ConsumeIntegral<uint32_t>()); break;
    case 2: iosim_set_loopback(base, in.ConsumeBool()); break;
    case 3: {
      const char *kind = kPlugKinds[in.ConsumeIntegralInRange<int>(0, 3)];
      int at = api.first_base +
               api.base_step * in.ConsumeIntegralInRange<int>(0, (api.last_base - api.first_base) / api.base_step);
      if (iosim_plug(kind, static_cast<unsigned short>(at)) == IOSIM_OK) note_rack_card(at);
      break;
    }
    default: {
      char kind[kKindSize];
      int at = iosim_card_at(static_cast<unsigned short>(0x200 + in.ConsumeIntegralInRange<int>(0, 0x1FF)), kind, sizeof kind);
      // Never a card from under a library.
      if (at >= 0 && !held_by_a_slot(at) && iosim_unplug(static_cast<unsigned short>(at)) == IOSIM_OK)
        forget_rack_card(at);
    }
  }
}

void (*const kSteps[])(const LampCardApi &, Mirror &, FuzzedDataProvider &) = {
  step_initial, step_initial, step_set_card, step_get_card, step_io, step_io, step_io, step_io, step_world,
};
constexpr int kStepCount = sizeof kSteps / sizeof *kSteps;

void begin() {
  for (int a = 0; a < kApiCount; ++a) {
    kApis[a].reset();
    g_mirror[a] = Mirror{};
  }
  std::memcpy(g_rack, g_fresh_rack, sizeof g_rack);
  g_rack_count = g_fresh_rack_count;
}

// Also notes the cards of the fresh rack (every input starts from it) when
// the rack was given.
bool reaches_simulator() {
  char kind[kKindSize];
  const char *given = std::getenv("KESTAN_SIM_RACK");
  for (int port = 0; given && *given && port < kPortSpace; ++port) {
    int at = iosim_card_at(static_cast<unsigned short>(port), kind, sizeof kind);
    if (at == port && g_fresh_rack_count < kMaxRackCards) g_fresh_rack[g_fresh_rack_count++] = at;
  }
  return W_Pellin_Initial(0, 0x300) == Pellin_No_Error && W_Pellin_DO(0) == Pellin_No_Error &&
         iosim_journal_total() == 1;
}

void step(FuzzedDataProvider &in) {
  int a = in.ConsumeIntegralInRange<int>(0, kApiCount - 1);
  kSteps[in.ConsumeIntegralInRange<int>(0, kStepCount - 1)](kApis[a], g_mirror[a], in);
}

}  // namespace

const Library kTarget = {"orvel, sarrow, pellin", begin, step, reaches_simulator};

}  // namespace fuzz
