// What the view's context menu holds and which keys give its commands: one
// entry per item and one per key, so that a new command is a line in each.
#pragma once

#include "view/Commands.h"
#include "resource.h"

#include <windows.h>

struct MenuItem {
    UINT text;     // string id; 0 for a separator
    WORD command;  // sent to the view as WM_COMMAND
    UINT shortcut; // string id of the keys shown beside the text; 0 for none
};

// CMD_TOGGLE_DAY is there only when the menu opens on a day, and offers
// IDS_MENU_REMOVE_MARK on a marked one.
inline constexpr MenuItem kContextMenu[] = {
    {IDS_MENU_MARK, CMD_TOGGLE_DAY, IDS_KEY_SPACE},
    {IDS_MENU_TODAY, CMD_TODAY, IDS_KEY_CTRL_HOME},
    {0, 0, 0},
    {IDS_MENU_CYCLE_HISTORY, CMD_CYCLE_HISTORY, IDS_KEY_CTRL_H},
    // Only while the last import can be taken back.
    {IDS_MENU_UNDO_IMPORT, CMD_UNDO_IMPORT, IDS_KEY_CTRL_Z},
    // "Protect with a password..." or, once set, "Change password..." and
    // "Remove password...": only where the data is kept in her file.
    {IDS_MENU_PROTECT, CMD_PROTECT, 0},
    {IDS_MENU_REMOVE_PASSWORD, CMD_REMOVE_PASSWORD, 0},
    // Only while a password is set.
    {IDS_MENU_LOCK, CMD_LOCK, IDS_KEY_CTRL_L},
    {IDS_MENU_LOCK_OPTIONS, CMD_LOCK_OPTIONS, 0},
    {IDS_MENU_SETTINGS, CMD_SETTINGS, 0},
    {IDS_MENU_PRINT, CMD_PRINT, IDS_KEY_CTRL_P},
    {IDS_MENU_HELP, CMD_HELP, IDS_KEY_F1},
    {IDS_MENU_ABOUT, CMD_ABOUT, 0},
    {0, 0, 0},
    {IDS_MENU_EXIT, CMD_EXIT, IDS_KEY_ALT_F4},
};

struct Shortcut {
    UINT key;     // virtual-key code
    bool control; // with Ctrl held
    WORD command;
};

// F1 arrives as WM_HELP and Alt+F4 as the system's close; the keys that move
// the keyboard's day are the view's own.
inline constexpr Shortcut kShortcuts[] = {
    {VK_SPACE, false, CMD_TOGGLE_DAY},
    {VK_RETURN, false, CMD_TOGGLE_DAY},
    {VK_HOME, true, CMD_TODAY},
    {'P', true, CMD_PRINT},
    {'H', true, CMD_CYCLE_HISTORY},
    {'Z', true, CMD_UNDO_IMPORT},
    {'L', true, CMD_LOCK},
};
