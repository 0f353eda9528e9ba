// The text an owner-data list view (LVS_OWNERDATA) asks its parent for in
// LVN_GETDISPINFO: which cell, and the answer copied into the list's buffer.
//
//   if (const auto cell = listview::TextAsked(lParam, IDC_LIST)) {
//       listview::Answer(lParam, TextOf(cell->row, cell->column));
//   }
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string>

namespace listview {

struct Cell {
    std::size_t row = 0;
    int column = 0;
};

// The cell whose text the list `id` asks for in this WM_NOTIFY, if it asks.
inline std::optional<Cell> TextAsked(LPARAM lParam, UINT_PTR id) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != id || header->code != LVN_GETDISPINFOW) {
        return std::nullopt;
    }
    const LVITEMW& item = reinterpret_cast<const NMLVDISPINFOW*>(lParam)->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0 || item.iItem < 0) {
        return std::nullopt;
    }
    return Cell{static_cast<std::size_t>(item.iItem), item.iSubItem};
}

// Cut to the list's buffer where it is longer.
inline void Answer(LPARAM lParam, const std::wstring& text) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    wcsncpy_s(item.pszText, static_cast<std::size_t>(item.cchTextMax), text.c_str(), _TRUNCATE);
}

} // namespace listview
