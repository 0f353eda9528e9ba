// Every text in the language Windows chose fits the place it is drawn in, at
// the font it is drawn with, with a tenth of the room to spare: Comic Neue,
// which stands in for Comic Sans MS here, runs a little narrower or wider.
// CTest runs these once under each language's locale.
#include "CalendarViewTestSupport.h"
#include "CycleHistoryTestSupport.h"
#include "MessagePump.h"
#include "ModalDialogDriver.h"
#include "PrintTestSupport.h"
#include "TestFiles.h"
#include "WindowText.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/CycleHistoryDlg.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/ImportPreviewDlg.h"
#include "dialogs/LockOptionsDlg.h"
#include "dialogs/ProtectDlg.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/UnlockDlg.h"
#include "framework/ResourceText.h"
#include "history/CycleHistory.h"
#include "import/BackgroundRead.h"
#include "print/DeviceSettings.h"
#include "print/MyPrintJobInfo.h"
#include "print/PrintDlg.h"
#include "print/SummaryPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The text as drawn: without the & of an access key.
std::wstring Shown(const std::wstring& text) {
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (const wchar_t c : text) {
        if (c == L'\n') {
            lines.emplace_back();
        } else if (c != L'\r') {
            lines.back() += c;
        }
    }
    return lines;
}

// Widest line of `text` in `font`.
int Width(HFONT font, const std::wstring& text) {
    gdi::WindowDC screen(nullptr);
    const gdi::SelectGuard select(screen.Get(), font ? font : ::GetStockObject(SYSTEM_FONT));
    int widest = 0;
    for (const std::wstring& line : Lines(Shown(text))) {
        SIZE size{};
        ::GetTextExtentPoint32W(screen.Get(), line.c_str(), static_cast<int>(line.size()), &size);
        widest = std::max<int>(widest, size.cx);
    }
    return widest;
}

// The height `text` takes when broken into lines of at most `width` pixels.
SIZE Wrapped(HFONT font, const std::wstring& text, int width) {
    gdi::WindowDC screen(nullptr);
    const gdi::SelectGuard select(screen.Get(), font ? font : ::GetStockObject(SYSTEM_FONT));
    RECT rect{0, 0, width, 0};
    ::DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK);
    return SIZE{rect.right, rect.bottom};
}

bool FitsWithMargin(int needed, int room) {
    return needed * 10 <= room * 9;
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
}

// What of a dialog's visible controls does not fit: labels, buttons, check
// boxes and radio buttons, and the columns of a list.
std::vector<std::string> Misfits(HWND dialog) {
    std::vector<std::string> misfits;
    const auto note = [&](HWND control, const std::wstring& text, int needed, int room) {
        misfits.push_back(Utf8(ClassOf(control)) + " " + std::to_string(::GetDlgCtrlID(control)) +
                          " \"" + Utf8(text) + "\" needs " + std::to_string(needed) + " of " +
                          std::to_string(room));
    };
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(control)) {
            continue;
        }
        const std::wstring className = ClassOf(control);
        const std::wstring text = WindowText(control);
        const RECT client = CWindow(control).GetClientRect();
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        const HFONT font = FontOf(control);
        if (className == L"Static" && !text.empty()) {
            const bool wraps =
                (style & SS_CENTERIMAGE) == 0 &&
                ((style & SS_TYPEMASK) == SS_LEFT || (style & SS_TYPEMASK) == SS_CENTER ||
                 (style & SS_TYPEMASK) == SS_RIGHT);
            if (!wraps) {
                const int needed = Width(font, text);
                if (!FitsWithMargin(needed, client.right)) {
                    note(control, text, needed, client.right);
                }
                continue;
            }
            const SIZE needed = Wrapped(font, Shown(text), client.right * 9 / 10);
            if (needed.cx > client.right * 9 / 10 || needed.cy > client.bottom) {
                note(control, text, needed.cy, client.bottom);
            }
        } else if (className == L"Button" && !text.empty()) {
            const LONG kind = style & BS_TYPEMASK;
            const bool box = kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX ||
                             kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON;
            // A box's glyph and the gap after it; a push button's edges.
            const int room = client.right - (box ? ::GetSystemMetrics(SM_CXMENUCHECK) + 4 : 8);
            const int needed = Width(font, text);
            if (!FitsWithMargin(needed, room)) {
                note(control, text, needed, room);
            }
        } else if (className == WC_LISTVIEWW) {
            const int columns = Header_GetItemCount(ListView_GetHeader(control));
            const int rows = ListView_GetItemCount(control);
            for (int column = 0; column < columns; ++column) {
                wchar_t heading[256] = L"";
                LVCOLUMNW info{};
                info.mask = LVCF_TEXT;
                info.pszText = heading;
                info.cchTextMax = 256;
                ListView_GetColumn(control, column, &info);
                // A cell's text keeps a few pixels from each edge.
                const int room = ListView_GetColumnWidth(control, column) - 12;
                std::vector<std::wstring> texts{heading};
                for (int row = 0; row < rows; ++row) {
                    wchar_t cell[256] = L"";
                    ListView_GetItemText(control, row, column, cell, 256);
                    texts.push_back(cell);
                }
                for (const std::wstring& cell : texts) {
                    const int needed = Width(font, cell);
                    if (!FitsWithMargin(needed, room)) {
                        note(control, cell, needed, room);
                    }
                }
            }
        }
    }
    return misfits;
}

