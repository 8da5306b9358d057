// The exit statuses a tool's --help explains, and those the failure table
// gives it: a test holds the two sets equal.
#ifndef KIT_TESTS_EXIT_STATUSES_H
#define KIT_TESTS_EXIT_STATUSES_H

#include <regex>
#include <set>
#include <string>

#include "tool_failures.h"

// The N of every "N what it means" after "Exit status: ", where the items
// stand separated by "; " (or ";" at the end of a line).
inline std::set<int> explained_exit_statuses(const std::string &help) {
  const size_t at = help.find("Exit status: ");
  const std::string text = at == std::string::npos ? "" : help.substr(at);
  const std::regex item("(?:: |; |;\n)([0-9]+) ");
  std::set<int> statuses;
  for (std::sregex_iterator i(text.begin(), text.end(), item), end; i != end; ++i) statuses.insert(std::stoi((*i)[1]));
  return statuses;
}

// Success, a refusal, and every status of the table's column (io_status, sim_status).
inline std::set<int> table_exit_statuses(int cardio::FailureInfo::*column) {
  std::set<int> statuses{cardio::kExitOk, cardio::kExitRefused};
  for (const cardio::FailureInfo &f : cardio::kFailures)
    if (f.*column != cardio::kNoStatus) statuses.insert(f.*column);
  return statuses;
}

#endif
