// Random calls with random arguments against a reference model of the card
// table and the shadows. For every call: only a documented code comes back,
// the model agrees on it, a failure touches no port and writes no
// out-parameter, a success writes exactly its out-parameter and touches only
// ports of the current card's base + 0 to + 7, never reading + 7.
//
// Runs in a fresh process (the model starts from the load state). The seed
// is printed; KESTAN_PROPERTY_SEED=<n> repeats a run, KESTAN_PROPERTY_CALLS
// changes its length.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "iosim.h"
#include "kestan.h"

namespace {

constexpr int kDefaultCalls = 40000;
constexpr int kMaxReported = 20;

const int kDocumentedCodes[] = {No_Error,           Card_Not_Initial,       Invalid_Card_Number,
                                Invalid_Base_Address, Base_Address_In_Use,  Invalid_Port_Number,
                                Invalid_Port16_Number, Invalid_Channel_Number, Invalid_DO_Value,
                                Invalid_Counter_Number, Invalid_Counter_Mode, Invalid_Pointer};

// Where the rack has Kestan cards, and bases the calls favour so that cards
// collide and move (some with a card behind them, some without).
const unsigned short kPluggedBases[] = {0x200, 0x300, 0x3F8};  // plus 2A8H by default
const int kFavouredBases[] = {0x200, 0x208, 0x2A8, 0x2B0, 0x300, 0x3F0, 0x3F8};

// --- reference model ----------------------------------------------------------

struct Model {
  bool initialised[8];
  int base[8];
  uint8_t shadow[8][4];
  int current;
};

bool in_range(int v, int count) { return v >= 0 && v < count; }

bool good_base(int base) { return base >= 0x200 && base <= 0x3F8 && base % 8 == 0; }

// --- argument generators ------------------------------------------------------

class Arguments {
 public:
  explicit Arguments(uint32_t seed) : rng_(seed) {}

  uint32_t below(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng_); }
  uint32_t bits() { return static_cast<uint32_t>(rng_()); }

  // Mostly in 0..count-1, often just outside, sometimes anything.
  int number(int count) {
    switch (below(8)) {
      case 0: return -1;
      case 1: return count;
      case 2: {
        static const int extremes[] = {INT_MIN, INT_MAX, INT_MIN + 1, INT_MAX - 1, 256, -256, 0x10000};
        return extremes[below(std::size(extremes))];
      }
      case 3: return static_cast<int>(bits());
      default: return static_cast<int>(below(count));
    }
  }

  int base() {
    switch (below(8)) {
      case 0: return 0x200 + 8 * static_cast<int>(below(64));
      case 1: return kFavouredBases[below(std::size(kFavouredBases))] + 1 + static_cast<int>(below(7));
      case 2: return static_cast<int>(bits());
      case 3: {
        static const int far[] = {0, -0x200, 0x1F8, 0x400, 0x10000 + 0x2A8, INT_MIN, INT_MAX};
        return far[below(std::size(far))];
      }
      default: return kFavouredBases[below(std::size(kFavouredBases))];
    }
  }

  unsigned value() {
    switch (below(4)) {
      case 0: return below(2);
      case 1: return below(256);
      default: return bits();
    }
  }

  bool null_pointer() { return below(10) == 0; }

 private:
  std::mt19937 rng_;
};

// An out-parameter with guard bytes after it: a call may write the target
// only, and only on success.
struct OutParam {
  static constexpr uint8_t kFill = 0xC3;
  alignas(8) uint8_t bytes[16];
  void fill() { std::memset(bytes, kFill, sizeof bytes); }
  bool untouched() const {
    for (uint8_t b : bytes)
      if (b != kFill) return false;
    return true;
  }
  bool untouched_after(size_t width) const {
    for (size_t i = width; i < sizeof bytes; ++i)
      if (bytes[i] != kFill) return false;
    return true;
  }
  template <class T> T get() const {
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }
};

// --- one call -----------------------------------------------------------------

enum Op {
  kInitial, kSetCard, kGetCard, kDi8, kDiChannel, kDi16, kDo8, kDoChannel, kDo16, kReadBack,
  kTimerStart, kTimerRead, kTimerStop, kOpCount
};

