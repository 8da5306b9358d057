// The card-access layer: every kind's lines through its library and the test
// cable, the 8255 groups' directions, and a card's outputs put back from a
// recorded state as a new process does.
#include <gtest/gtest.h>

#include <cstring>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "card_access.h"
#include "card_ops.h"
#include "card_state_file.h"
#include "iosim.h"

using namespace cardio;

namespace {

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct KindCase {
  Kind kind;
  int base;
  int out_line;   // written 1
  int in_line;    // the input the cable joins to it
  int bank;       // iosim bank of the output's port
  unsigned bit;   // its bit there
};

// Lamp cards: output n feeds input n. Fenmar: Port A to Port C. Wendal and
// Dulvar: channel 0 to channel 1, port for port.
const KindCase kKinds[] = {
  {Kind::Kestan, 0x2A8, 13, 13, 0, 1u << 13}, {Kind::Orvel, 0x300, 30, 30, 0, 1u << 30},
  {Kind::Sarrow, 0x318, 9, 9, 0, 1u << 9},    {Kind::Pellin, 0x210, 6, 6, 0, 1u << 6},
  {Kind::Fenmar, 0x220, 5, 21, 0, 1u << 5},   {Kind::Wendal, 0x240, 9, 33, 1, 1u << 1},
  {Kind::Dulvar, 0x260, 2, 26, 0, 1u << 2},
};

TEST(CardAccess, EveryKindWritesALineAndReadsItBackThroughTheCable) {
  for (const KindCase &k : kKinds) {
    SCOPED_TRACE(kind_info(k.kind).name);
    Card card;
    ASSERT_EQ(0, card_open(&card, k.kind, 1, k.base, 5, nullptr));
    int before = -1, after = -1;
    ASSERT_EQ(0, write_output_line(card, k.out_line, 0));
    ASSERT_EQ(0, read_input_line(card, k.in_line, &before));
    ASSERT_EQ(0, write_output_line(card, k.out_line, 1));
    ASSERT_EQ(0, read_input_line(card, k.in_line, &after));
    EXPECT_EQ(0, before);
    EXPECT_EQ(1, after);
    unsigned driven = 0, port = 0;
    ASSERT_EQ(IOSIM_OK, iosim_read_outputs(static_cast<unsigned short>(k.base), k.bank, &driven));
    EXPECT_EQ(k.bit, driven & k.bit);
    ASSERT_EQ(0, read_output_port(card, k.out_line / 8, &port));
    EXPECT_EQ(1u << (k.out_line % 8), port);
    const KindInfo &info = kind_info(k.kind);
    EXPECT_NE(0, write_output_line(card, info.output_lines, 1)) << "one beyond the last line";
    EXPECT_NE(0, read_input_port(card, info.ports, &port)) << "one beyond the last port";
  }
}

TEST(CardAccess, ReadingAnOutputGroupGivesItsLatchAndKeepsItAnOutput) {
  Card card;
  ASSERT_EQ(0, card_open(&card, Kind::Fenmar, 0, 0x220, 5, nullptr));
  GroupInfo groups[kMaxGroups];
  ASSERT_EQ(4, group_list(*card.info, groups, kMaxGroups));
  EXPECT_EQ(3, groups[2].code);
  EXPECT_STREQ("CL", groups[3].name);
  ASSERT_EQ(0, set_direction(card, 3, Direction::Output));
  ASSERT_EQ(0, write_output_port(card, 0, 0xA5));
  ASSERT_EQ(0, write_output_line(card, 16, 1));  // Port C line 0: lower half
  unsigned a = 0, c = 0;
  ASSERT_EQ(0, read_input_port(card, 0, &a));
  ASSERT_EQ(0, read_input_port(card, 2, &c));
  EXPECT_EQ(0xA5u, a);
  // Upper half follows Port A (lines 4-7 of 0xA5), lower half is the latch.
  EXPECT_EQ(0xA1u, c);
  EXPECT_EQ(Direction::Output, group_direction(card, 0));
  EXPECT_EQ(Direction::Input, group_direction(card, 2));
  EXPECT_EQ(0x0F, output_mask(card, 2));
  ASSERT_EQ(0, set_direction(card, 0, Direction::Input));
  ASSERT_EQ(0, read_input_port(card, 0, &a));
  EXPECT_EQ(0xF1u, a) << "lines 0-3 follow Port C's lower half, 4-7 float high";
  EXPECT_EQ(kNoSuchGroup, set_direction(card, 4, Direction::Input));
}

// A new process: the library starts from nothing, the state from the file.
TEST(CardAccess, RecordedOutputsAreOnTheCardAgainBeforeALineIsWritten) {
  CardState kept{};
  kept.known_ports = 1u << 0;
  kept.outputs[0] = 1u << 3;  // output 3 on, written by an earlier run
  Card card;
  ASSERT_EQ(0, card_open(&card, Kind::Kestan, 3, 0x2A8, 0, &kept));
  ASSERT_EQ(0, write_output_line(card, 5, 1));
  unsigned driven = 0, port = 0;
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x2A8, 0, &driven));
  EXPECT_EQ(0x28u, driven);
  ASSERT_EQ(0, read_output_port(card, 0, &port));
  EXPECT_EQ(0x28u, port);
  EXPECT_EQ(0x28u, card.state.outputs[0]);

  CardState ppi{};
  ppi.known_ports = 1u << 1;
  ppi.outputs[1] = 0x81;
  ppi.output_groups = 1u << 1;  // ch0 Port B
  ASSERT_EQ(0, card_open(&card, Kind::Wendal, 0, 0x240, 5, &ppi));
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x240, 1, &driven));
  EXPECT_EQ(0x81u, driven);
  EXPECT_EQ(Direction::Output, group_direction(card, 1));
  int line = 0;
  ASSERT_EQ(0, read_input_line(card, 24 + 8 + 7, &line));  // ch1 Port B line 7, over the cable
  EXPECT_EQ(1, line);

  // An 8255 card left so in this boot (an earlier process programmed Port A
  // of channel 0 as an output, 0x5A): attached as it is, not one port
  // written, and a line written later goes out without a mode-set word.
  ASSERT_EQ(IOSIM_OK, iosim_plug("dulvar", 0x260));
  io_out8(0x263, 0x8B);
  io_out8(0x260, 0x5A);
  CardState held{};
  held.known_ports = 1u << 0;
  held.outputs[0] = 0x5A;
  held.output_groups = 1u << 0;
  held.held_by_card = true;
  iosim_journal_clear();
  ASSERT_EQ(0, card_open(&card, Kind::Dulvar, 0, 0x260, 5, &held));
  iosim_access seen[64];
  int n = iosim_journal_read(seen, 64);
  for (int i = 0; i < n; ++i) EXPECT_NE(IOSIM_OUT8, seen[i].op) << "port " << std::hex << seen[i].port;
  ASSERT_EQ(0, write_output_line(card, 0, 1));
  ASSERT_EQ(IOSIM_OK, iosim_read_outputs(0x260, 0, &driven));
  EXPECT_EQ(0x5Bu, driven);
  n = iosim_journal_read(seen, 64);
  ASSERT_GE(n, 1);
  EXPECT_EQ(0x260, seen[n - 1].port) << "only Port A written";
  for (int i = 0; i < n; ++i) EXPECT_NE(0x263, seen[i].port) << "no mode-set word";
}

