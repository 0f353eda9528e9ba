// The settings dialog, opened for real over a test owner and driven from its
// own message loop.
#include <gtest/gtest.h>

#include "DataGuard.h"
#include "DialogPixels.h"
#include "ModalDialogDriver.h"

#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/MonthModel.h"
#include "dialogs/SettingsDlg.h"

#include "resource.h"

#include <uxtheme.h>

#include <string>

namespace {

std::wstring SelectedText(HWND combo) {
    const auto index = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return L"<none>";
    }
    wchar_t text[32] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

void Choose(HWND combo, const wchar_t* text) {
    ASSERT_NE(::SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(text)),
              CB_ERR)
        << "no entry " << ::testing::PrintToString(std::wstring(text));
}

struct Shown {
    std::wstring cycle;
    std::wstring period;
    LRESULT check = -1;
};

Shown Read(HWND dialog) {
    return {SelectedText(::GetDlgItem(dialog, IDC_CYCLE_LENGTH)),
            SelectedText(::GetDlgItem(dialog, IDC_PERIOD_LENGTH)),
            ::SendMessageW(::GetDlgItem(dialog, IDC_SHOW_FERTILITY), BM_GETCHECK, 0, 0)};
}

} // namespace

class SettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        Store(CalendarData::kDefaultCycleLength, CalendarData::kDefaultPeriodLength, true);
    }

    static void Store(int cycle, int period, bool fertility) {
        CalendarData& data = TestData();
        data.SetCycleLength(cycle);
        data.SetPeriodLength(period);
        data.SetShowFertility(fertility);
    }

    // Opens the dialog, runs `steps` in it and answers its result.
    INT_PTR Run(std::vector<ModalDialogDriver::Step> steps) {
        driver.Script(std::move(steps));
        SettingsDlg dialog(driver.Owner());
        const INT_PTR result = dialog.DoModal(driver.Owner());
        EXPECT_TRUE(driver.Finished());
        return result;
    }

    DataGuard savedData;
    ModalDialogDriver driver;
};

TEST_F(SettingsDlgTest, OpensOnTheStoredValuesOrTheFallbacks) {
    struct Case {
        int cycle;
        int period;
        bool fertility;
        const wchar_t* cycleShown;
        const wchar_t* periodShown;
        LRESULT checkShown;
    };
    const Case cases[] = {
        {28, 5, true, L"28", L"5", BST_CHECKED},    // the defaults
        {20, 2, false, L"20", L"2", BST_UNCHECKED}, // first entries
        {40, 10, true, L"40", L"10", BST_CHECKED},  // last entries
        {19, 1, true, L"26", L"5", BST_CHECKED},    // just below the lists
        {41, 11, true, L"26", L"5", BST_CHECKED},   // just above
        {45, 0, true, L"26", L"5", BST_CHECKED},
        {-3, -1, true, L"26", L"5", BST_CHECKED}, // negative: not a huge index
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stored " << c.cycle << ", " << c.period);
        Store(c.cycle, c.period, c.fertility);
        Shown shown;
        EXPECT_EQ(Run({[&](HWND dialog) {
                      shown = Read(dialog);
                      Click(dialog, IDCANCEL);
                  }}),
                  IDCANCEL);
        EXPECT_EQ(shown.cycle, c.cycleShown);
        EXPECT_EQ(shown.period, c.periodShown);
        EXPECT_EQ(shown.check, c.checkShown);
    }
}

TEST_F(SettingsDlgTest, ListsOfferEveryDayCountInRange) {
    std::vector<std::wstring> cycle, period;
    Run({[&](HWND dialog) {
        for (auto [id, list] :
             {std::pair{IDC_CYCLE_LENGTH, &cycle}, {IDC_PERIOD_LENGTH, &period}}) {
            HWND combo = ::GetDlgItem(dialog, id);
            const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                wchar_t text[32] = {};
                ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                               reinterpret_cast<LPARAM>(text));
                list->push_back(text);
            }
        }
        Click(dialog, IDCANCEL);
    }});
    std::vector<std::wstring> expectedCycle, expectedPeriod;
    for (int days = 20; days <= 40; ++days) {
        expectedCycle.push_back(std::to_wstring(days));
    }
    for (int days = 2; days <= 10; ++days) {
        expectedPeriod.push_back(std::to_wstring(days));
    }
    EXPECT_EQ(cycle, expectedCycle);
    EXPECT_EQ(period, expectedPeriod);
}

