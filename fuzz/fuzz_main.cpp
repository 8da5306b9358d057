// libFuzzer entry of every fuzz target: an input is a sequence of calls into
// the target's library (or family of libraries) on a fresh simulated PC
// (default rack, manual clock), each call checked against the invariants of
// its library.
#include <cstdio>
#include <cstdlib>

#include "fuzz_check.h"

namespace {

constexpr int kMaxCallsPerInput = 64;

void fresh_simulator() {
  iosim_reset();
  iosim_clock_manual(1);
  iosim_journal_enable(1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fresh_simulator();
  if (!fuzz::kTarget.reaches_simulator()) {
    std::fprintf(stderr, "%s does not reach the simulated PC: run with LD_LIBRARY_PATH "
                         "set to the simulator folder\n", fuzz::kTarget.name);
    std::exit(2);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);
  // Free the library's cards (ending transfers, detaching handlers) before
  // the rack goes back to its default.
  fuzz::kTarget.begin();
  fresh_simulator();
  for (int call = 0; call < kMaxCallsPerInput && in.remaining_bytes() > 0; ++call) fuzz::kTarget.step(in);
  return 0;
}
