// Command ids the main view answers (WM_COMMAND, low word of wParam).
#pragma once

#include <windows.h>

constexpr WORD CMD_SETTINGS = 0xC000;
constexpr WORD CMD_PRINT = 0xC001;
constexpr WORD CMD_EXIT = 0xC002;
constexpr WORD CMD_HELP = 0xC003;
constexpr WORD CMD_ABOUT = 0xC004;
constexpr WORD CMD_PREV = 0xC005;
constexpr WORD CMD_NEXT = 0xC006;
// Toggle the mark of the keyboard's day, as a click on it does.
constexpr WORD CMD_TOGGLE_DAY = 0xC007;
// The keyboard's day back to today, and the view with it.
constexpr WORD CMD_TODAY = 0xC008;
// The cycle history dialog.
constexpr WORD CMD_CYCLE_HISTORY = 0xC010;
// Takes back the last import while nothing else has changed.
constexpr WORD CMD_UNDO_IMPORT = 0xC011;
// Protect the calendar with a password, or change it; the frame answers.
constexpr WORD CMD_PROTECT = 0xC012;
// Take the password away; the frame answers.
constexpr WORD CMD_REMOVE_PASSWORD = 0xC013;
// Lock a protected calendar now; the frame answers.
constexpr WORD CMD_LOCK = 0xC014;
// When a protected calendar locks by itself; the frame answers.
constexpr WORD CMD_LOCK_OPTIONS = 0xC015;
