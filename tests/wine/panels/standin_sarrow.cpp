// Stand-in of sarrow.dll for the in-process panel tests.
#include "sarrow.h"
#include "standin.h"

extern const CallName standin_names[] = {{1, "Sarrow_Initial"}, {2, "Sarrow_Set_Card"},
                                  {4, "Sarrow_DI"},      {5, "Sarrow_DO"},
                                  {0, nullptr}};

extern "C" {
int SARROW_CALL W_Sarrow_Initial(int card, int base) {
  call_log_add(&standin_calls, 1, card, base);
  return 0;
}
int SARROW_CALL W_Sarrow_Set_Card(int card) {
  call_log_add(&standin_calls, 2, card);
  return standin_reads_fail ? Sarrow_Card_Not_Initial : 0;
}
int SARROW_CALL W_Sarrow_DI(unsigned int *value) {
  call_log_add(&standin_calls, 4, value != nullptr);
  if (standin_reads_fail) return Sarrow_Card_Not_Initial;
  *value = standin_inputs & 0xFFFF;
  return 0;
}
int SARROW_CALL W_Sarrow_DO(unsigned int value) {
  call_log_add(&standin_calls, 5, value);
  return 0;
}
}
