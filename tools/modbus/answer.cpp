#include "answer.h"

#include <cstdio>

#include "request.h"
#include "server_log.h"

namespace modbus_server {

namespace {

const char kReadOnly[] = "the server is read-only (start it with --allow-writes)";

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

int carry_out(const Answerer &answerer, const Request &request, char *why, size_t why_size) {
  if (!request.write) return fill_mapping(answerer, request);
  return answerer.tables->write(answerer.tables->context, request.table, request.address, request.count,
                                request.values, why, why_size);
}

// Why decode_request refused a write, with the table's size when the range
// lies beyond it.
void explain_refusal(const Answerer &answerer, const Request &request, int code, char *why, size_t why_size) {
  if (code != kIllegalDataAddress) {
    std::snprintf(why, why_size, "%s", request.problem);
    return;
  }
  int size = answerer.tables->size[request.table];
  std::snprintf(why, why_size, "%s (%d %s%s)", request.problem, size, table_name(request.table), size == 1 ? "" : "s");
}

void log_refused_write(const char *peer, const Request &request, const char *why) {
  const char *name = table_name(request.table);
  if (request.count == 0)
    log_line("client %s: write of %ss (function %d) refused: %s", peer, name, request.function, why);
  else
    log_line("client %s: write of %d %s%s from %d refused: %s", peer, request.count, name, request.count == 1 ? "" : "s",
             request.address, why);
}

}  // namespace

bool answer_frame(const Answerer &answerer, int fd, const char *peer, const uint8_t *frame, size_t length) {
  static Request request;
  modbus_set_socket(answerer.context, fd);
  char why[160] = "";
  int code = decode_request(frame, length, answerer.tables->size, &request);
  // Read-only refuses a write for being one, whatever it carries; another
  // unit id is not this server's to refuse.
  if (request.write && !answerer.allow_writes && code != kGatewayTargetFailed) {
    code = kIllegalFunction;
    std::snprintf(why, sizeof why, "%s", kReadOnly);
  } else if (code != kAccepted) {
    explain_refusal(answerer, request, code, why, sizeof why);
  } else {
    code = carry_out(answerer, request, why, sizeof why);
  }
  if (code != kAccepted && request.write) log_refused_write(peer, request, why);
  int sent = code == kAccepted ? modbus_reply(answerer.context, frame, static_cast<int>(length), answerer.mapping)
                               : modbus_reply_exception(answerer.context, frame, static_cast<unsigned>(code));
  return sent > 0;
}

}  // namespace modbus_server
