// dulvar_panel: the port panel over four or six channels of the dulvar
// library (ordinals 1, 2, 4 and 5), addresses 200H to 3F0H in steps of 16.
// The mode selector serves 4 channels (96-bit) or 6 (144-bit); a direction
// click repaints only its group.
#include "app_frame.h"
#include "dulvar.h"
#include "dulvar_registers.h"
#include "port_panel.h"
#include "resource.h"

namespace {

void initialise(int32_t address) { W_Dulvar_Initial(0, address, 3); }
void set_card(int card) { W_Dulvar_Set_Card(card); }
void read(int port_code, uint8_t *value) { W_Dulvar_DI_Port(port_code, value); }
void write(int port_code, uint32_t value) { W_Dulvar_DO_Port(port_code, value); }

// Below the last row (channel 5 at 290), the base-address box to its left.
const PortModeSelector kMode = {
    IDC_MODE,
    450, 340, 80, 100,
    {{"96-bit", 4}, {"144-bit", 6}},
    1,
    {370, 335, 540, 370},
    {400, 342},
    "Mode:",
    // Rows of channels 4 and 5 with their "CH4" and "CH5".
    {5, 228, 631, 320},
};

}  // namespace

const PortPanelProgram port_panel_program = {
    {{252, 340, 0, 16}, {{130, 335, 350, 370}, {150, 342}}, 1, initialise},
    {set_card, read, write},
    dulvar::kChannels,
    // "O" offsets of Port A, Port B, Port C lower, Port C upper.
    {{27, 7}, {27, 9}, {28, 9}, {28, 9}},
    {40, 90, 140, 190, 240, 290},
    PORT_LABELS_AFTER_BOXES,
    PORT_REPAINT_GROUP,
    PORT_DC_PER_LAMP,
    &kMode,
};

const AppFrame program_frame = {
    "GenericWClass", "Dulvar", CW_USEDEFAULT, CW_USEDEFAULT, 640, 440,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  port_panel_window,
};
