// walk_outputs: switches on one output of the Kestan card at a time, from
// channel 0 to channel 31, and after each step prints what the 32 inputs
// read. With the card's test cable plugged in (the simulator has it in),
// input n is wired to output n, so the lit input walks along with the output.
//
// It calls kestan.dll by name: it is linked with the import library
// libkestan_name.a (see docs/programming.md).
#include <cstdio>
#include <cstdlib>

#include "kestan.h"
#include "port_rights.h"

// Change these to match your card: the card number is our choice (0 to 7),
// the base address is set by the switches on the card.
const int kCardNumber = 0;
const int kBaseAddress = 0x2A8;
const int kCardPorts = 8;  // the card decodes 8 ports from its base

const int kChannelCount = 32;

// Every kestan call returns an error code; 0 (No_Error) means success.
// A real program would tell the user; this one stops.
void check(int error, const char *call) {
  if (error != No_Error) {
    std::printf("%s failed with error code %d\n", call, error);
    std::exit(1);
  }
}

// Reads all 32 inputs: 16-bit port 0 holds inputs 0 to 15, port 1 inputs 16 to 31.
unsigned int read_all_inputs() {
  unsigned int low = 0, high = 0;
  check(W_Kestan_DI_16(0, &low), "W_Kestan_DI_16");
  check(W_Kestan_DI_16(1, &high), "W_Kestan_DI_16");
  return low | (high << 16);
}

// Prints the 32 lines of a word from channel 0 to 31: '*' for 1, '.' for 0.
void print_lines(unsigned int word) {
  for (int channel = 0; channel < kChannelCount; channel++)
    std::putchar((word >> channel) & 1 ? '*' : '.');
}

int main() {
  if (!may_use_ports(kBaseAddress, kCardPorts)) return 1;  // it says why
  check(W_Kestan_Initial(kCardNumber, kBaseAddress), "W_Kestan_Initial");
  std::printf("Walking one lit output across the 32 outputs of the card at %XH.\n", kBaseAddress);
  std::printf("After each step the inputs are read back (* = 1, channel 0 first).\n\n");

  // Start with every output off: two 16-bit writes.
  check(W_Kestan_DO_16(0, 0), "W_Kestan_DO_16");
  check(W_Kestan_DO_16(1, 0), "W_Kestan_DO_16");

  int matches = 0;
  for (int channel = 0; channel < kChannelCount; channel++) {
    // Switch the previous output off and this one on. W_Kestan_DO_Channel
    // rewrites the other seven outputs of the port from the library's copy
    // of what it wrote last, so they keep their values.
    if (channel > 0) check(W_Kestan_DO_Channel(channel - 1, 0), "W_Kestan_DO_Channel");
    check(W_Kestan_DO_Channel(channel, 1), "W_Kestan_DO_Channel");

    unsigned int inputs = read_all_inputs();
    std::printf("output %2d on   inputs ", channel);
    print_lines(inputs);
    std::printf("\n");
    if (inputs == 1u << channel) matches++;
  }
  check(W_Kestan_DO_Channel(kChannelCount - 1, 0), "W_Kestan_DO_Channel");

  std::printf("\nThe inputs equalled the outputs in %d of %d steps.\n", matches, kChannelCount);
  if (matches < kChannelCount)
    std::printf("(Is the test cable plugged in? It joins output n to input n.)\n");
  return 0;
}
