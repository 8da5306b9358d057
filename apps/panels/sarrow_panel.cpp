// sarrow_panel: one row of 16 input lamps and one of 16 output lamps over the
// sarrow library (ordinals 1, 2, 4 and 5), addresses 200H to 3F8H in steps
// of 8.
#include "app_frame.h"
#include "lamp_panel_row.h"
#include "resource.h"
#include "sarrow.h"

namespace {

constexpr const RowPanelGeometry &geometry = sarrow_geometry::kPanel;

void initialise(int32_t address) { W_Sarrow_Initial(0, address); }
void set_card(int card) { W_Sarrow_Set_Card(card); }
void read(uint32_t *word) { W_Sarrow_DI(word); }
void write(uint32_t word) { W_Sarrow_DO(word); }

}  // namespace

const RowPanelProgram row_panel_program = {
    {geometry.selector, geometry.box, 1, initialise},
    geometry.blocks,
    {set_card, read, write},
};

const AppFrame program_frame = {
    "GenericWClass", "Sarrow", CW_USEDEFAULT, CW_USEDEFAULT, 370, 284,
    MENU_UORVEL,     nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  row_panel_window,
};
