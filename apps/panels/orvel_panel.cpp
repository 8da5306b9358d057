// orvel_panel: the 32-channel panel over the orvel library (ordinals 1, 2, 6
// and 9), addresses 200H to 3F0H in steps of 16.
#include "app_frame.h"
#include "lamp_panel_32.h"
#include "orvel.h"
#include "resource.h"

namespace {

void initialise(int32_t address) { W_Orvel_Initial(0, address); }
void set_card(int card) { W_Orvel_Set_Card(card); }
void read_16(int port, uint32_t *value) { W_Orvel_DI_16(port, value); }
void write_16(int port, uint32_t value) { W_Orvel_DO_16(port, value); }

}  // namespace

const Panel32Program panel32_program = {
    {panel32::selector(16), panel32::kBox, panel32::kTimerId, initialise},
    {set_card, read_16, write_16},
};

const AppFrame program_frame = {
    "GenericWClass", "Orvel",  CW_USEDEFAULT, CW_USEDEFAULT, 364, 294,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  panel32_window,
};
