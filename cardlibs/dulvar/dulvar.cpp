// dulvar library: the Dulvar card's rules over the shared port-card driver.
#include "dulvar.h"

#include "ppi_card_lib.h"

namespace {

// Six 8255 chips in 24 ports, from 200H on an 8-port step, ending by 3FFH.
const ppicard::CardRules kDulvar = {"dulvar", 6, 24, 0x200, 0x3E8, 8, 2, 15, nullptr};
ppicard::Library g_lib(&kDulvar);

}  // namespace

extern "C" {

int DULVAR_API W_Dulvar_Initial(int card, int base, int irq_level) {
  return ppicard::initial(g_lib, card, base, irq_level);
}
#ifndef _WIN32
int DULVAR_API W_Dulvar_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches) {
  return ppicard::attach(g_lib, card, base, irq_level, modes, latches);
}
#endif
int DULVAR_API W_Dulvar_Set_Card(int card) { return ppicard::set_card(g_lib, card); }
int DULVAR_API W_Dulvar_Get_Card(int *card) { return ppicard::get_card(g_lib, card); }
int DULVAR_API W_Dulvar_DI_Port(int port_code, unsigned char *value) {
  return ppicard::read_group(g_lib, port_code, value);
}
int DULVAR_API W_Dulvar_DO_Port(int port_code, unsigned int value) {
  return ppicard::write_group(g_lib, port_code, value);
}
int DULVAR_API W_Dulvar_INT_Start(int count) { return ppicard::transfer_arm(g_lib, count); }
int DULVAR_API W_Dulvar_INT_Status(int *status, int *count) {
  return ppicard::transfer_query(g_lib, status, count);
}
int DULVAR_API W_Dulvar_INT_Stop(int *count) { return ppicard::transfer_stop(g_lib, count); }
int DULVAR_API W_Dulvar_INT_Buffer(int port_code, int direction, int *buffer, int count) {
  return ppicard::transfer_buffer(g_lib, port_code, direction, reinterpret_cast<int32_t *>(buffer), count);
}
int DULVAR_API W_Dulvar_INT_Setup(void) { return ppicard::transfer_setup(g_lib); }

}  // extern "C"
