// State of an interrupt sample: settings, counters and the two buffers.
#include "int_state.h"

int Base_Address;
int IRQ_Level;
int Total_Count;
int Current_Count;
int Int_Status;
int Input_Buffer[INT_BUFFER_CAPACITY];
int Pattern_Buffer[INT_BUFFER_CAPACITY];

void start_int_state(const IntSettings *start) {
  Base_Address = start->base_address;
  IRQ_Level = start->irq_level;
  Total_Count = start->total_count;
  Current_Count = 0;
  Int_Status = 0;
  for (int i = 0; i < INT_BUFFER_CAPACITY; ++i) {
    Input_Buffer[i] = 0;
    Pattern_Buffer[i] = 0;
  }
}

void fill_int_buffers(void) {
  for (int i = 0; i < Total_Count; ++i) Pattern_Buffer[i] = i;
  for (int i = 0; i < Total_Count; ++i) Input_Buffer[i] = 0;
}
