// Resource ids shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 128

#define IDS_APP_NAME 128
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
