// Resource ids shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128

#define IDS_APP_NAME 128
// The table's own language, for the plural rules (framework/ResourceText.h).
#define IDS_LANGUAGE 129
#define IDS_SETTINGS 138
#define IDS_PRINT 139
#define IDS_HELP 140
#define IDS_ABOUT 141
#define IDS_EXIT 142
#define IDS_REPORT_NAME 143
#define IDS_NO_PRINTERS 144

#define IDD_ABOUT 100
#define IDD_SETTINGS 201
#define IDD_HELP 202
#define IDD_PRINT 203

// Settings dialog
#define IDC_CYCLE_LENGTH 1008
#define IDC_PERIOD_LENGTH 1009
#define IDC_SHOW_FERTILITY 1025

// Help dialog
#define IDC_SLIDES 1021
#define IDC_FIRST_SLIDE 1022
#define IDC_PREVIOUS_SLIDE 1023
#define IDC_NEXT_SLIDE 1024
#define IDC_LAST_SLIDE 1025
#define IDS_HELP_SETTINGS 170
#define IDS_HELP_PRINT 171
#define IDS_HELP_ABOUT 172
#define IDS_HELP_NAVIGATION 173
#define IDS_HELP_KEYBOARD 174

// Print dialog
#define IDC_PRINT_PROPERTIES 3
#define IDC_PRINTER 1010
#define IDC_THIS_YEAR 1011
#define IDC_LAST_TWO_YEARS 1012
#define IDC_ALL_MARKED_YEARS 1013

// About dialog
#define IDC_ABOUT_TITLE 1001
#define IDC_WEB_LINK 1020
#define IDC_SUPPORT_LINK 1021

// What a screen reader hears (accessibility.rc): a day's state after its
// date, default actions, names of pictures without words.
#define IDS_DAY_FIRST_DAY 330
#define IDS_DAY_PERIOD 331
#define IDS_DAY_EXPECTED_PERIOD 332
#define IDS_DAY_FERTILE 333
#define IDS_ACTION_MARK 334
#define IDS_ACTION_REMOVE_MARK 335
#define IDS_ACTION_PRESS 336
#define IDS_PREVIOUS_HALF_YEAR 337
#define IDS_NEXT_HALF_YEAR 338
#define IDS_CAPTION_NAME 339

// The view's context menu and the keys shown beside its items.
#define IDS_MENU_MARK 350
#define IDS_MENU_REMOVE_MARK 351
#define IDS_MENU_TODAY 352
#define IDS_MENU_SETTINGS 353
#define IDS_MENU_PRINT 354
#define IDS_MENU_HELP 355
#define IDS_MENU_ABOUT 356
#define IDS_MENU_EXIT 357
#define IDS_KEY_SPACE 370
#define IDS_KEY_CTRL_HOME 371
#define IDS_KEY_CTRL_P 372
#define IDS_KEY_F1 373
#define IDS_KEY_ALT_F4 374
