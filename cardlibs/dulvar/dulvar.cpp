// dulvar library: the Dulvar card's rules over the shared port-card driver.
#include "dulvar.h"

#include "dulvar_registers.h"
#include "ppi_card_lib.h"

namespace {

// Six 8255 chips in 24 ports (dulvar_registers.h).
const ppicard::CardRules kDulvar = {"dulvar", dulvar::kChannels, dulvar::kPorts, dulvar::kFirstBase,
                                    dulvar::kLastBase, dulvar::kBaseStep, dulvar::kFirstIrq, dulvar::kLastIrq,
                                    nullptr};
static_assert(dulvar::kCards == ppicard::kMaxCards && dulvar::kChannels <= ppicard::kMaxChannels,
              "the shared card table holds the card");
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
