#include "answer.h"

#include <cstdio>

#include "request.h"
#include "server_log.h"

namespace modbus_server {

namespace {

const char *table_name(Table table) {
  return table == kCoils ? "coil" : "holding register";
}

// The card's values of the request's range into the table the reply is
// built from.
int fill_mapping(const Answerer &answerer, const Request &request) {
  static uint16_t values[kMaxPoints];
  int code = answerer.tables->read(answerer.tables->context, request.table, request.address, request.count, values);
  if (code != kAccepted) return code;
  modbus_mapping_t *m = answerer.mapping;
  for (int i = 0; i < request.count; ++i) {
    int at = request.address + i;
    switch (request.table) {
      case kCoils: m->tab_bits[at] = static_cast<uint8_t>(values[i]); break;
      case kDiscreteInputs: m->tab_input_bits[at] = static_cast<uint8_t>(values[i]); break;
      case kInputRegisters: m->tab_input_registers[at] = values[i]; break;
      case kHoldingRegisters: m->tab_registers[at] = values[i]; break;
      default: break;
    }
  }
  return kAccepted;
}

int carry_out(const Answerer &answerer, const char *peer, const Request &request) {
  if (!request.write) return fill_mapping(answerer, request);
  char why[160] = "";
  int code = answerer.allow_writes
                 ? answerer.tables->write(answerer.tables->context, request.table, request.address, request.count,
                                          request.values, why, sizeof why)
                 : kIllegalFunction;
  if (!answerer.allow_writes) std::snprintf(why, sizeof why, "the server is read-only (start it with --allow-writes)");
  if (code != kAccepted)
    log_line("client %s: write of %d %s%s from %d refused: %s", peer, request.count, table_name(request.table),
             request.count == 1 ? "" : "s", request.address, why);
  return code;
}

}  // namespace

bool answer_frame(const Answerer &answerer, int fd, const char *peer, const uint8_t *frame, size_t length) {
  static Request request;
  modbus_set_socket(answerer.context, fd);
  int code = decode_request(frame, length, answerer.tables->size, &request);
  if (code == kAccepted) code = carry_out(answerer, peer, request);
  int sent = code == kAccepted ? modbus_reply(answerer.context, frame, static_cast<int>(length), answerer.mapping)
                               : modbus_reply_exception(answerer.context, frame, static_cast<unsigned>(code));
  return sent > 0;
}

}  // namespace modbus_server
