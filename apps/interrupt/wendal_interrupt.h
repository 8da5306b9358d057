/*
 * wendal_interrupt's own state: the sampling rate typed in the Setup dialog
 * and the two divisors of the card's 2 MHz timer clock.
 */
#ifndef KIT_INTERRUPT_WENDAL_INTERRUPT_H
#define KIT_INTERRUPT_WENDAL_INTERRUPT_H

extern int Sampling_Rate;
extern int Clock_Divisor_1;
extern int Clock_Divisor_2;

/* Without a new interrupt for this long the acquisition is given up. */
enum { WENDAL_SILENCE_MS = 2000 };

#endif
