// counter_read: starts counter 0 of the Kestan card's 8254 timer chip in
// mode 2 (rate generator) and reads its count ten times. In mode 2 the
// counter counts down from the start value to 1, then loads the start value
// again, and so on, as long as its clock runs.
//
// It calls kestan.dll by ordinal: it is linked with the import library
// libkestan_ord.a, so its import table holds the numbers 11 to 13, no names
// (see docs/programming.md).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "kestan.h"
#include "port_rights.h"

// Change these to match your card.
const int kCardNumber = 0;
const int kBaseAddress = 0x2A8;
const int kCardPorts = 8;  // the card decodes 8 ports from its base

const int kCounter = 0;
const int kMode = 2;                 // rate generator
const unsigned int kStartCount = 50000;
const int kReads = 10;
const int kPauseMilliseconds = 2;    // between two reads

void check(int error, const char *call) {
  if (error != No_Error) {
    std::printf("%s failed with error code %d\n", call, error);
    std::exit(1);
  }
}

int main() {
  if (!may_use_ports(kBaseAddress, kCardPorts)) return 1;  // it says why
  check(W_Kestan_Initial(kCardNumber, kBaseAddress), "W_Kestan_Initial");
  check(W_Kestan_Timer_Start(kCounter, kMode, kStartCount), "W_Kestan_Timer_Start");
  std::printf("Counter %d of the card at %XH started in mode %d with count %u.\n", kCounter,
              kBaseAddress, kMode, kStartCount);

  for (int i = 1; i <= kReads; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMilliseconds));
    // W_Kestan_Timer_Read latches the count, so both of its bytes belong
    // to the same moment.
    unsigned int count = 0;
    check(W_Kestan_Timer_Read(kCounter, &count), "W_Kestan_Timer_Read");
    std::printf("read %2d: %5u\n", i, count);
  }

  // Stopping gives the last count and leaves the counter loaded with 1.
  unsigned int last = 0;
  check(W_Kestan_Timer_Stop(kCounter, &last), "W_Kestan_Timer_Stop");
  std::printf("Counter %d stopped at %u.\n", kCounter, last);
  return 0;
}
