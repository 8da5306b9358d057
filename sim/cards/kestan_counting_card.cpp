#include "cards/kestan_counting_card.h"

#include "cards/kestan_card.h"

namespace sim {

namespace {

class KestanCountingCard : public KestanCard {
 public:
  explicit KestanCountingCard(State *state) : KestanCard(state) {}

 protected:
  uint32_t socket_lines() const override { return loopback() ? state().fixture_count : 0xFFFFFFFFu; }
  void before_input_read(unsigned offset) override {
    if (offset == 0) ++state().fixture_count;
  }
};

}  // namespace

std::unique_ptr<CardModel> make_kestan_counting_card(void *state, bool power_up) {
  return card_over<KestanCountingCard>(state, power_up);
}

}  // namespace sim
