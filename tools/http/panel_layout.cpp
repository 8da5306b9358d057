#include "panel_layout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lamp_panel_geometry.h"
#include "port_panel_geometry.h"

namespace panel_http {

namespace {

using cardio::Json;
using cardio::Kind;

constexpr int kMargin = 12;
// About how far a text reaches past its corner (the page measures the real extent).
constexpr int kCharWidth = 7, kTextHeight = 16;

std::string css(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return text;
}

uint32_t brush_colour(KitBrush brush) {
  switch (brush) {
    case KIT_BRUSH_GREEN: return KIT_GREEN;
    case KIT_BRUSH_DARK_GREEN: return KIT_DARK_GREEN;
    case KIT_BRUSH_RED: return KIT_RED;
    case KIT_BRUSH_YELLOW: return KIT_YELLOW;
  }
  return KIT_WHITE;
}

// Collects the items and the extent they cover.
class Drawing {
 public:
  void rect(PanelRect r, uint32_t fill) { add(shape("rect", r), r)["fill"] = css(fill); }
  void frame(PanelRect r, int group) { add(shape("frame", r), r)["group"] = group; }
  void box(PanelRect r, int group, cardio::Direction direction, uint32_t fill) {
    Json &item = add(shape("box", r), r);
    item["group"] = group;
    item["direction"] = direction == cardio::Direction::Output ? "out" : "in";
    item["fill"] = css(fill);
  }
  Json &text(PanelPoint at, const char *text, uint32_t colour, const uint32_t *background) {
    Json item;
    item["shape"] = "text";
    item["at"] = {at.x, at.y};
    item["text"] = text;
    item["color"] = css(colour);
    item["background"] = background ? Json(css(*background)) : Json(nullptr);
    const int width = kCharWidth * static_cast<int>(std::strlen(text));
    return add(std::move(item), PanelRect{at.x, at.y, at.x + width, at.y + kTextHeight});
  }
  // A scale or caption: its numbers stand over the first and the last lamp
  // of the row whatever the page's font, so it spans the row.
  void scale(PanelPoint at, const char *text, uint32_t colour, const uint32_t *background, int right) {
    this->text(at, text, colour, background)["width"] = right - at.x;
  }
  Json &lamp(LampPoint at, int line) {
    Json item;
    item["shape"] = "lamp";
    item["at"] = {at.x, at.y};
    item["line"] = line;
    return add(std::move(item), PanelRect{at.x, at.y, at.x + KIT_LAMP_SIZE, at.y + KIT_LAMP_SIZE});
  }

  Json finish(const char *title) {
    Json layout;
    layout["title"] = title;
    layout["width"] = right_ + kMargin;
    layout["height"] = bottom_ + kMargin;
    layout["items"] = std::move(items_);
    return layout;
  }

 private:
  static Json shape(const char *name, PanelRect r) {
    Json item;
    item["shape"] = name;
    item["at"] = {r.left, r.top, r.right, r.bottom};
    return item;
  }
  Json &add(Json item, PanelRect extent) {
    right_ = std::max(right_, extent.right);
    bottom_ = std::max(bottom_, extent.bottom);
    items_.push_back(std::move(item));
    return items_.back();
  }

