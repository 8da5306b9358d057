// Stand-in of pellin.dll for the in-process panel tests.
#include "pellin.h"
#include "standin.h"

extern const CallName standin_names[] = {{1, "Pellin_Initial"}, {2, "Pellin_Set_Card"},
                                  {4, "Pellin_DI"},      {5, "Pellin_DO"},
                                  {0, nullptr}};

extern "C" {
int PELLIN_CALL W_Pellin_Initial(int card, int base) {
  call_log_add(&standin_calls, 1, card, base);
  return 0;
}
int PELLIN_CALL W_Pellin_Set_Card(int card) {
  call_log_add(&standin_calls, 2, card);
  return standin_reads_fail ? Pellin_Card_Not_Initial : 0;
}
int PELLIN_CALL W_Pellin_DI(unsigned char *value) {
  call_log_add(&standin_calls, 4, value != nullptr);
  if (standin_reads_fail) return Pellin_Card_Not_Initial;
  *value = static_cast<unsigned char>(standin_inputs);
  return 0;
}
int PELLIN_CALL W_Pellin_DO(unsigned int value) {
  call_log_add(&standin_calls, 5, value);
  return 0;
}
}
