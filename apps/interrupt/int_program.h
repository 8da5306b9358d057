/*
 * What makes one interrupt sample different from the other two: the Setup
 * dialog's lists and defaults, the starting settings, and the card-specific
 * steps. The shared dialog procedure and main window procedure read
 * everything from the program's table, Int_Program.
 */
#ifndef KIT_INTERRUPT_INT_PROGRAM_H
#define KIT_INTERRUPT_INT_PROGRAM_H

#include <windows.h>

#include "int_state.h"

typedef struct IntSetupTable {
  int setup_command;             /* menu command that opens the dialog */
  int address_step;              /* between two base address entries */
  int address_bound;             /* entries run while address <= bound */
  int default_address_index;     /* 0 is "(NONE)" */
  const char *const *levels;     /* interrupt level texts, in list order */
  int level_count;
  int default_level_index;
  int count_edit;                /* control id of the count edit */
  const char *count_text;        /* its text at every opening */
  int rate_edit;                 /* control id of a sampling-rate edit, 0 for none */
  const char *rate_text;
  int none_base;                 /* base stored for "(NONE)" or no selection */
  int none_level;                /* level stored when nothing is selected */
} IntSetupTable;

typedef struct IntProgram {
  IntSetupTable setup;
  IntSettings start;
  /* The program's own starting state beyond the shared settings, or null. */
  void (*start_own)(void);
  /* Setup OK, first step: initialise the card with (0, Base_Address, IRQ_Level). */
  void (*initialise)(void);
  /* Setup OK, or null: nonzero refuses the program's own fields (after the
   * count was accepted, before anything is stored); the dialog stays open. */
  int (*refuse_own)(HWND dialog);
  /* Setup OK, after Total_Count is stored and the buffers are filled. */
  void (*complete_setup)(HWND dialog);
  /* Interrupt Trigger (command 300). */
  void (*trigger)(HWND window);
  /* The library's stop operation, on WM_DESTROY. */
  void (*stop)(void);
} IntProgram;

/* The table of the program, defined by its module (one per executable). */
extern const IntProgram Int_Program;

#endif
