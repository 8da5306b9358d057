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

}  // namespace

constexpr const port_geometry::PortPanelGeometry &geometry = port_geometry::kDulvar;

const PortPanelProgram port_panel_program = {
    {geometry.selector, geometry.box, 1, initialise},
    {set_card, read, write},
    dulvar::kChannels,
    &geometry,
    PORT_REPAINT_GROUP,
    PORT_DC_PER_LAMP,
};

const AppFrame program_frame = {
    "GenericWClass", "Dulvar", CW_USEDEFAULT, CW_USEDEFAULT, 640, 440,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  port_panel_window,
};
