#include "standin.h"

CallLog standin_calls;
uint32_t standin_inputs;
int standin_reads_fail;

void standin_reset() {
  call_log_clear(&standin_calls);
  standin_calls.names = standin_names;
  standin_inputs = 0;
  standin_reads_fail = 0;
}
