// pellin_panel: one row of 8 input lamps and one of 8 output lamps, 30 pixels
// apart, over the pellin library (ordinals 1, 2, 4 and 5), every even address
// from 200H to 3FEH. The only panel with a window class of its own.
#include "app_frame.h"
#include "lamp_panel_row.h"
#include "pellin.h"
#include "resource.h"

namespace {

constexpr const RowPanelGeometry &geometry = pellin_geometry::kPanel;

void initialise(int32_t address) { W_Pellin_Initial(0, address); }
void set_card(int card) { W_Pellin_Set_Card(card); }

// The library's word is a byte; a failed read leaves it, and so the panel's
// word, as it was.
void read(uint32_t *word) {
  uint8_t byte = static_cast<uint8_t>(*word);
  W_Pellin_DI(&byte);
  *word = byte;
}
void write(uint32_t word) { W_Pellin_DO(static_cast<uint8_t>(word)); }

}  // namespace

const RowPanelProgram row_panel_program = {
    {geometry.selector, geometry.box, 1, initialise},
    geometry.blocks,
    {set_card, read, write},
};

const AppFrame program_frame = {
    "PellinClass", "Pellin", CW_USEDEFAULT, CW_USEDEFAULT, 280, 260,
    MENU_UORVEL,   nullptr,  ICON_PANEL,    LTGRAY_BRUSH,  row_panel_window,
};
