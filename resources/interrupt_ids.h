/*
 * Control identifiers of the interrupt samples' Setup dialog (IDD_SETUP).
 * The menu commands and the dialog's own id are in resource.h.
 */
#ifndef KIT_INTERRUPT_IDS_H
#define KIT_INTERRUPT_IDS_H

#include "resource.h"

#define IDC_INT_COUNT          1002 /* count edit of dulvar_interrupt and fenmar_interrupt */
#define IDC_INT_BASE           1004 /* base address list */
#define IDC_INT_LEVEL          1005 /* interrupt level list */
#define IDC_WENDAL_INT_COUNT   1007 /* count edit of wendal_interrupt */
#define IDC_WENDAL_INT_RATE    1008 /* sampling-rate edit of wendal_interrupt */
#define IDC_INT_LABEL          (-1)

#endif
