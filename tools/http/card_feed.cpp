#include "card_feed.h"

#include <chrono>
#include <cstring>

namespace panel_http {

namespace {

bool same_lines(const CardSnapshot &a, const CardSnapshot &b) {
  return a.code == b.code && std::memcmp(a.inputs, b.inputs, sizeof a.inputs) == 0 &&
         std::memcmp(a.outputs, b.outputs, sizeof a.outputs) == 0 &&
         std::memcmp(a.directions, b.directions, sizeof a.directions) == 0;
}

}  // namespace

CardFeed::CardFeed(ServedCard &card) : card_(card) {}

CardFeed::~CardFeed() { stop(); }

void CardFeed::start() {
  {
    std::lock_guard<std::mutex> card_lock(card_.lock);
    refresh_locked();
  }
  thread_ = std::thread([this] { run(); });
}

void CardFeed::stop() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool CardFeed::stopped() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return stop_;
}

CardSnapshot CardFeed::read_card() const {
  CardSnapshot now;
  cardio::Card &card = *card_.card;
  for (int p = 0; p < card.info->ports && now.code == 0; ++p) {
    now.code = cardio::read_input_port(card, p, &now.inputs[p]);
    if (now.code == 0) now.code = cardio::read_output_port(card, p, &now.outputs[p]);
    now.outputs[p] &= cardio::output_mask(card, p);
  }
  cardio::GroupInfo groups[cardio::kMaxGroups];
  int count = cardio::group_list(*card.info, groups, cardio::kMaxGroups);
  for (int g = 0; g < count; ++g) now.directions[g] = cardio::group_direction(card, g);
  return now;
}

void CardFeed::refresh_locked() {
  CardSnapshot now = read_card();
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (latest_.sequence != 0 && same_lines(now, latest_)) return;
    now.sequence = latest_.sequence + 1;
    latest_ = now;
  }
  changed_.notify_all();
}

void CardFeed::run() {
  auto next = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> guard(mutex_);
  while (!stop_) {
    next += std::chrono::milliseconds(kPollMs);
    if (changed_.wait_until(guard, next, [this] { return stop_; })) break;
    guard.unlock();
    {
      std::lock_guard<std::mutex> card_lock(card_.lock);
      refresh_locked();
    }
    guard.lock();
  }
}

CardSnapshot CardFeed::latest() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return latest_;
}

CardSnapshot CardFeed::wait_after(uint64_t after, int timeout_ms) const {
  std::unique_lock<std::mutex> guard(mutex_);
  changed_.wait_for(guard, std::chrono::milliseconds(timeout_ms),
                    [&] { return stop_ || latest_.sequence > after; });
  return latest_;
}

}  // namespace panel_http
