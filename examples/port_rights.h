// The examples' first step: may this process use the card's ports? Without
// the rights every read gives FFH and every write is lost, so a program that
// went on would print what an empty bus made up. On Linux io_rights asks
// (the simulated PC grants every port) and its reason names the cause and
// the remedy; on Windows there is nothing to ask before the first access.
#ifndef KESTAN_EXAMPLES_PORT_RIGHTS_H
#define KESTAN_EXAMPLES_PORT_RIGHTS_H

#include <cstdio>

#ifndef _WIN32
#include "ioport.h"
#endif

// True when ports base to base + length - 1 may be used; else says why on stderr.
inline bool may_use_ports(int base, int length) {
#ifndef _WIN32
  char reason[600];
  if (io_rights(static_cast<unsigned short>(base), static_cast<unsigned short>(length), reason,
                sizeof reason) != IO_RIGHTS_OK) {
    std::fprintf(stderr, "%s\n", reason);
    return false;
  }
#endif
  (void)base;
  (void)length;
  return true;
}

#endif
