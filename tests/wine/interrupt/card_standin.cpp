// A stand-in card library: every exported operation records its call. The
// same source builds dulvar.dll, fenmar.dll and wendal.dll; each .def gives
// the operations their card's ordinals (CARD_NAME names the card).
#include <stdint.h>

#include "card_recorder.h"

#define RECORD(ordinal, ...)                                       \
  do {                                                            \
    const intptr_t args[] = {0, __VA_ARGS__};                     \
    return cardrec_record(CARD_NAME, ordinal,                     \
                          static_cast<int>(sizeof args / sizeof args[0]) - 1, args + 1); \
  } while (0)

extern "C" {

int __stdcall standin_initial(int card, int base, int level) { RECORD(1, card, base, level); }
int __stdcall standin_timer_start(int divisor1, int divisor2) { RECORD(4, divisor1, divisor2); }
int __stdcall standin_timer_stop(void) { RECORD(5); }

// The interrupt operations sit at ordinals 7 to 11 on dulvar and fenmar and
// at 9 to 13 on wendal: INT_ORDINAL_BASE is 7 or 9.
int __stdcall standin_int_enable(int count) { RECORD(INT_ORDINAL_BASE + 0, count); }
int __stdcall standin_int_status(int *status, int *count) {
  RECORD(INT_ORDINAL_BASE + 1, reinterpret_cast<intptr_t>(status), reinterpret_cast<intptr_t>(count));
}
int __stdcall standin_int_stop(int *count) { RECORD(INT_ORDINAL_BASE + 2, reinterpret_cast<intptr_t>(count)); }
int __stdcall standin_int_buffer(int port, int direction, int *buffer, int count) {
  RECORD(INT_ORDINAL_BASE + 3, port, direction, reinterpret_cast<intptr_t>(buffer), count);
}
int __stdcall standin_int_reset(void) { RECORD(INT_ORDINAL_BASE + 4); }

}
