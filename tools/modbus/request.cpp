#include "request.h"

namespace modbus_server {

namespace {

constexpr size_t kFunctionAt = 7;  // first byte of the request body
constexpr int kProtocolModbus = 0;

// How a function's body is laid out after its code.
enum class Body {
  kRange,         // address, quantity
  kSingle,        // address, value
  kMultiple,      // address, quantity, byte count, values
};

struct FunctionRule {
  int code;
  Table table;
  bool write;
  Body body;
  int max_count;
};

const FunctionRule kFunctions[] = {
  {0x01, kCoils, false, Body::kRange, 2000},
  {0x02, kDiscreteInputs, false, Body::kRange, 2000},
  {0x03, kHoldingRegisters, false, Body::kRange, 125},
  {0x04, kInputRegisters, false, Body::kRange, 125},
  {0x05, kCoils, true, Body::kSingle, 1},
  {0x06, kHoldingRegisters, true, Body::kSingle, 1},
  {0x0F, kCoils, true, Body::kMultiple, 1968},
  {0x10, kHoldingRegisters, true, Body::kMultiple, 123},
};

constexpr uint16_t kCoilOn = 0xFF00;
constexpr uint16_t kCoilOff = 0x0000;

unsigned word_at(const uint8_t *bytes) { return (bytes[0] << 8) | bytes[1]; }

const FunctionRule *find_function(int code) {
  for (const FunctionRule &rule : kFunctions)
    if (rule.code == code) return &rule;
  return nullptr;
}

int refuse(Request *request, int code, const char *problem) {
  request->problem = problem;
  return code;
}

// The values a write carries, into request->values; null, or why the body
// does not hold what its quantity and byte count say.
const char *decode_values(const FunctionRule &rule, const uint8_t *body, size_t body_length, Request *request) {
  if (rule.body == Body::kSingle) {
    unsigned value = word_at(body + 2);
    if (rule.table == kCoils && value != kCoilOn && value != kCoilOff) return "a coil value other than FF00H or 0000H";
    request->values[0] = rule.table == kCoils ? (value == kCoilOn) : value;
    return nullptr;
  }
  size_t bytes = body_length < 5 ? 0 : body[4];
  size_t expected = rule.table == kCoils ? (request->count + 7) / 8 : 2 * request->count;
  if (body_length < 5 || bytes != expected || body_length != 5 + bytes)
    return "a byte count other than the quantity's, or a body of another length";
  const uint8_t *data = body + 5;
  for (int i = 0; i < request->count; ++i)
    request->values[i] = rule.table == kCoils ? (data[i / 8] >> (i % 8)) & 1 : word_at(data + 2 * i);
  return nullptr;
}

}  // namespace

Framing first_frame(const uint8_t *bytes, size_t available, size_t *length) {
  if (available < kHeaderLength) return Framing::kNeedMore;
  unsigned protocol = word_at(bytes + 2);
  unsigned follows = word_at(bytes + 4);  // unit id and body
  if (protocol != kProtocolModbus || follows < 2 || 6 + follows > kMaxFrameLength) return Framing::kBroken;
  *length = 6 + follows;
  return available >= *length ? Framing::kWhole : Framing::kNeedMore;
}

int frame_function(const uint8_t *frame) {
  int code = frame[kFunctionAt];
  return code >= 1 && code < 0x80 ? code : 0;
}

int decode_request(const uint8_t *frame, size_t length, const int sizes[kTableCount], Request *request) {
  const FunctionRule *rule = find_function(frame[kFunctionAt]);
  request->function = frame[kFunctionAt];
  request->table = rule ? rule->table : kCoils;
  request->write = rule && rule->write;
  request->count = 0;
  request->problem = nullptr;
  if (frame[kHeaderLength - 1] != kUnitId) return refuse(request, kGatewayTargetFailed, "only unit id 1 is served");
  if (!rule) return refuse(request, kIllegalFunction, "a function other than 1 to 6, 15, 16");
  const uint8_t *body = frame + kFunctionAt + 1;
  size_t body_length = length - kFunctionAt - 1;
  if (body_length < 4 || (rule->body != Body::kMultiple && body_length != 4))
    return refuse(request, kIllegalDataValue, "a body shorter or longer than the function's");
  request->address = static_cast<int>(word_at(body));
  int count = rule->body == Body::kSingle ? 1 : static_cast<int>(word_at(body + 2));
  if (count < 1 || count > rule->max_count)
    return refuse(request, kIllegalDataValue, "a quantity of 0 or above the function's limit");
  request->count = count;
  const char *bad_values = rule->write ? decode_values(*rule, body, body_length, request) : nullptr;
  if (bad_values) return refuse(request, kIllegalDataValue, bad_values);
  if (request->address + request->count > sizes[rule->table])
    return refuse(request, kIllegalDataAddress, "beyond the card's table");
  return kAccepted;
}

}  // namespace modbus_server