struct Call {
  Op op;
  int a, b;
  unsigned value;
  bool null;
  std::string text() const {
    static const char *names[] = {"Initial", "Set_Card", "Get_Card", "DI_8", "DI_Channel",
                                  "DI_16", "DO_8", "DO_Channel", "DO_16", "Read_Back",
                                  "Timer_Start", "Timer_Read", "Timer_Stop"};
    char t[120];
    std::snprintf(t, sizeof t, "W_Kestan_%s(a=%d, b=%d, value=0x%X, %s)", names[op], a, b, value,
                  null ? "null" : "pointer");
    return t;
  }
};

// What the model says about a call: the code, and on success the accesses.
struct Expectation {
  int code;
  int accesses;          // number of journal entries on success
  size_t out_width;      // bytes of the out-parameter written on success, 0 if none
};

int card_check(const Model &m) { return m.initialised[m.current] ? No_Error : Card_Not_Initial; }

Expectation expect(const Model &m, const Call &c) {
  auto fail = [](int code) { return Expectation{code, 0, 0}; };
  switch (c.op) {
    case kInitial:
      if (!in_range(c.a, 8)) return fail(Invalid_Card_Number);
      if (!good_base(c.b)) return fail(Invalid_Base_Address);
      for (int k = 0; k < 8; ++k)
        if (k != c.a && m.initialised[k] && m.base[k] == c.b) return fail(Base_Address_In_Use);
      return {No_Error, 0, 0};
    case kSetCard:
      if (!in_range(c.a, 8)) return fail(Invalid_Card_Number);
      if (!m.initialised[c.a]) return fail(Card_Not_Initial);
      return {No_Error, 0, 0};
    case kGetCard:
      if (card_check(m)) return fail(Card_Not_Initial);
      if (c.null) return fail(Invalid_Pointer);
      return {No_Error, 0, sizeof(int)};
    default: break;
  }
  if (card_check(m)) return fail(Card_Not_Initial);
  switch (c.op) {
    case kDi8:
    case kReadBack:
      if (!in_range(c.a, 4)) return fail(Invalid_Port_Number);
      if (c.null) return fail(Invalid_Pointer);
      return {No_Error, c.op == kDi8 ? 1 : 0, 1};
    case kDiChannel:
      if (!in_range(c.a, 32)) return fail(Invalid_Channel_Number);
      if (c.null) return fail(Invalid_Pointer);
      return {No_Error, 1, sizeof(int)};
    case kDi16:
      if (!in_range(c.a, 2)) return fail(Invalid_Port16_Number);
      if (c.null) return fail(Invalid_Pointer);
      return {No_Error, 1, sizeof(unsigned)};
    case kDo8:
      if (!in_range(c.a, 4)) return fail(Invalid_Port_Number);
      return {No_Error, 1, 0};
    case kDoChannel:
      if (!in_range(c.a, 32)) return fail(Invalid_Channel_Number);
      if ((c.value & 0xFF) > 1) return fail(Invalid_DO_Value);
      return {No_Error, 1, 0};
    case kDo16:
      if (!in_range(c.a, 2)) return fail(Invalid_Port16_Number);
      return {No_Error, 1, 0};
    case kTimerStart:
      if (!in_range(c.b, 6)) return fail(Invalid_Counter_Mode);
      if (!in_range(c.a, 3)) return fail(Invalid_Counter_Number);
      return {No_Error, 3, 0};
    case kTimerRead:
    case kTimerStop:
      if (!in_range(c.a, 3)) return fail(Invalid_Counter_Number);
      if (c.null) return fail(Invalid_Pointer);
      return {No_Error, c.op == kTimerRead ? 3 : 6, sizeof(unsigned)};
    default: return fail(-1);
  }
}

int perform(const Call &c, OutParam &out) {
  void *p = c.null ? nullptr : out.bytes;
  switch (c.op) {
    case kInitial: return W_Kestan_Initial(c.a, c.b);
    case kSetCard: return W_Kestan_Set_Card(c.a);
    case kGetCard: return W_Kestan_Get_Card(static_cast<int *>(p));
    case kDi8: return W_Kestan_DI_8(c.a, static_cast<unsigned char *>(p));
    case kDiChannel: return W_Kestan_DI_Channel(c.a, static_cast<int *>(p));
    case kDi16: return W_Kestan_DI_16(c.a, static_cast<unsigned *>(p));
    case kDo8: return W_Kestan_DO_8(c.a, c.value);
    case kDoChannel: return W_Kestan_DO_Channel(c.a, c.value);
    case kDo16: return W_Kestan_DO_16(c.a, c.value);
    case kReadBack: return W_Kestan_Read_Back(c.a, static_cast<unsigned char *>(p));
    case kTimerStart: return W_Kestan_Timer_Start(c.a, c.b, c.value);
    case kTimerRead: return W_Kestan_Timer_Read(c.a, static_cast<unsigned *>(p));
    case kTimerStop: return W_Kestan_Timer_Stop(c.a, static_cast<unsigned *>(p));
    default: return -1;
  }
}

