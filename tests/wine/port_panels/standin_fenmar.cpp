// fenmar.dll as the panel imports it: ordinals 1, 2, 4 and 5.
#include "fenmar.h"
#include "port_standin.h"

extern const CallName standin_names[] = {
    {1, "Fenmar_Initial"}, {2, "Fenmar_Set_Card"}, {4, "Fenmar_DI_Port"}, {5, "Fenmar_DO_Port"},
    {0, nullptr}};

extern "C" {
int FENMAR_API W_Fenmar_Initial(int card, int base, int irq) { return standin_initial(1, card, base, irq); }
int FENMAR_API W_Fenmar_Set_Card(int card) { return standin_set_card(2, card); }
int FENMAR_API W_Fenmar_DI_Port(int code, unsigned char *value) { return standin_read(4, code, value); }
int FENMAR_API W_Fenmar_DO_Port(int code, unsigned int value) { return standin_write(5, code, value); }
}
