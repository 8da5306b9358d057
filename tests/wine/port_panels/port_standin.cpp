#include "port_standin.h"

CallLog port_calls;
uint8_t port_inputs[STANDIN_CHANNELS][STANDIN_GROUPS];

void port_standin_reset() {
  call_log_clear(&port_calls);
  port_calls.names = standin_names;
  for (auto &channel : port_inputs)
    for (uint8_t &value : channel) value = 0;
}

int standin_initial(int ordinal, int card, int base, int irq_level) {
  call_log_add(&port_calls, ordinal, card, base, irq_level);
  return 0;
}

int standin_set_card(int ordinal, int card) {
  call_log_add(&port_calls, ordinal, card);
  return 0;
}

// The pointer is not compared (it points into the panel); only that one is
// given.
int standin_read(int ordinal, int port_code, unsigned char *value) {
  call_log_add(&port_calls, ordinal, port_code, value != nullptr);
  int channel = port_code / 256, group = port_code % 256;
  if (!value || channel < 0 || channel >= STANDIN_CHANNELS || group < 0 || group >= STANDIN_GROUPS)
    return 8;
  *value = port_inputs[channel][group];
  return 0;
}

int standin_write(int ordinal, int port_code, unsigned int value) {
  call_log_add(&port_calls, ordinal, port_code, value);
  return 0;
}