Call random_call(Arguments &args) {
  Call c{};
  c.op = static_cast<Op>(args.below(kOpCount));
  c.null = args.null_pointer();
  c.value = args.value();
  switch (c.op) {
    case kInitial: c.a = args.number(8); c.b = args.base(); break;
    case kSetCard: c.a = args.number(8); break;
    case kDi8: case kDo8: case kReadBack: c.a = args.number(4); break;
    case kDiChannel: case kDoChannel: c.a = args.number(32); break;
    case kDi16: case kDo16: c.a = args.number(2); break;
    case kTimerStart: c.a = args.number(3); c.b = args.number(6); break;
    case kTimerRead: case kTimerStop: c.a = args.number(3); break;
    default: break;
  }
  return c;
}

// --- checking one call against the journal and the model ------------------------

// The one state change a failure makes: code 4 frees the named slot.
void apply_failure(const Call &c, int code, Model &m) {
  if (c.op == kInitial && code == Invalid_Base_Address) m.initialised[c.a] = false;
}

class Checker {
 public:
  int failures = 0;

  void fail(int index, const Call &c, const std::string &what) {
    if (++failures <= kMaxReported)
      ADD_FAILURE() << "call #" << index << " " << c.text() << ": " << what;
  }

  // Runs the call, checks it, and brings the model along; true on success.
  bool run(int index, const Call &c, Model &m) {
    Expectation want = expect(m, c);
    const int base = m.base[m.current];
    OutParam out;
    out.fill();
    iosim_journal_clear();
    int code = perform(c, out);
    iosim_access got[8];
    unsigned long total = iosim_journal_total();
    int n = iosim_journal_read(got, 8);

    if (std::find(std::begin(kDocumentedCodes), std::end(kDocumentedCodes), code) ==
        std::end(kDocumentedCodes))
      fail(index, c, "undocumented code " + std::to_string(code));
    if (code != want.code)
      fail(index, c, "code " + std::to_string(code) + ", model says " + std::to_string(want.code));
    for (int i = 0; i < n; ++i) {
      if (got[i].port < base || got[i].port > base + 7)
        fail(index, c, "port " + std::to_string(got[i].port) + " outside the current card");
      if (got[i].port == base + 7 && (got[i].op == IOSIM_IN8 || got[i].op == IOSIM_IN16))
        fail(index, c, "read of offset 7");
      if ((got[i].op == IOSIM_IN16 || got[i].op == IOSIM_OUT16) && got[i].port != base &&
          got[i].port != base + 2)
        fail(index, c, "16-bit access off offsets 0 and 2");
    }
    if (code != No_Error) {
      if (total != 0) fail(index, c, "port access on failure");
      if (!out.untouched()) fail(index, c, "out-parameter written on failure");
      apply_failure(c, want.code, m);
      return false;
    }
    if (total != static_cast<unsigned long>(want.accesses))
      fail(index, c, std::to_string(total) + " port accesses, expected " +
                         std::to_string(want.accesses));
    if (want.out_width && !c.null && !out.untouched_after(want.out_width))
      fail(index, c, "wrote past its out-parameter");
    if (code == want.code && static_cast<int>(total) == want.accesses)
      check_success(index, c, m, base, got, out);
    apply(c, m);
    return true;
  }

