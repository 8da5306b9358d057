// wendal.dll as the panel imports it: ordinals 1, 2, 6 and 7.
#include "port_standin.h"
#include "wendal.h"

extern const CallName standin_names[] = {
    {1, "Wendal_Initial"}, {2, "Wendal_Set_Card"}, {6, "Wendal_DI_Port"}, {7, "Wendal_DO_Port"},
    {0, nullptr}};

extern "C" {
int WENDAL_API W_Wendal_Initial(int card, int base, int irq) { return standin_initial(1, card, base, irq); }
int WENDAL_API W_Wendal_Set_Card(int card) { return standin_set_card(2, card); }
int WENDAL_API W_Wendal_DI_Port(int code, unsigned char *value) { return standin_read(6, code, value); }
int WENDAL_API W_Wendal_DO_Port(int code, unsigned int value) { return standin_write(7, code, value); }
}
