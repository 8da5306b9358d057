// One whole request frame answered: checked, carried out on the card's
// tables, and the reply or the exception sent through libmodbus.
#ifndef KIT_MODBUS_ANSWER_H
#define KIT_MODBUS_ANSWER_H

#include <modbus.h>

#include <cstddef>
#include <cstdint>

#include "point_tables.h"

namespace modbus_server {

struct Answerer {
  modbus_t *context;           // the listening context; its socket is set per reply
  modbus_mapping_t *mapping;   // the tables' sizes; the reply is built from it
  const PointTables *tables;
  bool allow_writes;
};

// Answers frame on socket fd; peer names the client in the log line of a
// refused write. False when the reply could not be sent whole.
bool answer_frame(const Answerer &answerer, int fd, const char *peer, const uint8_t *frame, size_t length);

}  // namespace modbus_server

#endif
