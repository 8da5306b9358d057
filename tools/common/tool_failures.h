// What can go wrong in the native tools besides a card library's refusal,
// said once. Every failure has one code, negative and so apart from the
// libraries' result codes (0 and up), and one row of kFailures: its name,
// the exit status kestan-io and kestan-sim end with, and what it means.
//   -1 to -99     the card-access layer refused a call without making it
//                 (card_access.h); code_name() names them
//   -100 to -199  opening a card met something before its library; the C
//                 interface returns these codes as they are (card_api.h
//                 spells them for C, kit_code_name() names them)
//   -200 and on   only a command line meets these
// Header only: kestan-sim takes its statuses from here without the card
// libraries.
#ifndef KIT_TOOLS_TOOL_FAILURES_H
#define KIT_TOOLS_TOOL_FAILURES_H

namespace cardio {

enum Failure : int {
  kNoSuchLine = -1,
  kNoCounter = -2,
  kNoSuchGroup = -3,
  kBadLineValue = -4,
  kUnknownKind = -100,
  kNoRights = -101,
  kNoLayer = -102,
  kInUse = -103,
  kNoState = -104,
  kUsage = -200,
  kBusy = -201,
  kNoCard = -202,
  kNoListen = -203,
  kOutput = -204,
};

constexpr int kFirstOpenFailure = -100;
constexpr int kFirstCommandLineFailure = -200;

// Every tool's exit status for success, and for a refusal by a library (a
// card's, or the simulated PC's controls) or by the card-access layer.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kNoStatus = -1;  // the tool never meets the failure

struct FailureInfo {
  Failure code;
  const char *name;     // as code_name() and kit_code_name() say it
  int io_status;        // kestan-io's exit status
  int sim_status;       // kestan-sim's, or kNoStatus
  const char *meaning;  // what went wrong, one line; for the layer's refusals with
  const char *remedy;   // what to do (nullptr for the others), {words} as error_text.cpp fills them in
};

inline constexpr FailureInfo kFailures[] = {
  {kNoSuchLine, "No_Such_Line", kExitRefused, kNoStatus, "line or port beyond the card",
   "use a line from 0 to {line} or a port from 0 to {port}"},
  {kNoCounter, "No_Such_Counter", kExitRefused, kNoStatus, "this card has no such counter call",
   "counters start and stop on the kestan card and are read on the kestan and wendal cards; the sampling clock is "
   "on the wendal card"},
  {kNoSuchGroup, "No_Such_Group", kExitRefused, kNoStatus, "no such port group on this card",
   "kestan-io --help lists the groups"},
  {kBadLineValue, "Invalid_Line_Value", kExitRefused, kNoStatus, "a line takes only 0 or 1", "write 0 (off) or 1 (on)"},
  {kUnknownKind, "Unknown_Kind", 2, kNoStatus, "no card kind of that name", nullptr},
  {kNoRights, "No_Port_Rights", 4, kNoStatus, "the process may not access the card's ports", nullptr},
  {kNoLayer, "No_Port_Layer", 3, kNoStatus, "the chosen port layer is not installed", nullptr},
  {kInUse, "Card_In_Use", 8, kNoStatus, "another program (a kestan-io serve) holds the card", nullptr},
  {kNoState, "No_State_Folder", 10, kNoStatus,
   "the card's record cannot be kept (its folder or file is not the user's own, or it could not be saved)", nullptr},
  {kUsage, "Usage", 2, 2, "the command line is wrong", nullptr},
  {kBusy, "Ports_Busy", 5, kNoStatus, "the ports belong to a kernel driver (see --force)", nullptr},
  {kNoCard, "No_Card", 6, kNoStatus, "probe: nothing answers at the base", nullptr},
  {kNoListen, "No_Listen", 7, kNoStatus, "serve: the address cannot be listened on", nullptr},
  {kOutput, "Output_Lost", 9, 3, "the results could not be written to standard output", nullptr},
};

// The row of code; nullptr when no failure has that code.
constexpr const FailureInfo *find_failure(int code) {
  for (const FailureInfo &f : kFailures)
    if (f.code == code) return &f;
  return nullptr;
}

// One row per code.
constexpr bool each_code_once() {
  for (const FailureInfo &f : kFailures)
    if (find_failure(f.code) != &f) return false;
  return true;
}
static_assert(each_code_once(), "two rows of kFailures have one code");

constexpr bool is_layer_refusal(int code) { return code < 0 && code > kFirstOpenFailure; }
constexpr bool is_open_failure(int code) { return code <= kFirstOpenFailure && code > kFirstCommandLineFailure; }

constexpr int io_status(Failure code) { return find_failure(code)->io_status; }
constexpr int sim_status(Failure code) { return find_failure(code)->sim_status; }

}  // namespace cardio

#endif
