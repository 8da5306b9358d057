/*
 * The software-triggered acquisition shared by dulvar_interrupt and
 * fenmar_interrupt: Setup OK arms the card for Total_Count interrupts, and
 * each Interrupt Trigger pulses one bit of the card's Port C (channel 0),
 * makes one query and shows how far the acquisition has got. The two
 * programs differ only in the table below.
 */
#ifndef KIT_INTERRUPT_PULSE_SAMPLE_H
#define KIT_INTERRUPT_PULSE_SAMPLE_H

#include <windows.h>

typedef struct PulseCard {
  int (__stdcall *initialise)(int card, int base, int level);
  int (__stdcall *arm)(int count);
  int (__stdcall *query)(int *status, int *count);
  int (__stdcall *stop)(int *count);
  int (__stdcall *register_buffer)(int port, int direction, int *buffer, int count);
  int (__stdcall *begin_setup)(void);
  int pattern_port;            /* port code of the direction-2 buffer */
  int input_port;              /* port code of the direction-1 buffer */
  unsigned char trigger_bit;   /* the pulse written to Base_Address + 2 */
  const char *total_format;    /* the total line, drawn when the count is 1 */
} PulseCard;

/* The program's card, defined by its module. */
extern const PulseCard Pulse_Card;

void initialise_pulse_card(void);
void arm_pulse_card(HWND dialog);
void trigger_pulse_card(HWND window);
void stop_pulse_card(void);

#endif
