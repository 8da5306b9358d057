/*
 * Recording stand-in of the card libraries used by the interrupt samples'
 * in-process tests. Stand-in dulvar.dll, fenmar.dll and wendal.dll export
 * the ordinals the samples import; each call lands here with its arguments,
 * in one journal for all three, together with the number of simulator port
 * accesses made before it (so a test can place the samples' own port
 * writes between the library calls). The query operation reports what the
 * test asked for. Past CARDREC_CAPACITY calls the older half is forgotten.
 */
#ifndef KIT_TESTS_CARD_RECORDER_H
#define KIT_TESTS_CARD_RECORDER_H

#include <stdint.h>

#ifdef CARDREC_BUILD
#define CARDREC_API __declspec(dllexport)
#else
#define CARDREC_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum { CARDREC_MAX_ARGS = 4, CARDREC_CAPACITY = 4096 };

typedef struct CardCall {
  char card[8];                    /* "dulvar", "fenmar", "wendal" */
  int ordinal;
  int argc;
  intptr_t args[CARDREC_MAX_ARGS]; /* integers and addresses as passed */
  int pointee;                     /* stop: the count its argument held */
  unsigned long ports_before;      /* simulator journal total at the call */
} CardCall;

CARDREC_API void cardrec_clear(void);
CARDREC_API int cardrec_count(void);
/* Copy of call i (0 first); a zeroed record when i is out of range. */
CARDREC_API CardCall cardrec_call(int i);

/* What the next query reports: the status, and a count that grows by step
 * after every query (up to limit). */
CARDREC_API void cardrec_report(int status, int count, int step, int limit);

/* Called by the stand-ins. Returns 0. */
CARDREC_API int cardrec_record(const char *card, int ordinal, int argc, const intptr_t *args);

#ifdef __cplusplus
}
#endif

#endif
