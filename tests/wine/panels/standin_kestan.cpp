// Stand-in of kestan.dll for the in-process panel tests.
#include "kestan.h"
#include "standin.h"

extern const CallName standin_names[] = {{1, "Kestan_Initial"}, {2, "Kestan_Set_Card"},
                                  {6, "Kestan_DI_16"},   {9, "Kestan_DO_16"},
                                  {0, nullptr}};

extern "C" {
int KESTAN_CALL W_Kestan_Initial(int card, int base) {
  call_log_add(&standin_calls, 1, card, base);
  return 0;
}
int KESTAN_CALL W_Kestan_Set_Card(int card) {
  call_log_add(&standin_calls, 2, card);
  return standin_reads_fail ? Card_Not_Initial : 0;
}
int KESTAN_CALL W_Kestan_DI_16(int port, unsigned int *value) {
  call_log_add(&standin_calls, 6, port, value != nullptr);
  if (standin_reads_fail) return Card_Not_Initial;
  *value = (standin_inputs >> (16 * port)) & 0xFFFF;
  return 0;
}
int KESTAN_CALL W_Kestan_DO_16(int port, unsigned int value) {
  call_log_add(&standin_calls, 9, port, value);
  return 0;
}
}
