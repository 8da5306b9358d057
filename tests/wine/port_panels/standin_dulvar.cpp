// dulvar.dll as the panel imports it: ordinals 1, 2, 4 and 5.
#include "dulvar.h"
#include "port_standin.h"

extern const CallName standin_names[] = {
    {1, "Dulvar_Initial"}, {2, "Dulvar_Set_Card"}, {4, "Dulvar_DI_Port"}, {5, "Dulvar_DO_Port"},
    {0, nullptr}};

extern "C" {
int DULVAR_API W_Dulvar_Initial(int card, int base, int irq) { return standin_initial(1, card, base, irq); }
int DULVAR_API W_Dulvar_Set_Card(int card) { return standin_set_card(2, card); }
int DULVAR_API W_Dulvar_DI_Port(int code, unsigned char *value) { return standin_read(4, code, value); }
int DULVAR_API W_Dulvar_DO_Port(int code, unsigned int value) { return standin_write(5, code, value); }
}
