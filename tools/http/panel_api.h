// What the panel page asks of the card, apart from HTTP itself (which
// http_server.cpp does): the card's state, its panel's drawing, a change
// of lines and of a group's direction. Every answer is a status and a JSON
// body in the shapes kestan-io --json prints.
//
//   GET  /api/state      {"card":{"kind":"kestan","number":0,"base":680},"writes":false,
//                         "sequence":N,"inputs":{READ},"outputs":{READBACK},"groups":[DIR...]}
//   GET  /api/panel      the drawing (panel_layout.h)
//   POST /api/lines      {"lines":[{"line":7,"output":1},...]}  ->  [{"command":"write","line":7,"output":1},...]
//   POST /api/direction  {"group":"0A","direction":"out"}        ->  {"command":"dir","group":"0A","code":0,"direction":"out"}
// A refusal: {"error":{"status":409,"why":"..."}}; a change is all or
// nothing, checked before the first line is switched.
#ifndef KIT_HTTP_PANEL_API_H
#define KIT_HTTP_PANEL_API_H

#include <string>

#include "card_feed.h"
#include "card_json.h"

namespace panel_http {

struct ApiReply {
  int status;
  cardio::Json body;
};

cardio::Json error_json(int status, const std::string &why);

class PanelApi {
 public:
  PanelApi(ServedCard &card, CardFeed &feed, bool allow_writes);

  bool allows_writes() const { return allow_writes_; }
  cardio::Json state(const CardSnapshot &snapshot) const;

  ApiReply get_state();
  ApiReply get_panel() const;
  ApiReply post_lines(const std::string &body);
  ApiReply post_direction(const std::string &body);

 private:
  ApiReply check_lines(const cardio::Json &request, std::vector<std::pair<int, int>> *lines) const;

  ServedCard &card_;
  CardFeed &feed_;
  const bool allow_writes_;
  cardio::Json panel_;
};

}  // namespace panel_http

#endif
