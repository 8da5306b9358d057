// fenmar_panel: the port panel over one channel of the fenmar library
// (ordinals 1, 2, 4 and 5), addresses 200H to 3FCH in steps of 4.
#include "app_frame.h"
#include "fenmar.h"
#include "fenmar_registers.h"
#include "port_panel.h"
#include "resource.h"

namespace {

void initialise(int32_t address) { W_Fenmar_Initial(0, address, 3); }
void set_card(int card) { W_Fenmar_Set_Card(card); }
void read(int port_code, uint8_t *value) { W_Fenmar_DI_Port(port_code, value); }
void write(int port_code, uint32_t value) { W_Fenmar_DO_Port(port_code, value); }

}  // namespace

constexpr const port_geometry::PortPanelGeometry &geometry = port_geometry::kFenmar;

const PortPanelProgram port_panel_program = {
    {geometry.selector, geometry.box, 1, initialise},
    {set_card, read, write},
    fenmar::kChannels,
    &geometry,
    PORT_REPAINT_CLIENT,
    PORT_DC_PER_LAMP,
};

const AppFrame program_frame = {
    "GenericWClass", "Fenmar", CW_USEDEFAULT, CW_USEDEFAULT, 640, 180,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  port_panel_window,
};
