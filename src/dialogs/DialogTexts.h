// What the password dialogs share: the title font on the band, their colours,
// and the secret typed into an edit box, taken out and wiped from the box.
#pragma once

#include <windows.h>

#include <optional>

#include "crypto/Cng.h"
#include "framework/Gdi.h"
#include "skin/DisplayScale.h"

namespace dialog_texts {

inline constexpr COLORREF kTitleColour = RGB(253, 232, 240);
inline constexpr COLORREF kTextColour = RGB(0, 0, 0);
// Said when something went wrong: the skin's deep rose.
inline constexpr COLORREF kWarningColour = RGB(163, 21, 64);

gdi::Font MakeTitleFont(const DisplayScale& scale);

// The edit box's text as the key is derived from it (cng::PasswordUtf8);
// nullopt when the text cannot be one. `empty` overwrites the box and empties it.
std::optional<cng::SecretBytes> ReadSecret(HWND edit, bool empty);
inline std::optional<cng::SecretBytes> TakeSecret(HWND edit) {
    return ReadSecret(edit, true);
}

} // namespace dialog_texts
