// How kestan-io says that it could not do what it was asked: one line on
// stderr and, for a script that asked for --json, the same as a JSON object
// on stdout, whatever the status. And the end of a run: results that could
// not be written to stdout are a failure too.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "card_json.h"
#include "tool.h"

namespace {

bool g_json = false;

}  // namespace

void report_errors_as_json(bool on) { g_json = on; }

int tool_failure(int status, const char *message, bool said_already) {
  if (!said_already) std::fprintf(stderr, "kestan-io: %s\n", message);
  if (g_json) cardio::print_json(cardio::Json{{"error", {{"status", status}, {"message", message}}}});
  return status;
}

int usage_error(const char *why) {
  char text[512];
  std::snprintf(text, sizeof text, "%s (kestan-io --help tells more)", why);
  return tool_failure(kExitUsage, text);
}

int finish_output(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  char text[160];
  std::snprintf(text, sizeof text, "%s (%s)", cardio::find_failure(cardio::kOutput)->meaning, std::strerror(errno));
  std::fprintf(stderr, "kestan-io: %s\n", text);
  return status == kExitOk ? kExitOutput : status;
}
