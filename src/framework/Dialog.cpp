#include "framework/Dialog.h"

namespace {

// Messages whose answer is the dialog procedure's return value itself rather
// than DWLP_MSGRESULT.
bool AnswersDirectly(UINT msg) {
    switch (msg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

} // namespace

INT_PTR CDialogImplRoot::DoModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner,
                                         LPARAM initParam) {
    if (hwnd_ != nullptr) {
        return -1;
    }
    initParam_ = initParam;
    return ::DialogBoxIndirectParamW(AppModule().GetResourceInstance(), dialogTemplate, owner,
                                     DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialogImplRoot::DoModalFromResource(const wchar_t* templateName, HWND owner,
                                             LPARAM initParam) {
    if (hwnd_ != nullptr) {
        return -1;
    }
    initParam_ = initParam;
    return ::DialogBoxParamW(AppModule().GetResourceInstance(), templateName, owner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogImplRoot::DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialogImplRoot*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr && msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogImplRoot*>(lParam);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        lParam = self->initParam_;
    }
    // WM_SETFONT comes before WM_INITDIALOG, when there is no object yet.
    if (self == nullptr) {
        return FALSE;
    }
    LRESULT result = 0;
    const BOOL handled = self->ProcessWindowMessage(window, msg, wParam, lParam, result);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        self->OnFinalMessage(window);
    }
    if (!handled) {
        return FALSE;
    }
    if (AnswersDirectly(msg)) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
