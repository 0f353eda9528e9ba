#include "dialogs/AboutDlg.h"

#include "product.h"

// The addresses are narrow for the resource script; the links want them wide.
#define LUNABEL_WIDE_(text) L##text
#define LUNABEL_WIDE(text) LUNABEL_WIDE_(text)

namespace {

constexpr wchar_t kWebTarget[] = LUNABEL_WIDE(LUNABEL_WEB_URL);
constexpr wchar_t kSupportTarget[] = LUNABEL_WIDE(LUNABEL_SUPPORT_URL);

} // namespace

CAboutDlg::CAboutDlg(HWND view) : TransparentDlg(view), titleFont(MakeLabelFont()) {}

CAboutDlg::~CAboutDlg() = default;

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(Handle(), L"dlg_about");
    titleFont = MakeLabelFont(Scale());
    // A static may select its own font after asking for its colours, undoing
    // the choice made there: it gets the title font as its own as well.
    ::SendMessageW(GetDlgItem(IDC_ABOUT_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    webLink.SubclassWindow(GetDlgItem(IDC_WEB_LINK));
    webLink.SetHyperLink(kWebTarget);
    webLink.SetUnderline(LinkUnderline::OnHover);
    supportLink.SubclassWindow(GetDlgItem(IDC_SUPPORT_LINK));
    supportLink.SetHyperLink(kSupportTarget);
    supportLink.SetUnderline(LinkUnderline::OnHover);
    // The links come first in the tab order; the box still opens on OK, so
    // that Enter closes it as before.
    ::SetFocus(GetDlgItem(IDOK));
    return FALSE;
}

LRESULT CAboutDlg::OnClose(WORD, WORD id, HWND, BOOL&) {
    // While the dialog still exists: afterwards the statics would keep
    // calling into links that are gone.
    webLink.UnsubclassWindow();
    supportLink.UnsubclassWindow();
    EndDialog(id);
    return 0;
}

LRESULT CAboutDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const HBRUSH brush = ColorStatic(dc, control);
    // Where the static selected its own font before asking, this replaces it.
    if (::GetDlgCtrlID(control) == IDC_ABOUT_TITLE) {
        ::SelectObject(dc, titleFont.Get());
    }
    return reinterpret_cast<LRESULT>(brush);
}