std::string Joined(const std::vector<std::string>& misfits) {
    std::string all;
    for (const std::string& misfit : misfits) {
        all += "\n  " + misfit;
    }
    return all;
}

// Opens `Dialog` over the driver, and reads what does not fit once it is settled.
template <typename Open> std::vector<std::string> MisfitsOf(Open open) {
    ModalDialogDriver driver;
    std::vector<std::string> misfits;
    driver.Script({[&](HWND dialog) {
        misfits = Misfits(dialog);
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
    open(driver.Owner());
    EXPECT_TRUE(driver.Finished());
    return misfits;
}

class TextFit : public viewtest::ShownView {
protected:
    void SetUp() override {
        ShownView::SetUp();
        // A locale Windows has no table for runs in English: nothing to measure.
        if (const char* expected = std::getenv("LUNABEL_EXPECTED_LANGUAGE")) {
            ASSERT_EQ(Utf8(ResourceLanguage()), expected) << "the locale did not take";
        }
    }
    historytest::FollowGuard savedFollow;
};

} // namespace

TEST_F(TextFit, ButtonCaptionsAndTheHalfYearFitTheirPlaces) {
    Open(2026, 1);
    int captions = 0;
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring text = WindowText(child);
        if (ClassOf(child) != L"LunabelImageButton" || text.empty()) {
            continue;
        }
        ++captions;
        const int needed = Width(FontOf(child), text);
        const int room = CWindow(child).GetClientRect().right;
        EXPECT_TRUE(FitsWithMargin(needed, room))
            << Utf8(text) << " needs " << needed << " of " << room;
        LOGFONTW font{};
        ::GetObjectW(FontOf(child), sizeof font, &font);
        EXPECT_LE(font.lfHeight, -9) << Utf8(text) << " drawn too small to read";
    }
    EXPECT_EQ(captions, 5);

    // January to June, then July to December.
    for (int half = 0; half < 2; ++half) {
        const DatePicker& picker = view.Picker();
        const int needed = Width(picker.RangeFont(), picker.RangeText());
        const int room = picker.GetClientRect().right;
        EXPECT_TRUE(FitsWithMargin(needed, room))
            << Utf8(picker.RangeText()) << " needs " << needed << " of " << room;
        Command(CMD_NEXT);
    }
}

TEST_F(TextFit, TheDialogsLabelsAndButtonsFit) {
    EXPECT_EQ(Joined(MisfitsOf([](HWND owner) { SettingsDlg(owner).DoModal(owner); })), "");
    EXPECT_EQ(Joined(MisfitsOf([](HWND owner) { CAboutDlg(owner).DoModal(owner); })), "");
    EXPECT_EQ(Joined(MisfitsOf([](HWND owner) { HelpDlg(owner).DoModal(owner); })), "");
    if (print_test::HavePrinter()) {
        EXPECT_EQ(Joined(MisfitsOf([](HWND owner) {
                      DeviceSettings settings;
                      PrintDlg(owner, L"", settings).DoModal(owner);
                  })),
                  "");
    }
}

TEST_F(TextFit, TheCycleHistoryFitsWithoutCyclesAndWithEveryKindOfLine) {
    const auto history = [](HWND owner) {
        std::wstring printer;
        DeviceSettings settings;
        imports::ImportUndo lastImport;
        CycleHistoryDlg(owner, TestData(), printer, settings, lastImport).DoModal(owner);
    };
    EXPECT_EQ(Joined(MisfitsOf(history)), "");
    // Unusual cycles, a break, and a typical cycle longer than predictions take.
    std::vector<int> lengths = historytest::kLengths;
    lengths.insert(lengths.end(), {45, 44, 46, 43, 45, 47, 45});
    DataGuard::Use(historytest::Starts(MakeDateKey(2023, 3, 30), lengths));
    EXPECT_EQ(Joined(MisfitsOf(history)), "");
}

// A file that shows everything the preview can: new starts and hers, every
// reason a row is left out, and dates that leave the order of day and month open.
TEST_F(TextFit, TheImportPreviewFitsWithEveryKindOfLine) {
    const historytest::ScratchFolder folder;
    const std::wstring path = folder.File(L"every kind of line.csv");
    const std::string text = "Start,End,Type,Note\r\n"
                             "3/2/2024,7/2/2024,period,\r\n"
                             "4/3/2024,8/3/2024,period,\r\n"
                             ",,period,\r\n"
                             "4/4/2024,4/5/2024,period,\r\n"
                             "2/1/2099,3/1/2099,period,\r\n"
                             "5/4/2024,,ovulation,\r\n"
                             "soon,,period,\r\n";
    ASSERT_TRUE(WriteFileBytes(path, Bytes(text.begin(), text.end())));
    imports::ReadOptions options = imports::ReadOptionsForUser();
    std::vector<std::string> misfits;
    ModalDialogDriver driver;
    driver.Script({[&](HWND dialog) {
        EXPECT_TRUE(WaitFor(
            [&] { return !::IsWindowVisible(::GetDlgItem(dialog, IDC_PREVIEW_PROGRESS)); }));
        misfits = Misfits(dialog);
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }});
    ImportPreviewDlg(driver.Owner(), path, options, {MakeDateKey(2024, 3, 5)}, 5)
        .DoModal(driver.Owner());
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(Joined(misfits), "");
}

// Every purpose and mode of the password dialogs, each message they can say
// in its line, and the recovery key's page.
TEST_F(TextFit, ThePasswordDialogsFitEveryMessage) {
    const std::string password = "Moon7abc";
    const std::optional<keyring::Protection> protection = keyring::Create(
        {reinterpret_cast<const std::uint8_t*>(password.data()), password.size()}, 1000);
    ASSERT_TRUE(protection);
    const std::vector<std::uint8_t>& header = protection->key.header;
    const auto withEachMessage = [](int line, std::vector<UINT> messages) {
        return [line, messages](HWND dialog, std::vector<std::string>& misfits) {
            for (const UINT message : messages) {
                ::SetDlgItemTextW(dialog, line, LoadResourceString(message).c_str());
                const std::vector<std::string> found = Misfits(dialog);
                misfits.insert(misfits.end(), found.begin(), found.end());
            }
        };
    };
    const auto unlockMessages =
        withEachMessage(IDC_UNLOCK_MESSAGE, {IDS_WRONG_PASSWORD, IDS_UNLOCKING});
    const auto protectMessages = withEachMessage(
        IDC_PROTECT_MESSAGE,
        {IDS_PASSWORD_TOO_SHORT, IDS_PASSWORD_ONE_CHARACTER, IDS_PASSWORD_PLAIN_RUN,
         IDS_PASSWORD_MISMATCH, IDS_RECOVERY_KEY_LENGTH, IDS_RECOVERY_KEY_CHARACTER,
         IDS_RECOVERY_KEY_CHECK, IDS_WRONG_RECOVERY_KEY, IDS_WRONG_PASSWORD, IDS_PROTECTING});
    for (const auto purpose :
         {UnlockDlg::Purpose::Open, UnlockDlg::Purpose::Remove, UnlockDlg::Purpose::OpenCopy}) {
        std::vector<std::string> misfits;
        ModalDialogDriver driver;
        driver.Script({[&](HWND dialog) {
            unlockMessages(dialog, misfits);
            Click(dialog, IDCANCEL);
        }});
        UnlockDlg(driver.Owner(), purpose, header).DoModal(driver.Owner());
        EXPECT_EQ(Joined(misfits), "") << "purpose " << static_cast<int>(purpose);
    }
    for (const auto mode :
         {ProtectDlg::Mode::TurnOn, ProtectDlg::Mode::Change, ProtectDlg::Mode::Recover}) {
        std::vector<std::string> misfits;
        ModalDialogDriver driver;
        std::vector<ModalDialogDriver::Step> steps{
            [&](HWND dialog) { protectMessages(dialog, misfits); }};
        if (mode == ProtectDlg::Mode::TurnOn) {
            steps.push_back([](HWND dialog) {
                ::SetDlgItemTextW(dialog, IDC_NEW_PASSWORD, L"Moon7abc");
                ::SetDlgItemTextW(dialog, IDC_REPEAT_PASSWORD, L"Moon7abc");
                Click(dialog, IDOK);
                EXPECT_TRUE(WaitFor([&] {
                    return ::IsWindowVisible(::GetDlgItem(dialog, IDC_KEY_KEPT)) != FALSE;
                }));
            });
            steps.push_back([&](HWND dialog) {
                const std::vector<std::string> found = Misfits(dialog);
                misfits.insert(misfits.end(), found.begin(), found.end());
            });
        }
        steps.push_back([](HWND dialog) { Click(dialog, IDCANCEL); });
        driver.Script(steps);
        ProtectDlg(driver.Owner(), mode, header).DoModal(driver.Owner());
        EXPECT_EQ(Joined(misfits), "") << "mode " << static_cast<int>(mode);
    }
    EXPECT_EQ(Joined(MisfitsOf([](HWND owner) { LockOptionsDlg(owner, {}).DoModal(owner); })), "");
}

TEST_F(TextFit, HelpCaptionsFitUnderTheirPictures) {
    ModalDialogDriver driver;
    HelpDlg dialog(driver.Owner());
    driver.Script({[&](HWND help) {
        const SlideShow& slides = dialog.Slides();
        const RECT room = slides.GetClientRect();
        gdi::WindowDC screen(nullptr);
        const gdi::SelectGuard select(screen.Get(), slides.CaptionFont());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(screen.Get(), &metrics);
        for (int page = 0; page < slides.Count(); ++page) {
            const std::wstring& caption = slides.Caption(page);
            const int needed = Width(slides.CaptionFont(), caption);
            EXPECT_TRUE(FitsWithMargin(needed, room.right))
                << Utf8(caption) << " needs " << needed << " of " << room.right;
            // Below its picture, or in the strip over a picture that fills the page.
            const int height = std::max(slides.CaptionHeight(),
                                        static_cast<int>(room.bottom) - slides.PictureHeight(page));
            const int lines = static_cast<int>(Lines(caption).size());
            EXPECT_LE(lines * metrics.tmHeight, height) << Utf8(caption);
        }
        ::SendMessageW(help, WM_COMMAND, IDCANCEL, 0);
    }});
    dialog.DoModal(driver.Owner());
    EXPECT_TRUE(driver.Finished());
}

TEST_F(TextFit, PrintedTitlesLeaveRoomForTheCredit) {
    SKIP_WITHOUT_PRINTER();
    const HDC dc = ::CreateDCW(nullptr, print_test::DefaultPrinter().c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    {
        const ReportPage report(dc, 2026);
        EXPECT_LT(report.TitleRect().right, report.CreditRect().left);
        EXPECT_LE(report.CreditRect().right, report.Content().right);
        const CycleHistory history = ComputeCycleHistory(historytest::HerStarts());
        const SummaryPage summary(dc, history, 28);
        const SummaryLayout& layout = summary.Layout();
        EXPECT_LT(layout.title.right, layout.credit.left);
        EXPECT_LE(layout.credit.right, layout.content.right);
    }
    ::DeleteDC(dc);
}
