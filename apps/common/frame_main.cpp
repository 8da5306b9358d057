// The entry of every program: the frame started from the program's table.
// Linked into the programs only; tests start the frame from program_frame.
#include "app_frame.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)command_line;  // no program reads its command line
  return frame_main(&program_frame, instance, previous, show);
}
