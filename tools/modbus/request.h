// Modbus/TCP requests as they arrive on a connection: where one frame ends
// in a client's bytes, and what a whole frame asks for, checked against the
// card's tables before anything touches the card.
#ifndef KIT_MODBUS_REQUEST_H
#define KIT_MODBUS_REQUEST_H

#include <cstddef>
#include <cstdint>

#include "point_tables.h"

namespace modbus_server {

constexpr int kUnitId = 1;         // the card; every other unit id is refused
constexpr size_t kHeaderLength = 7;  // transaction, protocol, length, unit
constexpr size_t kMaxFrameLength = 260;
constexpr int kMaxPoints = 2000;   // the most points one request can name

enum class Framing { kWhole, kNeedMore, kBroken };

// Looks at the bytes a client has sent so far. kWhole: the first frame is
// complete and *length bytes long. kBroken: the header cannot start a
// Modbus/TCP frame (other protocol, length out of range); the stream cannot
// be resynchronised after that.
Framing first_frame(const uint8_t *bytes, size_t available, size_t *length);

struct Request {
  int function;
  Table table;
  bool write;           // known once the function is, so also for a refused write
  int address;
  int count;            // 0 when the body is too short to hold one
  const char *problem;  // why decode_request refused the frame (one phrase)
  uint16_t values[kMaxPoints];  // what a write carries, a bit as 0 or 1
};

// Decodes one whole frame. Returns kAccepted, or the exception to answer:
// another unit id, then an unknown function, then a malformed body or
// quantity, then a range outside the table; request->problem says which.
int decode_request(const uint8_t *frame, size_t length, const int sizes[kTableCount], Request *request);

// The function code of a whole frame, or 0 when it is none (a code of 0 or
// 128 and above, which no request carries).
int frame_function(const uint8_t *frame);

}  // namespace modbus_server

#endif
