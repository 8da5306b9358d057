// The 32-channel panel, as kestan_panel and orvel_panel must both show it.
#ifndef KIT_PANEL32_EXPECT_H
#define KIT_PANEL32_EXPECT_H

#include "panel_expect.h"

PanelExpect expect_panel32(const char *title, int address_step);

#endif
