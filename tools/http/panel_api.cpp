#include "panel_api.h"

#include <utility>
#include <vector>

#include "panel_layout.h"

namespace panel_http {

namespace {

using cardio::Json;

constexpr size_t kMaxLinesPerChange = 256;

ApiReply refused(int status, const std::string &why) { return ApiReply{status, error_json(status, why)}; }

int groups_of(const cardio::Card &card, cardio::GroupInfo *groups) {
  return cardio::group_list(*card.info, groups, cardio::kMaxGroups);
}

int line_count(const cardio::Card &card) { return card.info->ports * cardio::kLinesPerPort; }

bool is_output_line(const cardio::Card &card, int line) {
  if (card.info->ppi_channels == 0) return line < card.info->output_lines;
  return (cardio::output_mask(card, line / cardio::kLinesPerPort) >> (line % cardio::kLinesPerPort)) & 1;
}

// An integer member of object, or false.
bool integer_member(const Json &object, const char *key, long long *value) {
  auto found = object.find(key);
  if (found == object.end() || !found->is_number_integer()) return false;
  *value = found->get<long long>();
  return true;
}

Json parse_body(const std::string &body) { return Json::parse(body, nullptr, false); }

std::string card_failure(const cardio::Card &card, const char *what, int code) {
  return std::string(what) + " failed: " + cardio::code_name(card.info->kind, code) + " (" + std::to_string(code) + ")";
}

}  // namespace

Json error_json(int status, const std::string &why) {
  Json error;
  error["status"] = status;
  error["why"] = why;
  Json object;
  object["error"] = std::move(error);
  return object;
}

PanelApi::PanelApi(ServedCard &card, CardFeed &feed, bool allow_writes)
    : card_(card), feed_(feed), allow_writes_(allow_writes), panel_(panel_layout(*card.card)) {
  panel_["writes"] = allow_writes;
}

Json PanelApi::state(const CardSnapshot &snapshot) const {
  const cardio::Card &card = *card_.card;
  Json object, about;
  about["kind"] = card.info->name;
  about["number"] = card.number;
  about["base"] = card.base;
  object["card"] = std::move(about);
  object["writes"] = allow_writes_;
  object["sequence"] = snapshot.sequence;
  object["inputs"] = cardio::ports_json("read", "inputs", snapshot.inputs, card.info->ports);
  object["outputs"] = cardio::ports_json("readback", "outputs", snapshot.outputs, card.info->ports);
  cardio::GroupInfo groups[cardio::kMaxGroups];
  Json dirs = Json::array();
  for (int g = 0, n = groups_of(card, groups); g < n; ++g) dirs.push_back(cardio::group_json(groups[g], snapshot.directions[g]));
  object["groups"] = std::move(dirs);
  object["fault"] = snapshot.code == 0 ? Json(nullptr) : Json(card_failure(card, "reading the card", snapshot.code));
  return object;
}

// Read now, so that it shows what another front end (Modbus) has just written.
ApiReply PanelApi::get_state() {
  std::lock_guard<std::mutex> guard(card_.lock);
  feed_.refresh_locked();
  return ApiReply{200, state(feed_.latest())};
}

ApiReply PanelApi::get_panel() const { return ApiReply{200, panel_}; }

ApiReply PanelApi::check_lines(const Json &request, std::vector<std::pair<int, int>> *lines) const {
  auto list = request.is_object() ? request.find("lines") : request.end();
  if (list == request.end() || !list->is_array() || list->empty() || list->size() > kMaxLinesPerChange)
    return refused(400, "the body is {\"lines\":[{\"line\":N,\"output\":0 or 1},...]}, 1 to 256 lines");
  const cardio::Card &card = *card_.card;
  for (const Json &item : *list) {
    long long line = -1, value = -1;
    if (!item.is_object() || !integer_member(item, "line", &line) || !integer_member(item, "output", &value))
      return refused(400, "each line is {\"line\":N,\"output\":0 or 1}");
    if (value != 0 && value != 1) return refused(400, "line " + std::to_string(line) + ": an output is 0 or 1");
    if (line < 0 || line >= line_count(card) || (card.info->ppi_channels == 0 && line >= card.info->output_lines))
      return refused(404, "the card has no output line " + std::to_string(line));
    if (!is_output_line(card, static_cast<int>(line)))
      return refused(409, "line " + std::to_string(line) + " is in an input group: set its direction to out first");
    lines->emplace_back(static_cast<int>(line), static_cast<int>(value));
  }
  return ApiReply{200, nullptr};
}

ApiReply PanelApi::post_lines(const std::string &body) {
  if (!allow_writes_) return refused(403, "read-only: the server was started without --allow-writes");
  const Json request = parse_body(body);
  if (request.is_discarded()) return refused(400, "the body is not JSON");
  std::lock_guard<std::mutex> guard(card_.lock);
  std::vector<std::pair<int, int>> lines;
  ApiReply checked = check_lines(request, &lines);
  if (checked.status != 200) return checked;
  Json done = Json::array();
  int code = 0;
  for (const auto &[line, value] : lines) {
    code = cardio::write_output_line(*card_.card, line, value);
    if (code != 0) break;
    done.push_back(cardio::line_json("write", "output", line, value));
  }
  card_.after_write();
  feed_.refresh_locked();
  if (code != 0) return refused(502, card_failure(*card_.card, "writing a line", code));
  return ApiReply{200, std::move(done)};
}

ApiReply PanelApi::post_direction(const std::string &body) {
  if (!allow_writes_) return refused(403, "read-only: the server was started without --allow-writes");
  const Json request = parse_body(body);
  if (request.is_discarded()) return refused(400, "the body is not JSON");
  auto group = request.is_object() ? request.find("group") : request.end();
  auto direction = request.is_object() ? request.find("direction") : request.end();
  if (group == request.end() || !group->is_string() || direction == request.end() ||
      (*direction != "in" && *direction != "out"))
    return refused(400, "the body is {\"group\":\"0A\",\"direction\":\"in\" or \"out\"}");
  std::lock_guard<std::mutex> guard(card_.lock);
  cardio::Card &card = *card_.card;
  cardio::GroupInfo groups[cardio::kMaxGroups];
  const int n = groups_of(card, groups);
  int index = 0;
  while (index < n && cardio::group_label(groups[index]) != group->get<std::string>()) ++index;
  if (index == n) return refused(404, "a " + std::string(card.info->name) + " card has no group " + group->dump());
  const cardio::Direction d = *direction == "out" ? cardio::Direction::Output : cardio::Direction::Input;
  const int code = cardio::set_direction(card, index, d);
  card_.after_write();
  feed_.refresh_locked();
  if (code != 0) return refused(502, card_failure(card, "setting a direction", code));
  return ApiReply{200, cardio::group_json(groups[index], d)};
}

}  // namespace panel_http
