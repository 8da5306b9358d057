#include "cards/kestan_counting_card.h"

#include "cards/kestan_card.h"

namespace sim {

namespace {

class KestanCountingCard : public KestanCard {
 protected:
  uint32_t socket_lines() const override { return loopback() ? count_ : 0xFFFFFFFFu; }
  void before_input_read(unsigned offset) override {
    if (offset == 0) ++count_;
  }

 private:
  uint32_t count_ = 0;
};

}  // namespace

std::unique_ptr<CardModel> make_kestan_counting_card() {
  return std::make_unique<KestanCountingCard>();
}

}  // namespace sim
