// The import preview as the keyboard and a screen reader meet it, and Cancel
// while a large file is still being read.
#include <gtest/gtest.h>

#include "CycleHistoryTestSupport.h"
#include "MessagePump.h"
#include "ModalDialogDriver.h"

#include "dialogs/ImportPreviewDlg.h"
#include "framework/Handle.h"
#include "import/BackgroundRead.h"
#include "resource.h"

#include <set>
#include <string>
#include <vector>

namespace {

using historytest::AccessibleName;
using historytest::ControlText;
using historytest::ScratchFolder;

// Dates that leave the order of day and month open, one on her period.
constexpr char kOpenOrder[] = "Date\r\n03/02/2024\r\n04/03/2024\r\n05/04/2024\r\n";

class ImportPreviewDlgTest : public ::testing::Test {
protected:
    std::wstring Write(const std::string& text) {
        const std::wstring path = folder.File(L"periods.csv");
        EXPECT_TRUE(WriteFileBytes(path, Bytes(text.begin(), text.end())));
        return path;
    }

    INT_PTR Run(const std::wstring& path, std::vector<ModalDialogDriver::Step> steps) {
        driver.Script(std::move(steps));
        imports::ReadOptions options = imports::ReadOptionsForUser();
        options.preferredOrder = imports::DateOrder::DayFirst;
        ImportPreviewDlg dialog(driver.Owner(), path, options, {MakeDateKey(2024, 3, 4)}, 5);
        const INT_PTR result = dialog.DoModal(driver.Owner());
        EXPECT_TRUE(driver.Finished());
        starts = dialog.StartsToAdd();
        return result;
    }

    static void AwaitRead(HWND dialog) {
        EXPECT_TRUE(WaitFor(
            [&] { return !::IsWindowVisible(::GetDlgItem(dialog, IDC_PREVIEW_PROGRESS)); }));
    }

    const com::Apartment com;
    ScratchFolder folder;
    ModalDialogDriver driver;
    std::vector<DateKey> starts;
};

TEST_F(ImportPreviewDlgTest, KeyboardAndScreenReaderReachEveryControl) {
    std::vector<int> tabOrder;
    std::vector<std::wstring> names;
    std::vector<std::wstring> captions;
    std::wstring title;
    bool labelBeforeOrder = false;
    const auto look = [&](HWND dialog) {
        AwaitRead(dialog);
        title = WindowText(dialog);
        const HWND focus = ::GetFocus();
        HWND control = focus;
        do {
            tabOrder.push_back(::GetDlgCtrlID(control));
            control = ::GetNextDlgTabItem(dialog, control, FALSE);
        } while (control && control != focus && tabOrder.size() < 10);
        for (const int id : {IDC_PREVIEW_LIST, IDOK, IDCANCEL}) {
            names.push_back(AccessibleName(::GetDlgItem(dialog, id)));
        }
        // A drop-down list is named by the label just before it.
        labelBeforeOrder = ::GetWindow(::GetDlgItem(dialog, IDC_PREVIEW_ORDER), GW_HWNDPREV) ==
                           ::GetDlgItem(dialog, IDC_PREVIEW_ORDER_LABEL);
        for (const int id : {IDC_PREVIEW_LIST_LABEL, IDC_PREVIEW_ORDER_LABEL, IDOK}) {
            captions.push_back(ControlText(dialog, id));
        }
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    const INT_PTR result = Run(Write(kOpenOrder), {look});
    EXPECT_EQ(title, L"Import period starts") << "the name a screen reader gives the dialog";
    EXPECT_EQ(tabOrder, (std::vector<int>{IDC_PREVIEW_LIST, IDC_PREVIEW_ORDER, IDOK, IDCANCEL}))
        << "it opens in the list once the file is read";
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Periods in the file:", L"Add", L"Cancel"}));
    EXPECT_TRUE(labelBeforeOrder);
    std::set<wchar_t> keys;
    for (const std::wstring& caption : captions) {
        const std::size_t at = caption.find(L'&');
        ASSERT_NE(at, std::wstring::npos) << "no access key in " << Utf8(caption);
        EXPECT_TRUE(keys.insert(static_cast<wchar_t>(::towlower(caption[at + 1]))).second)
            << "access key used twice: " << Utf8(caption);
    }
    // Day first, as proposed: 3 February and 5 April are new, 4 March is hers.
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(starts, (std::vector<DateKey>{MakeDateKey(2024, 2, 3), MakeDateKey(2024, 4, 5)}));
}

TEST_F(ImportPreviewDlgTest, SwitchingTheDateOrderPlansAgain) {
    std::wstring dayFirst;
    std::wstring monthFirst;
    const auto switchOrder = [&](HWND dialog) {
        AwaitRead(dialog);
        dayFirst = ControlText(dialog, IDC_PREVIEW_SUMMARY);
        const HWND order = ::GetDlgItem(dialog, IDC_PREVIEW_ORDER);
        ::SendMessageW(order, CB_SETCURSEL, 1, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW_ORDER, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(order));
        monthFirst = ControlText(dialog, IDC_PREVIEW_SUMMARY);
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    Run(Write(kOpenOrder), {switchOrder});
    // Month first, 2 March falls on her 4 March, and 3 April and 4 May are new.
    EXPECT_NE(dayFirst, monthFirst);
    EXPECT_NE(monthFirst.find(L"2 new period starts"), std::wstring::npos) << Utf8(monthFirst);
    EXPECT_NE(monthFirst.find(L"1 period falls on one of yours"), std::wstring::npos);
    EXPECT_EQ(starts, (std::vector<DateKey>{MakeDateKey(2024, 4, 3), MakeDateKey(2024, 5, 4)}));
}

// The reading may or may not be over when Cancel comes; either way the dialog
// ends at once, and the reading thread with it.
TEST_F(ImportPreviewDlgTest, CancelWhileALargeFileIsReadEndsAtOnce) {
    std::string large = "Date,Flow\r\n";
    for (int year = 1000; year < 2024; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 28; ++day) {
                large += std::to_string(year) + (month < 10 ? "-0" : "-") + std::to_string(month) +
                         (day < 10 ? "-0" : "-") + std::to_string(day) +
                         (day <= 5 ? ",heavy\r\n" : ",none\r\n");
            }
        }
    }
    const INT_PTR result =
        Run(Write(large), {[](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }});
    EXPECT_EQ(result, IDCANCEL);
}

} // namespace