// The record gives back what was saved for the kind on this machine; a
// record of another kind or machine is none, and a damaged one is said so
// and not applied in part.
TEST(CardAccess, TheRecordKeepsACardsStateAndRefusesAnotherKindsOrDamage) {
  char dir[] = "/tmp/card_state_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(dir));
  setenv("KESTAN_IO_STATE_DIR", dir, 1);
  char why[700];
  StateFile file;
  ASSERT_TRUE(state_file_open(&file, true, Kind::Dulvar, 0x260, why, sizeof why)) << why;
  CardState saved{};
  saved.known_ports = (1u << 17) | 1u;
  saved.outputs[17] = 0xA5;
  saved.output_groups = 1u << 23;
  ASSERT_TRUE(state_file_save(file, saved));
  CardState loaded{};
  ASSERT_EQ(Record::kLoaded, state_file_load(file, &loaded, why, sizeof why)) << why;
  EXPECT_EQ(saved.known_ports, loaded.known_ports);
  EXPECT_EQ(0xA5, loaded.outputs[17]);
  EXPECT_EQ(saved.output_groups, loaded.output_groups);
  const std::string good = slurp(file.path);
  state_file_close(&file);

  struct Case {
    const char *what;
    Kind kind;
    std::string text;
    Record expected;
  };
  const std::string other_machine = good.substr(0, good.find("machine ")) + "machine boot-earlier" +
                                    good.substr(good.find('\n', good.find("machine ")));
  const Case cases[] = {
    {"written for a dulvar card", Kind::Fenmar, good, Record::kNone},
    {"of a simulated PC that was replaced", Kind::Dulvar, other_machine, Record::kNone},
    {"a junk line appended", Kind::Dulvar, good + "port 3 0x\n", Record::kDamaged},
    {"longer than a record can be", Kind::Dulvar, good + std::string(3000, '#'), Record::kDamaged},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(state_file_open(&file, true, c.kind, 0x260, why, sizeof why)) << why;
    { std::ofstream(file.path) << c.text; }
    loaded.known_ports = 0xFFFF;
    EXPECT_EQ(c.expected, state_file_load(file, &loaded, why, sizeof why)) << c.what;
    EXPECT_EQ(0u, loaded.known_ports) << c.what << ": nothing of it is applied";
    if (c.expected == Record::kDamaged) {
      EXPECT_NE(nullptr, std::strstr(why, file.path)) << why;
    }
    state_file_close(&file);
  }
  unsetenv("KESTAN_IO_STATE_DIR");
  std::system(("rm -rf " + std::string(dir)).c_str());
}

