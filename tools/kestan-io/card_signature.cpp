#include "card_signature.h"

#include <ctime>

#include "ioport.h"

namespace {

constexpr int kChipPorts = 4;  // an 8255 or an 8254: three data ports and a control register
constexpr int kDataPortsPerChip = 3;
constexpr long kCountingPauseNs = 3000000;

enum class Role { Input, Counter, ReadsFF };

// What each offset of the kind's range is.
int roles_of(const cardio::KindInfo &k, Role *roles) {
  for (int i = 0; i < k.decoded_ports; ++i) roles[i] = Role::ReadsFF;
  int after = 0;
  if (k.ppi_channels == 0) {
    for (int p = 0; p < k.ports; ++p) roles[p] = Role::Input;
    after = k.ports;
  } else {
    for (int c = 0; c < k.ppi_channels; ++c)
      for (int p = 0; p < kDataPortsPerChip; ++p) roles[kChipPorts * c + p] = Role::Input;
    after = kChipPorts * k.ppi_channels;
  }
  for (int c = 0; c < k.counters; ++c) roles[after + c] = Role::Counter;
  return k.decoded_ports;
}

unsigned read_port(int port) { return io_in8(static_cast<unsigned short>(port)); }

// The count as the counter's port gives it, low byte then high byte.
unsigned read_count(int port) { return read_port(port) | read_port(port) << 8; }

}  // namespace

Signature read_signature(const cardio::KindInfo &k, int base, bool below_is_card) {
  Signature s{Verdict::Silent, 0, 0, k.counters > 0 ? 0 : -1, false, -1};
  Role roles[64];
  const int n = roles_of(k, roles);
  unsigned first_count[64] = {};
  int inputs_not_ff = 0, counters_not_ff = 0;
  for (int i = 0; i < n; ++i) {
    const int port = base + i;
    const unsigned value = roles[i] == Role::Counter ? read_count(port) : read_port(port);
    const bool answers = roles[i] == Role::Counter ? value != 0xFFFF : value != 0xFF;
    first_count[i] = value;
    ++s.read;
    if (!answers) continue;
    ++s.not_ff;
    if (roles[i] == Role::ReadsFF && s.telling_port < 0) s.telling_port = port;
    if (roles[i] == Role::Input) ++inputs_not_ff;
    if (roles[i] == Role::Counter) ++counters_not_ff;
  }
  if (counters_not_ff > 0) {
    timespec pause = {0, kCountingPauseNs};
    nanosleep(&pause, nullptr);
    for (int i = 0; i < n; ++i)
      if (roles[i] == Role::Counter && first_count[i] != 0xFFFF && read_count(base + i) != first_count[i])
        ++s.counting;
  }
  if (s.telling_port >= 0) {
    s.verdict = Verdict::OtherCard;
    return s;
  }
  // The 8254 of the Kestan and Wendal cards is part of their shape: every
  // counter answers, or these are another card's ports.
  const bool counters_missing = counters_not_ff < k.counters;
  if (s.not_ff == 0 || counters_missing) {
    s.verdict = s.not_ff == 0 ? Verdict::Silent : Verdict::OtherCard;
    return s;
  }
  if (!below_is_card && base > 0 && read_port(base - 1) != 0xFF) {
    s.verdict = Verdict::CannotTell;
    s.telling_port = base - 1;
    return s;
  }
  s.verdict = Verdict::Answers;
  s.inputs_float = inputs_not_ff == 0;
  return s;
}
