// Loading libkestan.so over the chosen build of libioport.so at run time.
#ifndef KESTAN_IO_KESTAN_LOADER_H
#define KESTAN_IO_KESTAN_LOADER_H

#include <cstddef>

// The thirteen entry points of libkestan.so, found by name.
struct KestanApi {
  int (*Initial)(int card, int base);
  int (*Set_Card)(int card);
  int (*Get_Card)(int *card);
  int (*DI_8)(int port, unsigned char *value);
  int (*DI_Channel)(int channel, int *value);
  int (*DI_16)(int port, unsigned int *value);
  int (*DO_8)(int port, unsigned int value);
  int (*DO_Channel)(int channel, unsigned int value);
  int (*DO_16)(int port, unsigned int value);
  int (*Read_Back)(int port, unsigned char *value);
  int (*Timer_Start)(int counter, int mode, unsigned int count);
  int (*Timer_Read)(int counter, unsigned int *count);
  int (*Timer_Stop)(int counter, unsigned int *count);
};

enum class IoportBuild { Hardware, Simulator };

// Loads <tool folder>/../hardware|simulator/libioport.so, then
// <tool folder>/../lib/libkestan.so, and fills api. On failure writes a
// one-line reason into why and returns false.
bool load_kestan(IoportBuild build, KestanApi *api, char *why, size_t why_size);

#endif
