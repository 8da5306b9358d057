// The one card a kestan-io serve process serves, shared by its front ends
// (the Modbus server, the panel page): every access to the card goes
// through lock, and every write that reached the card is followed by
// written (which records the card's state for the next run).
#ifndef KIT_HTTP_SERVED_CARD_H
#define KIT_HTTP_SERVED_CARD_H

#include <mutex>

#include "card_access.h"

namespace panel_http {

struct ServedCard {
  cardio::Card *card;
  std::mutex lock;
  void (*written)(void *context) = nullptr;  // called with lock held; may be null
  void *written_context = nullptr;

  void after_write() {
    if (written) written(written_context);
  }
};

}  // namespace panel_http

#endif