 private:
  void check_success(int index, const Call &c, const Model &m, int base, const iosim_access *got,
                     const OutParam &out) {
    auto expect_access = [&](int i, int op, int port, int value) {
      if (got[i].op != op || got[i].port != port || (value >= 0 && got[i].value != value))
        fail(index, c, "access " + std::to_string(i) + " differs");
    };
    const uint8_t *shadow = m.shadow[m.current];
    switch (c.op) {
      case kGetCard:
        if (out.get<int>() != m.current) fail(index, c, "wrong current card");
        break;
      case kDi8:
        expect_access(0, IOSIM_IN8, base + c.a, -1);
        if (out.get<uint8_t>() != got[0].value) fail(index, c, "byte differs from the port");
        break;
      case kDiChannel:
        expect_access(0, IOSIM_IN8, base + c.a / 8, -1);
        if (out.get<int>() != ((got[0].value >> (c.a % 8)) & 1)) fail(index, c, "wrong bit");
        break;
      case kDi16:
        expect_access(0, IOSIM_IN16, base + 2 * c.a, -1);
        if (out.get<unsigned>() != got[0].value) fail(index, c, "word differs from the port");
        break;
      case kReadBack:
        if (out.get<uint8_t>() != shadow[c.a]) fail(index, c, "differs from the model's shadow");
        break;
      case kDo8:
        expect_access(0, IOSIM_OUT8, base + c.a, c.value & 0xFF);
        break;
      case kDoChannel: {
        int bit = c.a % 8;
        int byte = (shadow[c.a / 8] & ~(1 << bit)) | static_cast<int>((c.value & 1) << bit);
        expect_access(0, IOSIM_OUT8, base + c.a / 8, byte);
        break;
      }
      case kDo16:
        expect_access(0, IOSIM_OUT16, base + 2 * c.a, c.value & 0xFFFF);
        break;
      case kTimerStart:
        expect_access(0, IOSIM_OUT8, base + 7, (c.a << 6) | 0x30 | (c.b << 1));
        expect_access(1, IOSIM_OUT8, base + 4 + c.a, c.value & 0xFF);
        expect_access(2, IOSIM_OUT8, base + 4 + c.a, (c.value >> 8) & 0xFF);
        break;
      case kTimerRead:
      case kTimerStop:
        expect_access(0, IOSIM_OUT8, base + 7, c.a << 6);
        expect_access(1, IOSIM_IN8, base + 4 + c.a, -1);
        expect_access(2, IOSIM_IN8, base + 4 + c.a, -1);
        if (out.get<unsigned>() != got[1].value + 256u * got[2].value)
          fail(index, c, "count differs from the bytes read");
        if (c.op == kTimerStop) {
          expect_access(3, IOSIM_OUT8, base + 7, (c.a << 6) | 0x30);
          expect_access(4, IOSIM_OUT8, base + 4 + c.a, 1);
          expect_access(5, IOSIM_OUT8, base + 4 + c.a, 0);
        }
        break;
      default: break;
    }
  }

  static void apply(const Call &c, Model &m) {
    uint8_t *shadow = m.shadow[m.current];
    switch (c.op) {
      case kInitial:
        m.current = c.a;
        m.base[c.a] = c.b;
        m.initialised[c.a] = true;
        break;
      case kSetCard: m.current = c.a; break;
      case kDo8: shadow[c.a] = static_cast<uint8_t>(c.value); break;
      case kDoChannel: {
        int bit = c.a % 8;
        shadow[c.a / 8] = static_cast<uint8_t>((shadow[c.a / 8] & ~(1 << bit)) | ((c.value & 1) << bit));
        break;
      }
      case kDo16:
        shadow[2 * c.a] = static_cast<uint8_t>(c.value);
        shadow[2 * c.a + 1] = static_cast<uint8_t>(c.value >> 8);
        break;
      default: break;
    }
  }
};

uint32_t chosen_seed() {
  if (const char *s = std::getenv("KESTAN_PROPERTY_SEED")) return static_cast<uint32_t>(std::strtoul(s, nullptr, 0));
  return std::random_device{}();
}

int chosen_calls() {
  if (const char *s = std::getenv("KESTAN_PROPERTY_CALLS")) return std::atoi(s);
  return kDefaultCalls;
}

TEST(KestanProperty, RandomCallsKeepEveryRule) {
  uint32_t seed = chosen_seed();
  int calls = chosen_calls();
  std::printf("kestan property test: seed %u, %d calls (KESTAN_PROPERTY_SEED=%u repeats it)\n",
              seed, calls, seed);
  std::fflush(stdout);
  RecordProperty("seed", std::to_string(seed));

  for (unsigned short base : kPluggedBases) ASSERT_EQ(IOSIM_OK, iosim_plug("kestan", base));
  iosim_journal_enable(1);

  Model model{};  // the load state: every slot free, current card 0, shadows 0
  Arguments args(seed);
  Checker checker;
  int successes = 0;
  for (int i = 0; i < calls && checker.failures <= kMaxReported; ++i) {
    if (checker.run(i, random_call(args), model)) ++successes;
  }
  std::printf("kestan property test: %d of %d calls succeeded\n", successes, calls);
  // The mix must reach the successful paths often enough to mean something.
  EXPECT_GT(successes, calls / 5);
  EXPECT_EQ(0, checker.failures) << "seed " << seed;
}

}  // namespace