// The Wendal card's counters are read, not started or stopped: its sampling
// clock (divisors 2 x 1000 on counters 1 and 2) moves counter 2 down by one
// every two periods of 2,000,000 Hz.
TEST(CardAccess, WendalCounterReadsFollowItsRunningSamplingClock) {
  Card card;
  ASSERT_EQ(0, card_open(&card, Kind::Wendal, 0, 0x240, 5, nullptr));
  iosim_clock_manual(1);
  ASSERT_EQ(0, clock_start(card, 2, 1000));
  iosim_clock_advance_ns(10 * 1000);  // past the counters' load cycle
  unsigned first = 0, second = 0;
  ASSERT_EQ(0, counter_read(card, 2, &first));
  iosim_clock_advance_ns(100 * 1000);
  ASSERT_EQ(0, counter_read(card, 2, &second));
  iosim_clock_manual(0);
  EXPECT_NEAR(static_cast<double>(first) - 100, second, 1);
  EXPECT_EQ(20, counter_read(card, 3, &first));
  EXPECT_STREQ("W_Wendal_Counter_Read", call_name(Kind::Wendal, card.last_call));
  EXPECT_EQ(kNoCounter, counter_start(card, 2, 2, 100));
  EXPECT_EQ(kNoCounter, counter_stop(card, 2, &first));
}

TEST(CardAccess, KindsAndCodesAreNamedAsTheHeadersSpellThem) {
  for (const char *name : {"kestan", "orvel", "sarrow", "pellin", "fenmar", "wendal", "dulvar"}) {
    ASSERT_NE(nullptr, find_kind(name)) << name;
    EXPECT_STREQ(name, find_kind(name)->name);
  }
  EXPECT_EQ(nullptr, find_kind("kestan2"));
  EXPECT_STREQ("Invalid_Channel_Number", code_name(Kind::Kestan, 12));
  EXPECT_STREQ("Orvel_Ports_In_Use", code_name(Kind::Orvel, 7));
  EXPECT_STREQ("Pellin_Invalid_DO_Value", code_name(Kind::Pellin, 17));
  EXPECT_STREQ("Invalid_Port_Code", code_name(Kind::Dulvar, 8));
  EXPECT_STREQ("Invalid_Counter_Number", code_name(Kind::Wendal, 20));
  EXPECT_STREQ("No_Such_Line", code_name(Kind::Sarrow, kNoSuchLine));
  EXPECT_STREQ("unknown", code_name(Kind::Fenmar, 12));
  Card card;
  ASSERT_EQ(0, card_open(&card, Kind::Pellin, 0, 0x210, 0, nullptr));
  unsigned count = 0;
  EXPECT_EQ(kNoCounter, counter_read(card, 0, &count));
  EXPECT_EQ(kNoCounter, clock_stop(card));
  EXPECT_EQ(12, write_output_line(card, 8, 1)) << "the library's own refusal";
}

// The operations of each kind are that kind's, and have the counter and
// clock calls its description promises, no more.
TEST(CardAccess, EachKindsOperationsMatchItsDescription) {
  for (int k = 0; k < kKindCount; ++k) {
    const KindInfo &info = kind_info(static_cast<Kind>(k));
    const CardOps &ops = card_ops(info.kind);
    EXPECT_STREQ(info.name, ops.name);
    EXPECT_EQ(info.counter_control, ops.counters.start != nullptr) << info.name;
    EXPECT_EQ(info.counter_control, ops.counters.stop != nullptr) << info.name;
    EXPECT_EQ(info.counters > 0, ops.counters.read != nullptr) << info.name;
    EXPECT_EQ(info.sampling_clock, ops.counters.clock_start != nullptr) << info.name;
    EXPECT_EQ(info.sampling_clock, ops.counters.clock_stop != nullptr) << info.name;
    EXPECT_EQ(info.ppi_channels > 0, ops.set_direction != nullptr) << info.name;
  }
}

}  // namespace
