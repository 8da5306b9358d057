// libFuzzer entry: an input is a sequence of calls into one family of the
// toolkit's drivers on a fresh simulated PC (default rack, manual clock),
// each call checked against the invariants of its library.
#include <cstdio>
#include <cstdlib>

#include "fuzz_check.h"
#include "kestan.h"

namespace {

constexpr int kMaxCallsPerInput = 64;

const fuzz::Library *const kLibraries[] = {
  &fuzz::kKestanLibrary,
  &fuzz::kPortCardLibraries,
};
constexpr int kLibraryCount = sizeof kLibraries / sizeof *kLibraries;

void fresh_simulator() {
  iosim_reset();
  iosim_clock_manual(1);
  iosim_journal_enable(1);
}

// The drivers must talk to the simulator, not to real ports: a write through
// kestan must show in the simulator's journal.
void check_bound_to_simulator() {
  fresh_simulator();
  if (W_Kestan_Initial(0, 0x2A8) != No_Error || W_Kestan_DO_8(0, 0) != No_Error ||
      iosim_journal_total() != 1) {
    std::fprintf(stderr, "kestan does not reach the simulated PC: run with "
                         "LD_LIBRARY_PATH set to the simulator folder\n");
    std::exit(2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  check_bound_to_simulator();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  // Free the libraries' cards (ending transfers, detaching handlers) before
  // the rack goes back to its default.
  for (const fuzz::Library *library : kLibraries) library->begin();
  fresh_simulator();
  const fuzz::Library *library = kLibraries[in.ConsumeIntegralInRange<int>(0, kLibraryCount - 1)];
  for (int call = 0; call < kMaxCallsPerInput && in.remaining_bytes() > 0; ++call) library->step(in);
  return 0;
}
