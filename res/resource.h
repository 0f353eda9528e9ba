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

// Saving: a failure, the question at exit, copies kept and offered back
#define IDS_SAVE_FAILED 300
#define IDS_EXIT_NOT_SAVED 301
#define IDS_EXIT_NOT_SAVED_DETAIL 302
#define IDS_TRY_AGAIN 303
#define IDS_CLOSE_WITHOUT_SAVING 304
#define IDS_GO_BACK 305
#define IDS_CHANGES_KEPT_BESIDE 306
#define IDS_CHANGES_KEPT_ELSEWHERE 307
#define IDS_CLOSE_ANYWAY 308
#define IDS_UNREADABLE_AT_START 309
#define IDS_OFFER_UNSAVED 310
#define IDS_NO_REASON 311

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
