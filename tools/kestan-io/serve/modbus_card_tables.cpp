// The card side of kestan-io serve --modbus: the Modbus server's point
// tables filled in over the card-access layer.
#include "modbus_card_tables.h"

#include <cstdio>

namespace {

using cardio::Card;
using namespace modbus_server;

constexpr int kLinesPerWord = 16;
constexpr int kLines = cardio::kLinesPerPort;

panel_http::ServedCard &served_of(void *context) { return *static_cast<panel_http::ServedCard *>(context); }

// Number of 16-bit words that hold the card's lines.
int line_words(const cardio::KindInfo &info) { return (info.ports + 1) / 2; }

bool has_port(const Card &card, int port) { return port < card.info->ports; }

int device_failure(const Card &card, const char *what, int code, char *why, size_t why_size) {
  std::snprintf(why, why_size, "%s failed: %s (%d)", what, cardio::code_name(card.info->kind, code), code);
  return kServerDeviceFailure;
}

// A port's byte as the tables show it: the input lines' levels, or the
// lines the card drives (0 for a line of an input group). A port the card
// lacks (the high half of its last word) reads 0.
int port_byte(Card &card, bool outputs, int port, unsigned *value) {
  *value = 0;
  if (!has_port(card, port)) return 0;
  int code = outputs ? cardio::read_output_port(card, port, value) : cardio::read_input_port(card, port, value);
  if (outputs) *value &= cardio::output_mask(card, port);
  return code;
}

int read_lines(Card &card, bool outputs, int address, int count, uint16_t *values) {
  unsigned byte = 0;
  for (int i = 0, held = -1; i < count; ++i) {
    int line = address + i;
    if (line / kLines != held) {
      held = line / kLines;
      if (port_byte(card, outputs, held, &byte) != 0) return kServerDeviceFailure;
    }
    values[i] = (byte >> (line % kLines)) & 1;
  }
  return kAccepted;
}

int read_word(Card &card, bool outputs, int word, uint16_t *value) {
  unsigned low = 0, high = 0;
  if (port_byte(card, outputs, 2 * word, &low) != 0 || port_byte(card, outputs, 2 * word + 1, &high) != 0)
    return kServerDeviceFailure;
  *value = static_cast<uint16_t>(low | high << 8);
  return kAccepted;
}

int read_register(Card &card, Table table, int address, uint16_t *value) {
  int words = line_words(*card.info);
  bool outputs = table == kHoldingRegisters;
  if (address < words) return read_word(card, outputs, address, value);
  if (outputs) {
    *value = cardio::group_direction(card, address - words) == cardio::Direction::Output;
    return kAccepted;
  }
  unsigned count = 0;
  if (cardio::counter_read(card, address - words, &count) != 0) return kServerDeviceFailure;
  *value = static_cast<uint16_t>(count);
  return kAccepted;
}

int read_points(void *context, Table table, int address, int count, uint16_t *values) {
  panel_http::ServedCard &served = served_of(context);
  std::lock_guard<std::mutex> guard(served.lock);
  Card &card = *served.card;
  if (table == kCoils || table == kDiscreteInputs) return read_lines(card, table == kCoils, address, count, values);
  for (int i = 0; i < count; ++i) {
    int code = read_register(card, table, address + i, &values[i]);
    if (code != kAccepted) return code;
  }
  return kAccepted;
}

// The direction register of the group that holds a line.
int direction_register(const Card &card, int line) {
  cardio::GroupInfo groups[cardio::kMaxGroups];
  int n = cardio::group_list(*card.info, groups, cardio::kMaxGroups);
  for (int i = 0; i < n; ++i)
    if (groups[i].port == line / kLines && (groups[i].mask >> (line % kLines)) & 1)
      return line_words(*card.info) + i;
  return -1;
}

int refuse_input_line(const Card &card, int line, char *why, size_t why_size) {
  std::snprintf(why, why_size, "line %d is an input (its group's direction, holding register %d, must be 1 first)",
                line, direction_register(card, line));
  return kIllegalDataAddress;
}

bool is_output_line(const Card &card, int line) { return (cardio::output_mask(card, line / kLines) >> (line % kLines)) & 1; }

// The lines of a word that the card has, and which of them are outputs.
uint16_t word_lines(const Card &card, int word) {
  return static_cast<uint16_t>((has_port(card, 2 * word) ? 0xFF : 0) | (has_port(card, 2 * word + 1) ? 0xFF00 : 0));
}

int check_register_write(const Card &card, int address, uint16_t value, char *why, size_t why_size) {
  int words = line_words(*card.info);
  if (address >= words) {
    if (value <= 1) return kAccepted;
    std::snprintf(why, why_size, "holding register %d takes 0 (input) or 1 (output), not %u", address, value);
    return kIllegalDataValue;
  }
  if (value & ~word_lines(card, address)) {
    std::snprintf(why, why_size, "holding register %d: 0x%04X sets lines the card does not have", address, value);
    return kIllegalDataValue;
  }
  for (int bit = 0; bit < kLinesPerWord; ++bit) {
    int line = kLinesPerWord * address + bit;
    if ((value >> bit) & 1 && !is_output_line(card, line)) return refuse_input_line(card, line, why, why_size);
  }
  return kAccepted;
}

// Drives the lines of mask in port from byte; the port's other lines keep
// what they drive. A port of output lines only goes out as one byte; in a
// port shared with an input group each line is written alone, so the input
// group stays input.
int drive_port(Card &card, int port, uint8_t byte, uint8_t mask, char *why, size_t why_size) {
  unsigned now = 0;
  int code = cardio::read_output_port(card, port, &now);
  if (code != 0) return device_failure(card, "reading the outputs", code, why, why_size);
  if (cardio::output_mask(card, port) == 0xFF) {
    code = cardio::write_output_port(card, port, (now & ~mask) | (byte & mask));
    return code == 0 ? kAccepted : device_failure(card, "writing a port", code, why, why_size);
  }
  for (int bit = 0; bit < kLines; ++bit) {
    if (!((mask >> bit) & 1)) continue;
    code = cardio::write_output_line(card, port * kLines + bit, (byte >> bit) & 1);
    if (code != 0) return device_failure(card, "writing a line", code, why, why_size);
  }
  return kAccepted;
}

int write_coils(Card &card, int address, int count, const uint16_t *values, char *why, size_t why_size) {
  for (int i = 0; i < count; ++i)
    if (!is_output_line(card, address + i)) return refuse_input_line(card, address + i, why, why_size);
  for (int line = address; line < address + count;) {
    int port = line / kLines;
    uint8_t byte = 0, mask = 0;
    for (; line < address + count && line / kLines == port; ++line) {
      mask |= static_cast<uint8_t>(1u << (line % kLines));
      byte |= static_cast<uint8_t>(values[line - address] << (line % kLines));
    }
    int code = drive_port(card, port, byte, mask, why, why_size);
    if (code != kAccepted) return code;
  }
  return kAccepted;
}

int write_register(Card &card, int address, uint16_t value, char *why, size_t why_size) {
  int words = line_words(*card.info);
  if (address >= words) {
    cardio::Direction direction = value ? cardio::Direction::Output : cardio::Direction::Input;
    int code = cardio::set_direction(card, address - words, direction);
    return code == 0 ? kAccepted : device_failure(card, "setting a direction", code, why, why_size);
  }
  for (int half = 0; half < 2; ++half) {
    int port = 2 * address + half;
    if (!has_port(card, port) || cardio::output_mask(card, port) == 0) continue;
    int code = drive_port(card, port, static_cast<uint8_t>(value >> (8 * half)), cardio::output_mask(card, port),
                          why, why_size);
    if (code != kAccepted) return code;
  }
  return kAccepted;
}

int write_points(void *context, Table table, int address, int count, const uint16_t *values, char *why,
                 size_t why_size) {
  panel_http::ServedCard &served = served_of(context);
  std::lock_guard<std::mutex> guard(served.lock);
  Card &card = *served.card;
  int code = kAccepted;
  if (table == kCoils) {
    code = write_coils(card, address, count, values, why, why_size);
  } else {
    for (int i = 0; i < count && code == kAccepted; ++i)
      code = check_register_write(card, address + i, values[i], why, why_size);
    for (int i = 0; i < count && code == kAccepted; ++i)
      code = write_register(card, address + i, values[i], why, why_size);
  }
  served.after_write();
  return code;
}

}  // namespace

modbus_server::PointTables modbus_card_tables(panel_http::ServedCard *card) {
  const cardio::KindInfo &info = *card->card->info;
  cardio::GroupInfo groups[cardio::kMaxGroups];
  int directions = cardio::group_list(info, groups, cardio::kMaxGroups);
  PointTables points{card, {info.output_lines, info.input_lines, line_words(info) + info.counters,
                            line_words(info) + directions},
                     read_points, write_points};
  return points;
}
