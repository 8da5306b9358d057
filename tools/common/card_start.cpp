#include "card_start.h"

#include "sim_pc.h"

namespace cardio {

namespace {

// A lamp card's outputs as the simulated PC holds them: bank 0, a byte per port.
bool latch_from_pc(const KindInfo &info, int base, CardState *state) {
  unsigned lines = 0;
  if (info.ppi_channels > 0 || !sim_outputs(base, 0, &lines)) return false;
  for (int p = 0; p < info.ports; ++p) {
    state->outputs[p] = static_cast<uint8_t>(lines >> (8 * p));
    state->known_ports |= 1u << p;
  }
  return true;
}

}  // namespace

Record starting_state(const StateFile &file, CardState *state, char *why, size_t why_size) {
  Record record = file.fd >= 0 ? state_file_load(file, state, why, why_size) : Record::kNone;
  if (file.simulator) {
    CardState latched{};
    if (latch_from_pc(kind_info(file.kind), file.base, &latched)) {
      *state = latched;
      return Record::kLoaded;
    }
  }
  return record;
}

}  // namespace cardio
