/*
 * Resource and command ids of the ten programs, by kind:
 *   IDM_  menu commands       IDC_  controls
 *   IDD_  dialog templates
 * Menu and icon names are strings ("UKestanMenu", "UOrvelMenu", "IntMenu",
 * "MyIcon") and are defined here too so that code and .rc files agree.
 */
#ifndef KIT_RESOURCE_H
#define KIT_RESOURCE_H

/* Panel programs. */
#define IDM_EXIT              110  /* "E&xit" on the panel menus */
#define IDC_BASE_ADDRESS      200  /* the base-address selector */
#define IDC_MODE              400  /* dulvar_panel's 96/144-bit mode selector */

/* Interrupt samples. */
#define IDM_INT_TRIGGER       300  /* "Interrupt Trigger" */
#define IDM_INT_EXIT          305  /* "Exit" */
#define IDM_DULVAR_SETUP      301  /* "Setup" of dulvar_interrupt */
#define IDM_WENDAL_SETUP      101  /* "Setup" of wendal_interrupt */
#define IDM_FENMAR_SETUP    40001  /* "Setup" of fenmar_interrupt */
#define IDD_SETUP             101  /* the Setup dialog */

#define MENU_UKESTAN  "UKestanMenu"
#define MENU_UORVEL   "UOrvelMenu"
#define MENU_INT      "IntMenu"
#define ICON_PANEL    "MyIcon"

#endif
