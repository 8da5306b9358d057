#include "panel32_expect.h"

const PanelExpect expect = expect_panel32("Orvel", 16);
