// What every kestan-io program (the command list, probe, scan, watch, ...)
// shares: exit codes, messages, the choice of port layer and the checks
// made before the first port access.
#ifndef KESTAN_IO_TOOL_H
#define KESTAN_IO_TOOL_H

#include "options.h"
#include "tool_failures.h"

// Exit codes, one per kind of mistake, as tool_failures.h's table gives them.
using cardio::kExitOk;
using cardio::kExitRefused;  // the library (or the card-access layer) refused a call
constexpr int kExitUsage = cardio::io_status(cardio::kUsage);
constexpr int kExitNoLayer = cardio::io_status(cardio::kNoLayer);
constexpr int kExitNoRights = cardio::io_status(cardio::kNoRights);
constexpr int kExitBusy = cardio::io_status(cardio::kBusy);
constexpr int kExitNoCard = cardio::io_status(cardio::kNoCard);
constexpr int kExitNoListen = cardio::io_status(cardio::kNoListen);
constexpr int kExitInUse = cardio::io_status(cardio::kInUse);
constexpr int kExitOutput = cardio::io_status(cardio::kOutput);
constexpr int kExitNoState = cardio::io_status(cardio::kNoState);

// With --json every failure is also a JSON object on stdout.
void report_errors_as_json(bool on);
// "kestan-io: message" on stderr (unless said_already: the port layer has
// said it) and, with --json, {"error":{"status":N,"message":...}} on stdout;
// returns status.
int tool_failure(int status, const char *message, bool said_already = false);
// "kestan-io: why (kestan-io --help tells more)"; returns kExitUsage.
int usage_error(const char *why);
// status, or kExitOutput when what was printed could not be written.
int finish_output(int status);

// Sets KESTAN_IOPORT for --simulator / --hardware, before the first port call.
void choose_port_layer(const Options &options);
// True when the calls reach the simulated PC.
bool on_simulator();

// Checks that the ports base .. base + length - 1 may be used: the layer is
// there (else kExitNoLayer), the rights are held (else kExitNoRights), and,
// when writes is set on the real PC, no kernel driver owns them (else
// kExitBusy, unless --force). Says why on stderr; kExitOk when all is well.
int check_ports(const Options &options, int base, int length, bool writes);

// A kernel driver's range from /proc/ioports (KESTAN_IOPORTS names another
// file) that overlaps base .. base + length - 1: its name into owner.
bool ports_busy(int base, int length, char *owner, int size);

// The programs other than the command list; argc/argv are the operands after the word.
int run_probe(const Options &options, int argc, char **argv);
int run_scan(const Options &options, int argc, char **argv);
int run_watch(const Options &options, int argc, char **argv);
int run_serve(const Options &options, int argc, char **argv);

#endif
