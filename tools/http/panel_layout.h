// The drawing of a card's panel for the page, from the tables the Win32
// panel of that kind draws from (apps/panels/lamp_panel_geometry.h and
// port_panel_geometry.h): rectangles, texts and lamps in client pixels, in
// the order the panel paints them.
// The page paints the items in this order and colours the lamps, frames
// and I/O boxes from the card's state.
//
//   {"title":"Kestan","width":W,"height":H,"items":[ITEM...]}
//   {"shape":"rect","at":[l,t,r,b],"fill":"#ffff00"}
//   {"shape":"frame","at":[l,t,r,b],"group":G}      green while group G is input, dark green for output
//   {"shape":"box","at":[l,t,r,b],"group":G,"direction":"in","fill":"#00ff00"}   the I and O boxes
//   {"shape":"text","at":[x,y],"text":"Port A","color":"#ffffff","background":"#0000ff"}  (background null: transparent;
//                                  a scale also has "width", which it spans from x)
//   {"shape":"lamp","at":[x,y],"line":N,"side":"input"}   lamp cards: input or output line N
//   {"shape":"lamp","at":[x,y],"line":N,"group":G}        8255 cards: line N of group G
// G indexes the groups of the card's state (port-code order).
#ifndef KIT_HTTP_PANEL_LAYOUT_H
#define KIT_HTTP_PANEL_LAYOUT_H

#include "card_access.h"
#include "card_json.h"

namespace panel_http {

cardio::Json panel_layout(const cardio::Card &card);

}  // namespace panel_http

#endif
