/*
 * State of an interrupt sample, kept between the Setup dialog and the main
 * window for the whole run. The card library is handed the addresses of the
 * two buffers and writes Input_Buffer from its interrupt handling long after
 * the registering call has returned, so both are static arrays.
 */
#ifndef KIT_INTERRUPT_INT_STATE_H
#define KIT_INTERRUPT_INT_STATE_H

/* Largest count the Setup dialog accepts; the capacity of both buffers. */
enum { INT_BUFFER_CAPACITY = 32768 };

/* Settings a program starts with. */
typedef struct IntSettings {
  int base_address;
  int irq_level;
  int total_count;
} IntSettings;

extern int Base_Address;
extern int IRQ_Level;
extern int Total_Count;
extern int Current_Count;
extern int Int_Status;
extern int Input_Buffer[INT_BUFFER_CAPACITY];
extern int Pattern_Buffer[INT_BUFFER_CAPACITY];

/* Put the settings to the program's starting values, the counters and both
 * buffers to zero. */
void start_int_state(const IntSettings *start);

/* Pattern_Buffer[i] = i, then Input_Buffer[i] = 0, for i below Total_Count;
 * a count of 0 or below touches neither. */
void fill_int_buffers(void);

#endif
