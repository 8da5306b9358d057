// How kestan-io says that it could not do what it was asked: one line on
// stderr and, for a script that asked for --json, the same as a JSON object
// on stdout, whatever the status. And the end of a run: results that could
// not be written to stdout are a failure too.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool.h"

namespace {

bool g_json = false;

void print_json_string(const char *text) {
  std::putchar('"');
  for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
    if (*p == '"' || *p == '\\')
      std::printf("\\%c", *p);
    else if (*p < 0x20)
      std::printf("\\u%04X", *p);
    else
      std::putchar(*p);
  }
  std::putchar('"');
}

}  // namespace

void report_errors_as_json(bool on) { g_json = on; }

int tool_failure(int status, const char *message, bool said_already) {
  if (!said_already) std::fprintf(stderr, "kestan-io: %s\n", message);
  if (g_json) {
    std::printf("{\"error\":{\"status\":%d,\"message\":", status);
    print_json_string(message);
    std::printf("}}\n");
  }
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
  std::snprintf(text, sizeof text, "the results could not be written to standard output (%s)", std::strerror(errno));
  std::fprintf(stderr, "kestan-io: %s\n", text);
  return status == kExitOk ? kExitOutput : status;
}
