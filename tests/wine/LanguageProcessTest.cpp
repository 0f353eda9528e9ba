// The running program speaks the language Windows chose: its button captions
// and its Settings dialog, read through their window texts from outside, are
// the ones of that language's table and template. CTest runs it once under
// each language's locale.
#include "ProgramProcessSupport.h"
#include "WindowText.h"

#include "view/CalendarView.h"
#include "view/Commands.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "resource.h"

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace programtest;

// The texts of a dialog's labels and buttons, in order (a list shows a value).
std::vector<std::wstring> ControlTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" || ClassOf(child) == L"Button") {
            texts.push_back(WindowText(child));
        }
    }
    return texts;
}

// The Settings dialog as this process's language has it: the program and the
// tests choose the same table.
std::vector<std::wstring> ExpectedSettingsTexts() {
    const HRSRC found = ::FindResourceW(AppModule().GetResourceInstance(),
                                        MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(
        ::LockResource(::LoadResource(AppModule().GetResourceInstance(), found)));
    const HWND dialog = ::CreateDialogIndirectParamW(
        AppModule().GetResourceInstance(), dialogTemplate, nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
    std::vector<std::wstring> texts = ControlTexts(dialog);
    ::DestroyWindow(dialog);
    return texts;
}

// A window of process `process` other than `frame`, once there is one.
HWND AwaitDialogOf(DWORD process, HWND frame) {
    struct Search {
        DWORD process;
        HWND frame;
        HWND found;
    } search{process, frame, nullptr};
    for (int tries = 0; tries < 600 && !search.found; ++tries) {
        ::EnumWindows(
            [](HWND window, LPARAM param) {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == s->process && window != s->frame && ::IsWindowVisible(window) &&
                    ClassOf(window) == L"#32770") {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            ::Sleep(50);
        }
    }
    return search.found;
}

class LanguageProcess : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (const char* expected = std::getenv("LUNABEL_EXPECTED_LANGUAGE")) {
            const std::wstring language = ResourceLanguage();
            ASSERT_EQ(std::string(language.begin(), language.end()), expected)
                << "the locale did not take";
        }
    }
};

} // namespace

TEST_F(LanguageProcess, CaptionsAndSettingsAreInTheUsersLanguage) {
    ProgramCopy program;
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const HWND view = ::FindWindowExW(frame, nullptr, CalendarView::kClassName, nullptr);
    ASSERT_NE(view, nullptr);

    std::set<std::wstring> captions;
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"LunabelImageButton" && !WindowText(child).empty()) {
            captions.insert(WindowText(child));
        }
    }
    std::set<std::wstring> expected;
    for (const UINT id : {IDS_SETTINGS, IDS_PRINT, IDS_HELP, IDS_ABOUT, IDS_EXIT}) {
        expected.insert(LoadResourceString(id));
    }
    EXPECT_EQ(captions, expected);

    ::PostMessageW(view, WM_COMMAND, CMD_SETTINGS, 0);
    DWORD process = 0;
    ::GetWindowThreadProcessId(frame, &process);
    const HWND settings = AwaitDialogOf(process, frame);
    ASSERT_NE(settings, nullptr) << "Settings did not open";
    EXPECT_EQ(ControlTexts(settings), ExpectedSettingsTexts());
    ::PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);

    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
}
