// What the Modbus server serves: the four Modbus tables of one card, behind
// a table of functions that a card adapter fills in. The server checks
// every request against the sizes before it calls in, so an adapter sees
// only ranges that lie inside its tables.
#ifndef KIT_MODBUS_POINT_TABLES_H
#define KIT_MODBUS_POINT_TABLES_H

#include <cstddef>
#include <cstdint>

namespace modbus_server {

enum Table : int {
  kCoils = 0,             // output lines, one bit each
  kDiscreteInputs = 1,    // input lines
  kInputRegisters = 2,    // input ports as words, counters
  kHoldingRegisters = 3,  // output ports as words, group directions
  kTableCount = 4
};

// Modbus exception codes (the server's answers besides a normal reply).
constexpr int kAccepted = 0;
constexpr int kIllegalFunction = 0x01;
constexpr int kIllegalDataAddress = 0x02;
constexpr int kIllegalDataValue = 0x03;
constexpr int kServerDeviceFailure = 0x04;
constexpr int kGatewayTargetFailed = 0x0B;

struct PointTables {
  void *context;
  int size[kTableCount];  // points in each table, addresses 0 to size - 1
  // Reads count points from address into values (a bit as 0 or 1).
  // Returns kAccepted or an exception code.
  int (*read)(void *context, Table table, int address, int count, uint16_t *values);
  // Writes count points (coils or holding registers). All or nothing: a
  // refusal changes no line and says why in why (one line, no newline).
  int (*write)(void *context, Table table, int address, int count, const uint16_t *values, char *why,
               size_t why_size);
};

}  // namespace modbus_server

#endif
