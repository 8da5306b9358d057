/*
 * The card-library operations the interrupt samples call, by card. Each
 * program binds its library by ordinal (the import libraries carry NONAME
 * entries), so only the ordinals and argument lists below matter; every
 * argument is a 32-bit integer or address and no result is looked at.
 *
 *   role                        dulvar/fenmar  wendal
 *   initialise (card, base, level)      1        1
 *   start sampling clock (div1, div2)   -        4
 *   stop sampling clock ()              -        5
 *   arm for N interrupts (N)            7        9
 *   query (&status, &count)             8       10
 *   stop (&count)                       9       11
 *   register buffer (port code, direction, buffer, N)
 *                                      10       12
 *   begin a new transfer set-up ()     11       13
 */
#ifndef KIT_INTERRUPT_CARD_OPS_H
#define KIT_INTERRUPT_CARD_OPS_H

#ifdef __cplusplus
extern "C" {
#endif

int __stdcall W_Dulvar_Initial(int card, int base, int level);
int __stdcall W_Dulvar_INT_Enable(int count);
int __stdcall W_Dulvar_INT_Status(int *status, int *count);
int __stdcall W_Dulvar_INT_Stop(int *count);
int __stdcall W_Dulvar_INT_Buffer(int port, int direction, int *buffer, int count);
int __stdcall W_Dulvar_INT_Reset(void);

int __stdcall W_Fenmar_Initial(int card, int base, int level);
int __stdcall W_Fenmar_INT_Enable(int count);
int __stdcall W_Fenmar_INT_Status(int *status, int *count);
int __stdcall W_Fenmar_INT_Stop(int *count);
int __stdcall W_Fenmar_INT_Buffer(int port, int direction, int *buffer, int count);
int __stdcall W_Fenmar_INT_Reset(void);

int __stdcall W_Wendal_Initial(int card, int base, int level);
int __stdcall W_Wendal_Timer_Start(int divisor1, int divisor2);
int __stdcall W_Wendal_Timer_Stop(void);
int __stdcall W_Wendal_INT_Enable(int count);
int __stdcall W_Wendal_INT_Status(int *status, int *count);
int __stdcall W_Wendal_INT_Stop(int *count);
int __stdcall W_Wendal_INT_Buffer(int port, int direction, int *buffer, int count);
int __stdcall W_Wendal_INT_Reset(void);

#ifdef __cplusplus
}
#endif

#endif
