#include "dialogs/HelpDlg.h"

#include <iterator>

namespace {

struct Page {
    UINT caption;
    const wchar_t* picture;
};

constexpr Page kPages[] = {
    {IDS_HELP_SETTINGS, L"dlg_settings"},  {IDS_HELP_PRINT, L"dlg_print"},
    {IDS_HELP_ABOUT, L"btn_about"},        {IDS_HELP_NAVIGATION, L"btn_right"},
    {IDS_HELP_KEYBOARD, L"help_keyboard"}, {IDS_HELP_PASSWORD, L"dlg_unlock"},
};

} // namespace

HelpDlg::HelpDlg(HWND view) : TransparentDlg(view) {}

HelpDlg::~HelpDlg() = default;

LRESULT HelpDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(Handle(), L"dlg_help");
    HWND placeholder = GetDlgItem(IDC_SLIDES);
    RECT rect{};
    ::GetWindowRect(placeholder, &rect);
    ::MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&rect), 2);
    slideShow.Create(Handle(), rect, nullptr, WS_CHILD | WS_VISIBLE, 0, IDC_SLIDES);
    slideShow.SetScale(Scale());
    for (const Page& page : kPages) {
        slideShow.AddSlide(page.caption, page.picture);
    }
    UpdateNavigation();
    return 1;
}

LRESULT HelpDlg::OnClose(WORD, WORD id, HWND, BOOL&) {
    EndDialog(id);
    return 0;
}

LRESULT HelpDlg::OnNavigate(WORD, WORD id, HWND, BOOL&) {
    switch (id) {
    case IDC_FIRST_SLIDE:
        slideShow.ShowFirst();
        break;
    case IDC_PREVIOUS_SLIDE:
        slideShow.ShowPrevious();
        break;
    case IDC_NEXT_SLIDE:
        slideShow.ShowNext();
        break;
    default:
        slideShow.ShowLast();
        break;
    }
    UpdateNavigation();
    return 0;
}

void HelpDlg::UpdateNavigation() {
    const bool back = slideShow.Current() > 0;
    const bool forward = slideShow.Current() < slideShow.Count() - 1;
    const int ids[] = {IDC_FIRST_SLIDE, IDC_PREVIOUS_SLIDE, IDC_NEXT_SLIDE, IDC_LAST_SLIDE};
    const bool enabled[] = {back, back, forward, forward};
    HWND focus = ::GetFocus();
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        ::EnableWindow(GetDlgItem(ids[i]), enabled[i]);
    }
    // The button just pressed may have been disabled under the focus, which
    // would leave the keyboard nowhere: hand the focus to its counterpart.
    if (focus != nullptr && ::GetParent(focus) == Handle() && !::IsWindowEnabled(focus)) {
        const int id = ::GetDlgCtrlID(focus);
        const int counterpart = IDC_FIRST_SLIDE + IDC_LAST_SLIDE - id;
        HWND next = GetDlgItem(counterpart);
        if (next == nullptr || !::IsWindowEnabled(next)) {
            next = GetDlgItem(IDOK);
        }
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
}
