#include "call_sequence.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

namespace {

const char *name_of(const CallLog *log, int id) {
  for (const CallName *n = log->names; n && n->name; ++n)
    if (n->id == id) return n->name;
  return nullptr;
}

std::string describe(const CallLog *log, int id, const int64_t *args, unsigned any) {
  char text[160];
  const char *name = name_of(log, id);
  int at = name ? std::snprintf(text, sizeof text, "%s(", name)
                : std::snprintf(text, sizeof text, "#%d(", id);
  for (int i = 0; i < CALL_MAX_ARGS && at < static_cast<int>(sizeof text); ++i) {
    const char *sep = i ? ", " : "";
    if (any & (1u << i))
      at += std::snprintf(text + at, sizeof text - at, "%s*", sep);
    else
      at += std::snprintf(text + at, sizeof text - at, "%s0x%" PRIx64, sep, args[i]);
  }
  if (at < static_cast<int>(sizeof text)) std::snprintf(text + at, sizeof text - at, ")");
  return text;
}

bool matches(const Call &got, const ExpectedCall &want) {
  if (got.id != want.id) return false;
  for (int i = 0; i < CALL_MAX_ARGS; ++i)
    if (!(want.flags & (1u << i)) && got.args[i] != want.args[i]) return false;
  return true;
}

}  // namespace

void call_log_clear(CallLog *log) {
  log->count = 0;
  log->overflowed = 0;
}

void call_log_add(CallLog *log, int id, int64_t a0, int64_t a1, int64_t a2) {
  if (log->count == CALL_LOG_CAPACITY) {
    log->overflowed = 1;
    return;
  }
  log->calls[log->count++] = Call{id, {a0, a1, a2}};
}

int call_log_count(const CallLog *log, int id) {
  int n = 0;
  for (int i = 0; i < log->count; ++i) n += log->calls[i].id == id;
  return n;
}

bool ok_sequence_at(const CallLog *log, const ExpectedCall *expected, const char *context,
                    const char *file, int line) {
  int wanted = 0;
  while (expected[wanted].id) ++wanted;
  int first_bad = -1;
  for (int i = 0; i < wanted || i < log->count; ++i) {
    if (i >= wanted || i >= log->count || !matches(log->calls[i], expected[i])) {
      first_bad = i;
      break;
    }
  }
  if (first_bad < 0 && !log->overflowed) return true;

  std::string dump;
  char head[96];
  std::snprintf(head, sizeof head, "%s: sequence differs at call %d%s\n", context, first_bad,
                log->overflowed ? " (log overflowed)" : "");
  dump += head;
  for (int i = 0; i < wanted || i < log->count; ++i) {
    std::string want = i < wanted ? describe(log, expected[i].id, expected[i].args,
                                             expected[i].flags)
                                  : "-";
    std::string got = i < log->count ? describe(log, log->calls[i].id, log->calls[i].args, 0)
                                     : "-";
    char row[64];
    std::snprintf(row, sizeof row, "  %s%3d  ", i == first_bad ? ">" : " ", i);
    dump += row + want;
    dump.append(want.size() < 36 ? 36 - want.size() : 1, ' ');
    dump += got + "\n";
  }
  ADD_FAILURE_AT(file, line) << dump << "  (expected on the left, recorded on the right)";
  return false;
}
