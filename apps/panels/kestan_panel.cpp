// kestan_panel: the 32-channel panel over the kestan library (ordinals 1, 2,
// 6 and 9), addresses 200H to 3F8H in steps of 8.
#include "app_frame.h"
#include "kestan.h"
#include "lamp_panel_32.h"
#include "resource.h"

namespace {

void initialise(int32_t address) { W_Kestan_Initial(0, address); }
void set_card(int card) { W_Kestan_Set_Card(card); }
void read_16(int port, uint32_t *value) { W_Kestan_DI_16(port, value); }
void write_16(int port, uint32_t value) { W_Kestan_DO_16(port, value); }

}  // namespace

const Panel32Program panel32_program = {
    {panel32::selector(8), panel32::kBox, panel32::kTimerId, initialise},
    {set_card, read_16, write_16},
};

const AppFrame program_frame = {
    "GenericWClass", "Kestan", CW_USEDEFAULT, CW_USEDEFAULT, 364, 294,
    MENU_UKESTAN,    nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  panel32_window,
};
