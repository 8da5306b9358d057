// What the tests expect of the software-triggered samples (dulvar_interrupt,
// fenmar_interrupt) beyond the Setup dialog.
#ifndef KIT_TESTS_PULSE_EXPECT_H
#define KIT_TESTS_PULSE_EXPECT_H

struct PulseExpect {
  int pattern_port;         // port code registered with direction 2
  int input_port;           // port code registered with direction 1
  unsigned char pulse;      // written to base + 2, then 00H
  const char *total_format; // the total line
};

extern const PulseExpect Pulse_Expected;

#endif
