#include "card_json.h"

#include <cstdio>

namespace cardio {

namespace {

constexpr int kCodesPerChannel = 256;

}  // namespace

Json ports_json(const char *command, const char *what, const unsigned *bytes, int ports) {
  Json lines = Json::array(), values = Json::array();
  for (int line = 0; line < ports * kLinesPerPort; ++line)
    lines.push_back((bytes[line / kLinesPerPort] >> (line % kLinesPerPort)) & 1);
  for (int p = 0; p < ports; ++p) values.push_back(bytes[p]);
  Json object;
  object["command"] = command;
  object[what] = std::move(lines);
  object["ports"] = std::move(values);
  return object;
}

Json line_json(const char *command, const char *what, long long line, long long value) {
  Json object;
  object["command"] = command;
  object["line"] = line;
  object[what] = value;
  return object;
}

Json port_json(const char *command, const char *what, long long port, unsigned value) {
  Json object;
  object["command"] = command;
  object["port"] = port;
  object[what] = value;
  return object;
}

std::string group_label(const GroupInfo &group) {
  return std::to_string(group.code / kCodesPerChannel) + group.name;
}

Json group_json(const GroupInfo &group, Direction direction) {
  Json object;
  object["command"] = "dir";
  object["group"] = group_label(group);
  object["code"] = group.code;
  object["direction"] = direction == Direction::Output ? "out" : "in";
  return object;
}

// A text from outside (a word of the command line) may not be UTF-8: such
// bytes are shown as U+FFFD rather than ending the program.
void print_json(const Json &object) {
  std::printf("%s\n", object.dump(-1, ' ', false, Json::error_handler_t::replace).c_str());
}

}  // namespace cardio
