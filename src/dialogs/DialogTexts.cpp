#include "dialogs/DialogTexts.h"

#include <string>
#include <string_view>

namespace dialog_texts {

gdi::Font MakeTitleFont(const DisplayScale& scale) {
    return gdi::MakeFont(L"Comic Sans MS", -scale.FontHeight(22), FW_BOLD, ANTIALIASED_QUALITY);
}

std::optional<cng::SecretBytes> ReadSecret(HWND edit, bool empty) {
    const int length = ::GetWindowTextLengthW(edit);
    cng::SecretBuffer<wchar_t> typed(static_cast<std::size_t>(length) + 1);
    const int read = ::GetWindowTextW(edit, typed.Data(), length + 1);
    // The box's own buffer is overwritten before it is let go.
    if (empty) {
        ::SetWindowTextW(edit, std::wstring(static_cast<std::size_t>(length), L'*').c_str());
        ::SetWindowTextW(edit, L"");
    }
    return cng::PasswordUtf8(std::wstring_view(typed.Data(), static_cast<std::size_t>(read)));
}

} // namespace dialog_texts
