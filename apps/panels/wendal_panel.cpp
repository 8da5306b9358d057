// wendal_panel: the port panel over the two channels of the wendal library
// (ordinals 1, 2, 6 and 7), addresses 200H to 3FEH in steps of 2. It paints
// group by group across both channels with the labels last, sets Port A's
// "O" two pixels higher than the others, and holds one device context for
// the whole of a lamp click.
#include "app_frame.h"
#include "port_panel.h"
#include "resource.h"
#include "wendal.h"
#include "wendal_registers.h"

namespace {

void initialise(int32_t address) { W_Wendal_Initial(0, address, 3); }
void set_card(int card) { W_Wendal_Set_Card(card); }
void read(int port_code, uint8_t *value) { W_Wendal_DI_Port(port_code, value); }
void write(int port_code, uint32_t value) { W_Wendal_DO_Port(port_code, value); }

}  // namespace

constexpr const port_geometry::PortPanelGeometry &geometry = port_geometry::kWendal;

const PortPanelProgram port_panel_program = {
    {geometry.selector, geometry.box, 2, initialise},
    {set_card, read, write},
    wendal::kChannels,
    &geometry,
    PORT_REPAINT_CLIENT,
    PORT_DC_PER_CLICK,
};

const AppFrame program_frame = {
    "GenericWClass", "Wendal", CW_USEDEFAULT, CW_USEDEFAULT, 640, 230,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  port_panel_window,
};