TEST_F(SettingsDlgTest, OkStoresTheChosenValues) {
    struct Case {
        const char* name;
        int storedCycle;
        const wchar_t* cycle;  // null: leave as shown
        const wchar_t* period; // null: leave as shown
        bool untick;
        int expectedCycle;
        int expectedPeriod;
        bool expectedFertility;
    };
    const Case cases[] = {
        {"unchanged defaults", 28, nullptr, nullptr, false, 28, 5, true},
        {"longest of both", 28, L"40", L"10", false, 40, 10, true},
        {"shortest of both", 28, L"20", L"2", false, 20, 2, true},
        {"box cleared", 28, nullptr, nullptr, true, 28, 5, false},
        {"fallback written back", 45, nullptr, nullptr, false, 26, 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store(c.storedCycle, 5, true);
        EXPECT_EQ(Run({[&](HWND dialog) {
                      if (c.cycle) {
                          Choose(::GetDlgItem(dialog, IDC_CYCLE_LENGTH), c.cycle);
                      }
                      if (c.period) {
                          Choose(::GetDlgItem(dialog, IDC_PERIOD_LENGTH), c.period);
                      }
                      if (c.untick) {
                          Click(dialog, IDC_SHOW_FERTILITY);
                      }
                      Click(dialog, IDOK);
                  }}),
                  IDOK);
        const CalendarData& data = TestData();
        EXPECT_EQ(data.GetCycleLength(), c.expectedCycle);
        EXPECT_EQ(data.GetPeriodLength(), c.expectedPeriod);
        EXPECT_EQ(data.GetShowFertility(), c.expectedFertility);
        EXPECT_EQ(data.GetShowFertilityWord(), c.expectedFertility ? 1u : 0u);
    }
}

TEST_F(SettingsDlgTest, EnterIsOkAndEscapeIsCancel) {
    for (auto [key, expected] : {std::pair{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}}) {
        Store(30, 4, true);
        EXPECT_EQ(Run({[&](HWND dialog) {
                      Choose(::GetDlgItem(dialog, IDC_CYCLE_LENGTH), L"33");
                      // Through the dialog's loop, as a key press travels.
                      HWND focus = ::GetFocus();
                      ::PostMessageW(focus ? focus : dialog, WM_KEYDOWN, key, 0);
                  }}),
                  expected);
        EXPECT_EQ(TestData().GetCycleLength(), expected == IDOK ? 33 : 30);
    }
}

TEST_F(SettingsDlgTest, CancelAfterChangingEveryControlChangesNothing) {
    Store(31, 6, true);
    CalendarData& data = TestData();
    const std::uint64_t revision = data.Revision();
    Shown changed;
    EXPECT_EQ(Run({[&](HWND dialog) {
                  Choose(::GetDlgItem(dialog, IDC_CYCLE_LENGTH), L"22");
                  Choose(::GetDlgItem(dialog, IDC_PERIOD_LENGTH), L"9");
                  Click(dialog, IDC_SHOW_FERTILITY);
                  changed = Read(dialog);
                  Click(dialog, IDCANCEL);
              }}),
              IDCANCEL);
    EXPECT_EQ(changed.cycle, L"22");
    EXPECT_EQ(changed.period, L"9");
    EXPECT_EQ(changed.check, BST_UNCHECKED);
    EXPECT_EQ(data.GetCycleLength(), 31);
    EXPECT_EQ(data.GetPeriodLength(), 6);
    EXPECT_TRUE(data.GetShowFertility());
    EXPECT_EQ(data.Revision(), revision) << "something was written";
}

TEST_F(SettingsDlgTest, LongestCycleAndPeriodDriveThePrediction) {
    CalendarData& data = TestData();
    data.SetMarks({MakeDateKey(2024, 1, 1)});
    ASSERT_EQ(Run({[&](HWND dialog) {
                  Choose(::GetDlgItem(dialog, IDC_CYCLE_LENGTH), L"40");
                  Choose(::GetDlgItem(dialog, IDC_PERIOD_LENGTH), L"10");
                  Click(dialog, IDOK);
              }}),
              IDOK);

    // What the owner does after OK: classify again. The marked 1 January and
    // the nine days after it; then 1 January + 40 days is 10 February, + 80 is
    // 21 March.
    EnglishCalendarLocale locale;
    MonthModel month(data, locale);
    auto bleedingDays = [&](int year, int monthNumber) {
        month.SetMonth(year, monthNumber);
        std::vector<int> days;
        for (const auto& row : month.cells) {
            for (const DayCell& cell : row) {
                if (cell.day != 0 && (cell.period || cell.marked)) {
                    days.push_back(cell.day);
                }
            }
        }
        return days;
    };
    EXPECT_EQ(bleedingDays(2024, 1), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(bleedingDays(2024, 2), (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    EXPECT_EQ(bleedingDays(2024, 3), (std::vector<int>{21, 22, 23, 24, 25, 26, 27, 28, 29, 30}));
}

TEST_F(SettingsDlgTest, LabelsAreBoldBlackComicOverTheSkin) {
    struct Label {
        const wchar_t* text;
        UINT align;
    };
    const Label labels[] = {{L"Menstrual cycle length:", DT_RIGHT},
                            {L"Menstruation length:", DT_RIGHT},
                            {L"days", DT_LEFT}};
    const gdi::Font font = gdi::MakeFont(L"Comic Sans MS", -12, FW_BOLD, ANTIALIASED_QUALITY);
    std::vector<int> mismatches;
    int checkBoxMismatches = 0;
    SettingsDlg* open = nullptr;
    driver.Script({[&](HWND dialog) {
        gdi::WindowDC dc(dialog);
        for (const Label& label : labels) {
            HWND control = ::FindWindowExW(dialog, nullptr, L"Static", label.text);
            ASSERT_NE(control, nullptr);
            const RECT at = WindowRectIn(control, dialog);
            const int width = at.right - at.left;
            const int height = at.bottom - at.top;
            // The same text drawn by hand on the dialog's picture.
            gdi::Surface expected(width, height);
            ::BitBlt(expected.Get(), 0, 0, width, height, open->ComposedDC(), at.left, at.top,
                     SRCCOPY);
            {
                gdi::SelectGuard select(expected.Get(), font.Get());
                ::SetBkMode(expected.Get(), TRANSPARENT);
                ::SetTextColor(expected.Get(), RGB(0, 0, 0));
                RECT box{0, 0, width, height};
                ::DrawTextW(expected.Get(), label.text, -1, &box, label.align | DT_WORDBREAK);
            }
            const Capture want(expected.Get(), 0, 0, width, height);
            const Capture shown(dc.Get(), at.left, at.top, width, height);
            int differing = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    differing += shown.At(x, y) != want.At(x, y);
                }
            }
            mismatches.push_back(differing);
        }
        // The check box's right end, past its text, shows the picture too.
        const RECT check = WindowRectIn(::GetDlgItem(dialog, IDC_SHOW_FERTILITY), dialog);
        for (int y = check.top; y < check.bottom; ++y) {
            checkBoxMismatches += ::GetPixel(dc.Get(), check.right - 3, y) !=
                                  ::GetPixel(open->ComposedDC(), check.right - 3, y);
        }
        Click(dialog, IDCANCEL);
    }});
    SettingsDlg dialog(driver.Owner());
    open = &dialog;
    EXPECT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(checkBoxMismatches, 0);
}

// Under visual styles a check box would ignore the bold label font's colour
// and paint a background of its own.
TEST_F(SettingsDlgTest, CheckBoxIsUnthemedWhileTheListsKeepTheirTheme) {
    bool listThemed = false;
    bool checkBoxThemed = true;
    EXPECT_EQ(Run({[&](HWND dialog) {
                  listThemed = ::GetWindowTheme(::GetDlgItem(dialog, IDC_CYCLE_LENGTH)) != nullptr;
                  checkBoxThemed =
                      ::GetWindowTheme(::GetDlgItem(dialog, IDC_SHOW_FERTILITY)) != nullptr;
                  Click(dialog, IDCANCEL);
              }}),
              IDCANCEL);
    ASSERT_TRUE(listThemed) << "visual styles are off: nothing to check";
    EXPECT_FALSE(checkBoxThemed);
}

TEST_F(SettingsDlgTest, TwoHundredOpeningsLeakNoGdiObject) {
    const long before = gdi::GdiObjectCount();
    for (int i = 0; i < 200; ++i) {
        const int button = i % 2 ? IDOK : IDCANCEL;
        ASSERT_EQ(Run({[&](HWND dialog) { Click(dialog, button); }}), button) << "opening " << i;
    }
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}
