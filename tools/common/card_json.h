// The JSON shapes in which the tools show a card: kestan-io --json prints
// them one per line, and the panel page's API (tools/http) answers with the
// same objects. Keys keep the order they are written in.
#ifndef KIT_TOOLS_CARD_JSON_H
#define KIT_TOOLS_CARD_JSON_H

#include <nlohmann/json.hpp>

#include <string>

#include "card_access.h"

namespace cardio {

using Json = nlohmann::ordered_json;

// {"command":"read","inputs":[line 0, line 1, ...],"ports":[byte 0, ...]}
Json ports_json(const char *command, const char *what, const unsigned *bytes, int ports);
// {"command":"write","line":5,"output":1}
Json line_json(const char *command, const char *what, long long line, long long value);
// {"command":"read-port","port":0,"input":255}
Json port_json(const char *command, const char *what, long long port, unsigned value);
// {"command":"dir","group":"0A","code":0,"direction":"in"}
Json group_json(const GroupInfo &group, Direction direction);

// "0A", "1CH": the channel and the group's name, as kestan-io takes and shows it.
std::string group_label(const GroupInfo &group);

// One line on standard output: the object, then a newline.
void print_json(const Json &object);

}  // namespace cardio

#endif
