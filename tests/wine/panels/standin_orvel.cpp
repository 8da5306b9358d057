// Stand-in of orvel.dll for the in-process panel tests.
#include "orvel.h"
#include "standin.h"

extern const CallName standin_names[] = {{1, "Orvel_Initial"}, {2, "Orvel_Set_Card"},
                                  {6, "Orvel_DI_16"},   {9, "Orvel_DO_16"},
                                  {0, nullptr}};

extern "C" {
int ORVEL_CALL W_Orvel_Initial(int card, int base) {
  call_log_add(&standin_calls, 1, card, base);
  return 0;
}
int ORVEL_CALL W_Orvel_Set_Card(int card) {
  call_log_add(&standin_calls, 2, card);
  return standin_reads_fail ? Orvel_Card_Not_Initial : 0;
}
int ORVEL_CALL W_Orvel_DI_16(int port, unsigned int *value) {
  call_log_add(&standin_calls, 6, port, value != nullptr);
  if (standin_reads_fail) return Orvel_Card_Not_Initial;
  *value = (standin_inputs >> (16 * port)) & 0xFFFF;
  return 0;
}
int ORVEL_CALL W_Orvel_DO_16(int port, unsigned int value) {
  call_log_add(&standin_calls, 9, port, value);
  return 0;
}
}
