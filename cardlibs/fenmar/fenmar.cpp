// fenmar library: the Fenmar card's rules over the shared port-card driver.
#include "fenmar.h"

#include "fenmar_registers.h"
#include "ppi_card_lib.h"

namespace {

// One 8255 in 4 ports (fenmar_registers.h).
const ppicard::CardRules kFenmar = {"fenmar", fenmar::kChannels, fenmar::kPorts, fenmar::kFirstBase,
                                    fenmar::kLastBase, fenmar::kBaseStep, fenmar::kFirstIrq, fenmar::kLastIrq,
                                    nullptr};
static_assert(fenmar::kCards == ppicard::kMaxCards && fenmar::kChannels <= ppicard::kMaxChannels,
              "the shared card table holds the card");
ppicard::Library g_lib(&kFenmar);

}  // namespace

extern "C" {

int FENMAR_API W_Fenmar_Initial(int card, int base, int irq_level) {
  return ppicard::initial(g_lib, card, base, irq_level);
}
#ifndef _WIN32
int FENMAR_API W_Fenmar_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches) {
  return ppicard::attach(g_lib, card, base, irq_level, modes, latches);
}
#endif
int FENMAR_API W_Fenmar_Set_Card(int card) { return ppicard::set_card(g_lib, card); }
int FENMAR_API W_Fenmar_Get_Card(int *card) { return ppicard::get_card(g_lib, card); }
int FENMAR_API W_Fenmar_DI_Port(int port_code, unsigned char *value) {
  return ppicard::read_group(g_lib, port_code, value);
}
int FENMAR_API W_Fenmar_DO_Port(int port_code, unsigned int value) {
  return ppicard::write_group(g_lib, port_code, value);
}
int FENMAR_API W_Fenmar_INT_Start(int count) { return ppicard::transfer_arm(g_lib, count); }
int FENMAR_API W_Fenmar_INT_Status(int *status, int *count) {
  return ppicard::transfer_query(g_lib, status, count);
}
int FENMAR_API W_Fenmar_INT_Stop(int *count) { return ppicard::transfer_stop(g_lib, count); }
int FENMAR_API W_Fenmar_INT_Buffer(int port_code, int direction, int *buffer, int count) {
  return ppicard::transfer_buffer(g_lib, port_code, direction, reinterpret_cast<int32_t *>(buffer), count);
}
int FENMAR_API W_Fenmar_INT_Setup(void) { return ppicard::transfer_setup(g_lib); }

}  // extern "C"
