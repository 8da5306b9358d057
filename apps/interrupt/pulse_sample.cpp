// Arming, trigger and stop of the software-triggered interrupt samples.
#include "pulse_sample.h"

#include "int_lines.h"
#include "int_state.h"
#include "ioport.h"

namespace {

// Transfer directions of a registered buffer.
const int kDirectionInput = 1;
const int kDirectionPattern = 2;

// Card ports relative to the base address: Port C and the control register
// of the first programmable peripheral interface (channel 0).
const int kPortC = 2;
const int kControlPort = 3;
// Mode 0, Port A, Port B and Port C all outputs.
const unsigned char kModeAllOutputs = 0x80;
const int kPulsePasses = 1000;

// Listing of the gathered values.
const int kShownValues = 15;
const int kLineX = 20;
const int kTotalY = 10;
const int kCountY = 30;
const int kHeadingY = 50;
const int kFirstValueY = 70;
const int kValueStep = 20;

void write_card_port(int offset, unsigned char value) {
  io_out8(static_cast<unsigned short>(Base_Address + offset), value);
}

// A busy wait the compiler must keep: every pass reads and writes memory.
void wait_pulse_passes(void) {
  for (volatile int pass = 0; pass < kPulsePasses; pass = pass + 1) {
  }
}

void send_trigger_pulse(void) {
  write_card_port(kPortC, Pulse_Card.trigger_bit);
  wait_pulse_passes();
  write_card_port(kPortC, 0);
}

void list_gathered_values(HDC dc) {
  draw_int_line(dc, kLineX, kHeadingY, "only shows at most 15 data:");
  for (int i = 0; i < Total_Count && i < kShownValues; ++i)
    draw_int_line(dc, kLineX, kFirstValueY + kValueStep * i, "Input_Buffer[%d] = %d ", i,
                  Input_Buffer[i]);
}

}  // namespace

void initialise_pulse_card(void) { Pulse_Card.initialise(0, Base_Address, IRQ_Level); }

void arm_pulse_card(HWND) {
  Pulse_Card.begin_setup();
  Pulse_Card.register_buffer(Pulse_Card.pattern_port, kDirectionPattern, Pattern_Buffer, Total_Count);
  Pulse_Card.register_buffer(Pulse_Card.input_port, kDirectionInput, Input_Buffer, Total_Count);
  write_card_port(kControlPort, kModeAllOutputs);
  Pulse_Card.arm(Total_Count);
}

void trigger_pulse_card(HWND window) {
  send_trigger_pulse();
  Pulse_Card.query(&Int_Status, &Current_Count);
  HDC dc = GetDC(window);
  if (Current_Count == 1) draw_int_line(dc, kLineX, kTotalY, Pulse_Card.total_format, Total_Count);
  draw_int_line(dc, kLineX, kCountY, "The Current Count = %d ", Current_Count);
  if (Int_Status == 0) {
    Pulse_Card.stop(&Current_Count);
    list_gathered_values(dc);
  }
  ReleaseDC(window, dc);
  MessageBeep(0);
}

void stop_pulse_card(void) { Pulse_Card.stop(&Current_Count); }
