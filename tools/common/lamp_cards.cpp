// The lamp cards (kestan, orvel, sarrow, pellin): input line n and output
// line n are bit n % 8 of byte port n / 8, and the library keeps a copy of
// what it drives. The layer keeps that copy what the card drives: a run
// that starts from a record puts the record's ports back in it before it
// writes a line.
#include "card_ops.h"
#include "kestan.h"
#include "orvel.h"
#include "pellin.h"
#include "sarrow.h"

namespace cardio {

namespace {

// The calls of one lamp-card library, by byte port where the card has none.
struct LampCalls {
  bool one_register;  // the ports are bytes of one register, written together
  int (*initial)(int card, int base);
  int (*set_card)(int card);
  int (*read_line)(int line, int *value);
  int (*write_line)(int line, unsigned value);
  int (*read_port)(int port, unsigned *value);
  int (*write_port)(int port, unsigned value);
  int (*read_back)(int port, unsigned *value);
};

// The 8-bit calls, widened: call(port, &byte), then the byte into *value.
template <int (*call)(int, unsigned char *)>
int widened(int port, unsigned *value) {
  unsigned char byte = 0;
  int code = call(port, &byte);
  if (code == 0) *value = byte;
  return code;
}

// Sarrow: one 16-bit register; port 0 is its low byte, port 1 its high byte.
int sarrow_read_port(int port, unsigned *value) {
  unsigned word = 0;
  int code = W_Sarrow_DI(&word);
  if (code == 0) *value = (word >> (8 * port)) & 0xFF;
  return code;
}
int sarrow_read_back(int port, unsigned *value) {
  unsigned word = 0;
  int code = W_Sarrow_Read_Back(&word);
  if (code == 0) *value = (word >> (8 * port)) & 0xFF;
  return code;
}
int sarrow_write_port(int port, unsigned value) {
  unsigned word = 0;
  int code = W_Sarrow_Read_Back(&word);
  if (code != 0) return code;
  const unsigned shift = 8u * static_cast<unsigned>(port);
  return W_Sarrow_DO((word & ~(0xFFu << shift)) | ((value & 0xFF) << shift));
}

// Pellin: one input and one output port.
int pellin_di(int, unsigned char *value) { return W_Pellin_DI(value); }
int pellin_read_back(int, unsigned char *value) { return W_Pellin_Read_Back(value); }
int pellin_write_port(int, unsigned value) { return W_Pellin_DO(value); }

constexpr LampCalls kKestanCalls = {false, W_Kestan_Initial, W_Kestan_Set_Card, W_Kestan_DI_Channel,
                                W_Kestan_DO_Channel, widened<W_Kestan_DI_8>, W_Kestan_DO_8,
                                widened<W_Kestan_Read_Back>};
constexpr LampCalls kOrvelCalls = {false, W_Orvel_Initial, W_Orvel_Set_Card, W_Orvel_DI_Channel,
                               W_Orvel_DO_Channel, widened<W_Orvel_DI_8>, W_Orvel_DO_8,
                               widened<W_Orvel_Read_Back>};
constexpr LampCalls kSarrowCalls = {true, W_Sarrow_Initial, W_Sarrow_Set_Card, W_Sarrow_DI_Channel,
                                W_Sarrow_DO_Channel, sarrow_read_port, sarrow_write_port,
                                sarrow_read_back};
constexpr LampCalls kPellinCalls = {false, W_Pellin_Initial, W_Pellin_Set_Card, W_Pellin_DI_Channel,
                                W_Pellin_DO_Channel, widened<pellin_di>, pellin_write_port,
                                widened<pellin_read_back>};

bool known(const Card &card, int port) { return (card.state.known_ports >> port) & 1u; }

// The operations of a lamp card whose library has the calls L.
template <const LampCalls &L>
struct LampCard {
  static int open(Card &card, int, const CardState *state) {
    int code = L.initial(card.number, card.base);
    if (code == 0 && state) card.state = *state;
    return code;
  }

  // The state another process recorded is what the card drives.
  static int resync(Card &card, const CardState &state) {
    card.state = state;
    return 0;
  }

  static int read_line(Card &, int line, int *value) { return L.read_line(line, value); }

  // Before a line of a port is written: the library's copy of the port must be
  // what the card drives, or the line write would switch the others off.
  static int reestablish(Card &card, int port) {
    if (!known(card, port)) return 0;
    unsigned held = 0;
    int code = L.read_back(port, &held);
    if (code != 0 || held == card.state.outputs[port]) return code;
    return L.write_port(port, card.state.outputs[port]);
  }

  static int write_line(Card &card, int line, int value) {
    const int port = line / kLinesPerPort;
    int code = 0;
    if (line >= 0 && port_ok(card, port) && (code = reestablish(card, port)) != 0) return code;
    card.last_call = Call::WriteLine;
    code = L.write_line(line, static_cast<unsigned>(value));
    unsigned now = 0;
    if (code == 0 && L.read_back(port, &now) == 0) record_output(card, port, static_cast<uint8_t>(now), 0);
    return code;
  }

  static int read_port(Card &, int port, unsigned *value) { return L.read_port(port, value); }

  // A whole port. Where the ports are bytes of one register, the others go
  // out with it from the library's copy: that copy must be what they drive.
  static int write_port(Card &card, int port, unsigned value) {
    for (int other = 0; L.one_register && other < card.info->ports; ++other) {
      int code = other == port ? 0 : reestablish(card, other);
      if (code != 0) return code;
    }
    card.last_call = Call::WritePort;
    int code = L.write_port(port, value);
    if (code == 0) record_output(card, port, static_cast<uint8_t>(value), 0);
    return code;
  }

  static int read_back(Card &card, int port, unsigned *value) {
    int code = L.read_back(port, value);
    // A port this process has not written yet: what the earlier runs left.
    if (code == 0 && known(card, port)) *value = card.state.outputs[port];
    return code;
  }

  static int write_lines(Card &card, int port, uint8_t mask, uint8_t lines) {
    unsigned now = 0;
    int code = read_back(card, port, &now);
    return code != 0 ? code : write_port(card, port, static_cast<uint8_t>((now & ~mask) | (lines & mask)));
  }

  static uint8_t output_mask(const Card &, int) { return 0xFF; }

  // checks_ports: the Kestan and Orvel libraries take a port number and check it.
  static constexpr CardOps ops(const char *name, bool checks_ports, CounterCalls counters = {}) {
    return {name, checks_ports, L.set_card, open, resync, read_line, write_line, read_port, write_port, write_lines,
            read_back, nullptr, output_mask, counters};
  }
};

}  // namespace

// The Kestan card's 8254: started, read latched and stopped.
extern const CardOps kKestanOps = LampCard<kKestanCalls>::ops(
  "kestan", true, {W_Kestan_Timer_Start, W_Kestan_Timer_Read, W_Kestan_Timer_Stop, nullptr, nullptr});
extern const CardOps kOrvelOps = LampCard<kOrvelCalls>::ops("orvel", true);
extern const CardOps kSarrowOps = LampCard<kSarrowCalls>::ops("sarrow", false);
extern const CardOps kPellinOps = LampCard<kPellinCalls>::ops("pellin", false);

}  // namespace cardio