  Json items_ = Json::array();
  int right_ = 0, bottom_ = 0;
};

// A drop-down list on the Win32 panel, shown closed on what is served: as
// far inside its yellow box at the bottom as at the top.
void closed_list(Drawing &d, const PanelRect &box, int x, int y, int width, const char *shown) {
  const uint32_t white = KIT_WHITE;
  d.rect(PanelRect{x, y, x + width, box.bottom - (y - box.top)}, KIT_WHITE);
  d.text(PanelPoint{x + 4, y + 3}, shown, KIT_BLACK, &white);
}

// The base-address selector shows the base address served.
void address_box(Drawing &d, const BaseAddressBox &box, const SelectorLayout &selector, int base) {
  const uint32_t yellow = KIT_YELLOW;
  d.rect(box.box, KIT_YELLOW);
  d.text(box.label_at, kKitBaseAddressLabel, KIT_BLACK, &yellow);
  char address[8];
  std::snprintf(address, sizeof address, "%03XH", static_cast<unsigned>(base));
  closed_list(d, box.box, selector.x, selector.y, KIT_SELECTOR_WIDTH, address);
}

// --- lamp cards -------------------------------------------------------------------

void lamp_block(Drawing &d, const LampBlock &block) {
  const uint32_t blue = KIT_BLUE;
  d.rect(block.frame, brush_colour(block.brush));
  d.text(block.title_at, block.title, block.title_colour, &blue);
}

void lamp_scales(Drawing &d, const LampBlock &block, int row_right) {
  const uint32_t background = brush_colour(block.brush);
  for (int i = 0; i < block.scale_count; ++i)
    d.scale(block.scales[i].at, block.scales[i].text, KIT_BLACK, &background, row_right);
}

// The order of lamp_kit's kit_draw_lamp_blocks.
Json lamp_panel(const cardio::Card &card, const LampBlockPanel &blocks, const SelectorLayout &selector,
                const BaseAddressBox &box) {
  Drawing d;
  address_box(d, box, selector, card.base);
  lamp_block(d, blocks.input);
  lamp_block(d, blocks.output);
  lamp_scales(d, blocks.input, blocks.input_lamps[0].x + KIT_LAMP_SIZE);
  lamp_scales(d, blocks.output, blocks.output_lamps[0].x + KIT_LAMP_SIZE);
  for (int i = 0; i < blocks.lamp_count; ++i) d.lamp(blocks.input_lamps[i], i)["side"] = "input";
  for (int i = 0; i < blocks.lamp_count; ++i) d.lamp(blocks.output_lamps[i], i)["side"] = "output";
  return d.finish(card.info->name);
}

// --- 8255 cards --------------------------------------------------------------------

namespace pg = port_geometry;

// Where a group of the geometry sits in the card's state.
struct GroupPlace {
  int index;   // in group_list (port-code order)
  int port;    // the card port that holds its lines
  int shift;   // of its bit 0 in that port
};

GroupPlace group_place(const cardio::Card &card, int channel, pg::Group g) {
  cardio::GroupInfo groups[cardio::kMaxGroups];
  const int count = cardio::group_list(*card.info, groups, cardio::kMaxGroups);
  const ppicard::Group group = pg::kGroupLayout[g].group;
  const ppicard::GroupInfo &lines = ppicard::kGroupTable[group];
  GroupPlace place{-1, channel * ppicard::kPortsPerChannel + static_cast<int>(lines.port), lines.shift};
  for (int i = 0; i < count; ++i)
    if (groups[i].code == ppicard::port_code(channel, group)) place.index = i;
  return place;
}

void group_label(Drawing &d, const pg::GroupLayout &group) {
  const uint32_t blue = KIT_BLUE;
  d.text(pg::label_at(group), group.label, KIT_WHITE, &blue);
}

void port_group(Drawing &d, const cardio::Card &card, const pg::PortPanelGeometry &geometry, int channel,
                pg::Group g) {
  const pg::GroupLayout &group = pg::kGroupLayout[g];
  const int x0 = group.x0, y = pg::row_y(channel), index = group_place(card, channel, g).index;
  const uint32_t green = KIT_GREEN, dark_green = KIT_DARK_GREEN;
  d.frame(pg::group_frame(group, channel), index);
  if (geometry.label_order == pg::LABEL_AFTER_FRAME && channel == 0) group_label(d, group);
  for (int box = 0; box < 2; ++box) {
    if ((box == 0) != (group.o_box_first != 0)) {
      d.box(pg::shifted(pg::kIBox, x0, y), index, cardio::Direction::Input, KIT_GREEN);
      d.text(PanelPoint{x0 + pg::kIText.x, y + pg::kIText.y}, "I", KIT_BLACK, &green);
    } else {
      d.box(pg::shifted(pg::kOBox, x0, y), index, cardio::Direction::Output, KIT_DARK_GREEN);
      d.text(PanelPoint{x0 + geometry.o_text[g].x, y + geometry.o_text[g].y}, "O", KIT_BLACK, &dark_green);
    }
  }
}

// The order of port_panel's program_paint.
Json port_panel(const cardio::Card &card, const pg::PortPanelGeometry &geometry) {
  Drawing d;
  const uint32_t blue = KIT_BLUE, yellow = KIT_YELLOW;
  const int channels = std::min(card.info->ppi_channels, static_cast<int>(pg::kMaxChannels));
  address_box(d, geometry.box, geometry.selector, card.base);
  if (const pg::ModeBox *mode = geometry.mode) {
    d.rect(mode->box, KIT_YELLOW);
    d.text(mode->label_at, mode->label, KIT_BLACK, &yellow);
    const pg::ModeEntry &shown = mode->entries[channels > mode->entries[0].channels ? 1 : 0];
    closed_list(d, mode->box, mode->x, mode->y, mode->width, shown.text);
  }
  for (int c = 0; c < channels; ++c)
    d.text(PanelPoint{pg::kChannelLabelX, geometry.channel_label_y[c]}, pg::kChannelLabels[c], KIT_WHITE, &blue);
  for (pg::Group g : pg::kFrameOrder)
    for (int c = 0; c < channels; ++c) port_group(d, card, geometry, c, g);
  if (geometry.label_order == pg::LABELS_AFTER_BOXES)
    for (pg::Group g : pg::kFrameOrder) group_label(d, pg::kGroupLayout[g]);
  for (pg::Group g : pg::kCaptionOrder) {
    const pg::GroupLayout &group = pg::kGroupLayout[g];
    d.scale(pg::caption_at(group), group.caption, KIT_BLACK, nullptr, group.x0 + KIT_LAMP_SIZE);
  }
  for (int c = 0; c < channels; ++c)
    for (pg::Group g : pg::kVisitOrder) {
      const GroupPlace place = group_place(card, c, g);
      for (int i = 0; i < pg::kGroupLayout[g].lines; ++i)
        d.lamp(pg::kLamps.at[c][g][i], place.port * cardio::kLinesPerPort + place.shift + i)["group"] = place.index;
    }
  return d.finish(card.info->name);
}

}  // namespace

Json panel_layout(const cardio::Card &card) {
  switch (card.info->kind) {
    case Kind::Kestan:
    case Kind::Orvel:
      return lamp_panel(card, panel32::kBlocks, panel32::selector(card.info->base_step), panel32::kBox);
    case Kind::Sarrow:
      return lamp_panel(card, sarrow_geometry::kPanel.blocks, sarrow_geometry::kPanel.selector,
                        sarrow_geometry::kPanel.box);
    case Kind::Pellin:
      return lamp_panel(card, pellin_geometry::kPanel.blocks, pellin_geometry::kPanel.selector,
                        pellin_geometry::kPanel.box);
    case Kind::Fenmar: return port_panel(card, pg::kFenmar);
    case Kind::Wendal: return port_panel(card, pg::kWendal);
    case Kind::Dulvar: return port_panel(card, pg::kDulvar);
  }
  return Json::object();
}

}  // namespace panel_http
