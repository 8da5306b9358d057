// The card's lines as the page shows them, read every few milliseconds by a
// thread of its own. Each change gets the next sequence number, and every
// stream of changes waits for the next one without polling itself: the
// card is read once however many pages are open.
#ifndef KIT_HTTP_CARD_FEED_H
#define KIT_HTTP_CARD_FEED_H

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "served_card.h"

namespace panel_http {

// What the card shows at one moment.
struct CardSnapshot {
  uint64_t sequence = 0;  // 0: not read yet
  int code = 0;           // the card layer's code of a failed read, else 0
  unsigned inputs[cardio::kMaxPorts] = {};
  unsigned outputs[cardio::kMaxPorts] = {};
  cardio::Direction directions[cardio::kMaxGroups] = {};
};

class CardFeed {
 public:
  // How often the card is read; a change is seen within this.
  static constexpr int kPollMs = 10;

  explicit CardFeed(ServedCard &card);
  ~CardFeed();
  CardFeed(const CardFeed &) = delete;
  CardFeed &operator=(const CardFeed &) = delete;

  void start();
  // Ends the thread and wakes every waiting stream (which then sees stopped()).
  void stop();
  bool stopped() const;

  // Reads the card now (the caller holds the card's lock), as after a write.
  void refresh_locked();
  CardSnapshot latest() const;
  // Waits until the sequence passes after, the feed stops or timeout_ms
  // passes; returns the latest snapshot.
  CardSnapshot wait_after(uint64_t after, int timeout_ms) const;

 private:
  void run();
  CardSnapshot read_card() const;

  ServedCard &card_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  CardSnapshot latest_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace panel_http

#endif
