// wendal library: the Wendal card's rules over the shared port-card driver.
#include "wendal.h"

#include "ppi_card_lib.h"
#include "sampling_clock.h"
#include "wendal_registers.h"

namespace {

// Two 8255 chips and the 8254 in 12 ports (wendal_registers.h). A new card
// starts with its sampling clock idle.
const ppicard::CardRules kWendal = {"wendal", wendal::kChannels, wendal::kPorts, wendal::kFirstBase,
                                    wendal::kLastBase, wendal::kBaseStep, wendal::kFirstIrq, wendal::kLastIrq,
                                    wendal::idle_clock};
static_assert(wendal::kCards == ppicard::kMaxCards && wendal::kChannels <= ppicard::kMaxChannels,
              "the shared card table holds the card");
ppicard::Library g_lib(&kWendal);

}  // namespace

extern "C" {

int WENDAL_API W_Wendal_Initial(int card, int base, int irq_level) {
  return ppicard::initial(g_lib, card, base, irq_level);
}
#ifndef _WIN32
int WENDAL_API W_Wendal_Attach(int card, int base, int irq_level, const unsigned char *modes,
                          const unsigned char *latches) {
  return ppicard::attach(g_lib, card, base, irq_level, modes, latches);
}
#endif
int WENDAL_API W_Wendal_Set_Card(int card) { return ppicard::set_card(g_lib, card); }
int WENDAL_API W_Wendal_Get_Card(int *card) { return ppicard::get_card(g_lib, card); }
int WENDAL_API W_Wendal_Clock_Start(int divisor1, int divisor2) {
  return wendal::clock_start(g_lib, divisor1, divisor2);
}
int WENDAL_API W_Wendal_Clock_Stop(void) { return wendal::clock_stop(g_lib); }
int WENDAL_API W_Wendal_DI_Port(int port_code, unsigned char *value) {
  return ppicard::read_group(g_lib, port_code, value);
}
int WENDAL_API W_Wendal_DO_Port(int port_code, unsigned int value) {
  return ppicard::write_group(g_lib, port_code, value);
}
int WENDAL_API W_Wendal_INT_Start(int count) { return ppicard::transfer_arm(g_lib, count); }
int WENDAL_API W_Wendal_INT_Status(int *status, int *count) {
  return ppicard::transfer_query(g_lib, status, count);
}
int WENDAL_API W_Wendal_INT_Stop(int *count) { return ppicard::transfer_stop(g_lib, count); }
int WENDAL_API W_Wendal_INT_Buffer(int port_code, int direction, int *buffer, int count) {
  return ppicard::transfer_buffer(g_lib, port_code, direction, reinterpret_cast<int32_t *>(buffer), count);
}
int WENDAL_API W_Wendal_INT_Setup(void) { return ppicard::transfer_setup(g_lib); }
int WENDAL_API W_Wendal_Counter_Read(int counter, unsigned int *count) {
  return wendal::counter_read(g_lib, counter, count);
}

}  // extern "C"
