#include "pit8254.h"

namespace sim {

namespace {

constexpr uint64_t kNoEvent = ~uint64_t(0);


}  // namespace

// --- register access ------------------------------------------------------

uint8_t Pit8254::read(unsigned reg) {
  if (reg >= kCounters) return 0xFF;
  return read_count(st_->counters[reg]);
}

void Pit8254::write(unsigned reg, uint8_t value) {
  if (reg == kControl)
    write_control(value);
  else if (reg < kCounters)
    write_count(st_->counters[reg], value);
}

void Pit8254::write_control(uint8_t value) {
  unsigned select = pit8254::select_of(value);
  if (select == pit8254::kReadBackSelect) {
    read_back(value);
    return;
  }
  Counter &c = st_->counters[select];
  unsigned access = pit8254::access_of(value);
  if (access == pit8254::kAccessLatch) {
    // A second latch before the count was read is ignored.
    if (!c.latched) {
      c.latch = encode(c, current_count(c));
      c.latched = true;
    }
    return;
  }
  c.count = current_count(c);  // the counting element keeps its value
  c.control = value & pit8254::kProgramBits;
  c.mode = static_cast<uint8_t>(pit8254::mode_of(value));
  c.access = static_cast<uint8_t>(access);
  c.bcd = value & pit8254::kBcd;
  c.write_high_next = false;
  c.read_high_next = false;
  c.latched = false;
  c.status_latched = false;
  c.count_written = false;
  c.null_count = true;
  c.load_pending = false;
  c.running = false;
  c.held = false;
  c.terminal_armed = false;
  c.strobe = false;
  set_out(select, c.mode != 0);
}

// Read-back: bit 5 low latches the counts, bit 4 low latches the status of
// the counters selected by bits 3-1 (counter 2, 1, 0).
void Pit8254::read_back(uint8_t value) {
  for (int i = 0; i < kCounters; ++i) {
    if (!(value & pit8254::read_back_counter_bit(i))) continue;
    Counter &c = st_->counters[i];
    if (!(value & pit8254::kReadBackNoCount) && !c.latched) {
      c.latch = encode(c, current_count(c));
      c.latched = true;
    }
    if (!(value & pit8254::kReadBackNoStatus) && !c.status_latched) {
      c.status = status_of(c);
      c.status_latched = true;
    }
  }
}

void Pit8254::write_count(Counter &c, uint8_t value) {
  int index = static_cast<int>(&c - st_->counters);
  switch (c.access) {
    case pit8254::kAccessLow:
      c.count_register = value;
      break;
    case pit8254::kAccessHigh:
      c.count_register = static_cast<uint16_t>(value << 8);
      break;
    default:
      if (!c.write_high_next) {
        c.count_register = static_cast<uint16_t>((c.count_register & 0xFF00) | value);
        c.write_high_next = true;
        // Mode 0: the first byte stops the count in progress.
        if (c.mode == 0) {
          c.held = true;
          set_out(index, false);
        }
        return;
      }
      c.count_register = static_cast<uint16_t>((c.count_register & 0x00FF) | (value << 8));
      c.write_high_next = false;
      break;
  }
  c.count_written = true;
  c.null_count = true;
  switch (c.mode) {
    case 0:
      c.held = false;
      set_out(index, false);
      c.load_pending = true;
      break;
    case 2:
    case 3:
      // A running counter takes the new count at its next reload; with a
      // period of 1 that is the next pulse.
      if (!c.running || c.period == 1) c.load_pending = true;
      break;
    case 4:
      c.load_pending = true;
      break;
    default:  // modes 1 and 5 wait for a GATE trigger
      break;
  }
}

uint8_t Pit8254::read_count(Counter &c) {
  if (c.status_latched) {
    c.status_latched = false;
    return c.status;
  }
  uint16_t value = c.latched ? c.latch : encode(c, current_count(c));
  bool high;
  switch (c.access) {
    case pit8254::kAccessLow:
      high = false;
      c.latched = false;
      break;
    case pit8254::kAccessHigh:
      high = true;
      c.latched = false;
      break;
    default:
      high = c.read_high_next;
      c.read_high_next = !high;
      if (high) c.latched = false;  // the latch holds until both bytes are read
      break;
  }
  return static_cast<uint8_t>(high ? value >> 8 : value);
}

// --- values ---------------------------------------------------------------

uint32_t Pit8254::initial_count(const Counter &c) const {
  uint32_t n = c.count_register;
  if (c.bcd) {
    n = ((n >> 12) & 0xF) * 1000 + ((n >> 8) & 0xF) * 100 + ((n >> 4) & 0xF) * 10 + (n & 0xF);
    n %= 10000;
  }
  return n == 0 ? modulus(c) : n;
}

uint32_t Pit8254::current_count(const Counter &c) const {
  if (!c.running) return c.count;
  uint32_t m = modulus(c);
  switch (c.mode) {
    case 2:
      return (c.period - c.position) % m;
    case 3:
      return ((c.period & ~1u) - 2 * c.position) % m;
    default:
      return c.count;
  }
}

uint16_t Pit8254::encode(const Counter &c, uint32_t value) const {
  if (!c.bcd) return static_cast<uint16_t>(value);
  value %= 10000;
  return static_cast<uint16_t>((value / 1000) << 12 | (value / 100 % 10) << 8 |
                               (value / 10 % 10) << 4 | (value % 10));
}

uint8_t Pit8254::status_of(const Counter &c) const {
  return static_cast<uint8_t>((c.out ? 0x80 : 0) | (c.null_count ? 0x40 : 0) | c.control);
}

bool Pit8254::out(int counter) const {
  return counter >= 0 && counter < kCounters && st_->counters[counter].out;
}

// --- counting -------------------------------------------------------------

bool Pit8254::may_load(const Counter &c) const {
  return (c.mode != 2 && c.mode != 3) || c.gate;
}

void Pit8254::load(int index) {
  Counter &c = st_->counters[index];
  uint32_t n = initial_count(c);
  c.load_pending = false;
  c.running = true;
  c.null_count = false;
  c.strobe = false;
  switch (c.mode) {
    case 2:
      c.period = n;
      c.position = 0;
      set_out(index, n != 1);
      break;
    case 3:
      begin_half_period(index, true);
      break;
    default:
      c.count = n % modulus(c);
      c.terminal_armed = true;
      if (c.mode == 1) set_out(index, false);
      if (c.mode >= 4) set_out(index, true);
      break;
  }
}

// Mode 3: an even count N gives N/2 pulses high and N/2 low; an odd count
// (N+1)/2 high and (N-1)/2 low. Each half reloads from the count register.
void Pit8254::begin_half_period(int index, bool high) {
  Counter &c = st_->counters[index];
  uint32_t n = initial_count(c);
  c.period = n;
  c.position = 0;
  c.null_count = false;
  if (!high && n / 2 == 0) high = true;  // a count of 1 has no low half
  c.phase_high = high;
  c.phase_length = high ? (n + 1) / 2 : n / 2;
  set_out(index, high);
}

// One CLK pulse; the reference behaviour that skip() shortcuts.
void Pit8254::step(int index) {
  Counter &c = st_->counters[index];
  if (c.load_pending && may_load(c)) {
    load(index);
    return;
  }
  if (!c.running) return;
  uint32_t m = modulus(c);
  switch (c.mode) {
    case 0:
    case 1:
      if (c.mode == 0 && (!c.gate || c.held)) return;
      c.count = (c.count + m - 1) % m;
      if (c.terminal_armed && c.count == 0) {
        c.terminal_armed = false;
        set_out(index, true);
      }
      break;
    case 4:
    case 5:
      if (c.strobe) {
        c.strobe = false;
        set_out(index, true);
      }
      if (c.mode == 4 && !c.gate) return;
      c.count = (c.count + m - 1) % m;
      if (c.terminal_armed && c.count == 0) {
        c.terminal_armed = false;
        c.strobe = true;
        set_out(index, false);
      }
      break;
    case 2:
      if (!c.gate) return;
      if (++c.position >= c.period) {
        c.period = initial_count(c);
        c.position = 0;
        c.null_count = false;
        set_out(index, c.period != 1);
      } else if (c.position == c.period - 1) {
        set_out(index, false);
      }
      break;
    case 3:
      if (!c.gate) return;
      if (++c.position >= c.phase_length) begin_half_period(index, !c.phase_high);
      break;
  }
}

// Pulses until (and including) the next one that changes anything but the
// count; kNoEvent when none will.
uint64_t Pit8254::pulses_to_event(const Counter &c) const {
  if (c.load_pending && may_load(c)) return 1;
  if (!c.running) return kNoEvent;
  uint64_t to_zero = c.count == 0 ? modulus(c) : c.count;
  switch (c.mode) {
    case 0:
      if (!c.gate || c.held) return kNoEvent;
      return c.terminal_armed ? to_zero : kNoEvent;
    case 1:
      return c.terminal_armed ? to_zero : kNoEvent;
    case 4:
    case 5:
      if (c.strobe) return 1;
      if (c.mode == 4 && !c.gate) return kNoEvent;
      return c.terminal_armed ? to_zero : kNoEvent;
    case 2:
      if (!c.gate || c.period == 1) return kNoEvent;
      return c.position + 1 < c.period ? c.period - 1 - c.position : c.period - c.position;
    case 3:
      if (!c.gate || c.period == 1) return kNoEvent;
      return c.phase_length - c.position;
  }
  return kNoEvent;
}

// Pulses that change nothing but the count (fewer than pulses_to_event).
void Pit8254::skip(Counter &c, uint64_t pulses) {
  if (!c.running || pulses == 0) return;
  uint32_t m = modulus(c);
  switch (c.mode) {
    case 0:
    case 4:
      if (!c.gate || c.held) return;
      [[fallthrough]];
    case 1:
    case 5:
      c.count = static_cast<uint32_t>((c.count + m - pulses % m) % m);
      break;
    case 2:
    case 3:
      if (!c.gate || c.period == 1) return;
      c.position += static_cast<uint32_t>(pulses);
      break;
  }
}

void Pit8254::clock(int counter, uint64_t pulses) {
  if (counter < 0 || counter >= kCounters) return;
  Counter &c = st_->counters[counter];
  while (pulses) {
    uint64_t due = pulses_to_event(c);
    if (due > pulses) {
      skip(c, pulses);
      return;
    }
    skip(c, due - 1);
    pulses -= due;
    step(counter);
  }
}

void Pit8254::advance(uint64_t ticks) {
  for (int i = 0; i < kCounters; ++i) {
    bool fed = false;
    for (const Counter &c : st_->counters) fed = fed || c.chained_to == i;
    if (!fed) clock(i, ticks);
  }
}

// A chain that would lead back to from (a loop of counters clocking each
// other) is refused.
void Pit8254::chain(int from, int to) {
  if (from < 0 || from >= kCounters || to < -1 || to >= kCounters) return;
  for (int c = to; c >= 0; c = st_->counters[c].chained_to)
    if (c == from) return;
  st_->counters[from].chained_to = to;
}

void Pit8254::set_gate(int counter, bool level) {
  if (counter < 0 || counter >= kCounters) return;
  Counter &c = st_->counters[counter];
  if (c.gate == level) return;
  c.gate = level;
  bool restarts = c.mode == 1 || c.mode == 2 || c.mode == 3 || c.mode == 5;
  if (level && restarts && c.count_written) c.load_pending = true;
  if (!level && (c.mode == 2 || c.mode == 3)) set_out(counter, true);
}

void Pit8254::set_out(int index, bool level) {
  Counter &c = st_->counters[index];
  if (c.out == level) return;
  c.out = level;
  if (out_change_) out_change_(index, level);
  if (!level && c.chained_to >= 0) clock(c.chained_to, 1);
}

}  // namespace sim
