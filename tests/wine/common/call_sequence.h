// Expected call sequences, in the manner of Wine's message-sequence tests: a
// test records what happened (card-library calls of a stand-in, port
// accesses of the simulator journal) into a CallLog and compares it with a
// const table of ExpectedCall ending in {0}. A mismatch is reported at the
// file and line of the check, with both sequences dumped side by side.
//
//   static const ExpectedCall kChoose2A8[] = {{1, {0, 0x2A8}}, {0}};
//   ok_sequence(&log, kChoose2A8, "choosing 2A8H");
#ifndef KIT_CALL_SEQUENCE_H
#define KIT_CALL_SEQUENCE_H

#include <cstdint>

enum {
  CALL_MAX_ARGS = 3,
  CALL_LOG_CAPACITY = 4096,
};

// ExpectedCall flags: arguments not to compare (a pointer, for instance).
enum {
  CALL_ANY_ARG0 = 1u << 0,
  CALL_ANY_ARG1 = 1u << 1,
  CALL_ANY_ARG2 = 1u << 2,
};

struct Call {
  int id;  // ordinal, or journal operation; 0 ends an expected table
  int64_t args[CALL_MAX_ARGS];
};

struct ExpectedCall {
  int id;
  int64_t args[CALL_MAX_ARGS] = {};
  unsigned flags = 0;
};

// Names for the dump: {id, "W_Sarrow_DI"}, ..., {0, nullptr}.
struct CallName {
  int id;
  const char *name;
};

struct CallLog {
  Call calls[CALL_LOG_CAPACITY];
  int count;
  int overflowed;
  const CallName *names;
};

void call_log_clear(CallLog *log);
void call_log_add(CallLog *log, int id, int64_t a0 = 0, int64_t a1 = 0, int64_t a2 = 0);
// Number of recorded calls with this id.
int call_log_count(const CallLog *log, int id);

// True when the log holds exactly the expected calls; otherwise a gtest
// failure at file:line naming the context, with both sequences.
bool ok_sequence_at(const CallLog *log, const ExpectedCall *expected, const char *context,
                    const char *file, int line);
#define ok_sequence(log, expected, context) \
  ok_sequence_at((log), (expected), (context), __FILE__, __LINE__)

#endif
