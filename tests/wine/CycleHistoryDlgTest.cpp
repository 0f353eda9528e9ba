// The cycle history dialog, opened for real over a test owner and read from
// inside its own message loop: its figures and list, its chart's pixels, and
// how a keyboard and a screen reader find their way through it.
#include <gtest/gtest.h>

#include "Capture.h"
#include "CycleHistoryTestSupport.h"
#include "DataFileBytes.h"
#include "DataGuard.h"
#include "ModalDialogDriver.h"

#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"
#include "dialogs/CycleHistoryDlg.h"
#include "framework/Handle.h"
#include "history/ChartPainter.h"

#include "resource.h"

#include <oleacc.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using historytest::ControlText;
using historytest::ListRows;

class CycleHistoryDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        DataGuard::Use({});
        SetFollowingCycles(false);
    }

    // Opens the dialog, runs `steps` in it and closes it.
    void Run(std::vector<ModalDialogDriver::Step> steps) {
        steps.push_back([](HWND dialog) { Click(dialog, IDCANCEL); });
        driver.Script(std::move(steps));
        CycleHistoryDlg dialog(driver.Owner(), TestData(), printerName, printerSettings,
                               lastImport);
        open = &dialog;
        EXPECT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);
        EXPECT_TRUE(driver.Finished());
        open = nullptr;
    }

    DataGuard savedData;
    imports::ImportUndo lastImport;
    historytest::FollowGuard savedFollow;
    ModalDialogDriver driver;
    std::wstring printerName;
    DeviceSettings printerSettings;
    CycleHistoryDlg* open = nullptr;
};

TEST_F(CycleHistoryDlgTest, ShowsTheFiguresAndCyclesOfAPreparedFile) {
    // Her file: her starts, a stray 31 April among them, 29 days in force.
    std::vector<DateKey> keys = historytest::HerStarts();
    keys.push_back(MakeDateKey(2025, 4, 31));
    std::sort(keys.begin(), keys.end());
    const FileBytes file = FileBytes().Good().Opts(29, 5, 1).Days(keys);
    ASSERT_EQ(datafile::Decode(file.bytes.data(), file.bytes.size(), DataGuard::Data()),
              datafile::DecodeResult::Ok);

    std::wstring heading, figures, use;
    std::vector<std::wstring> rows;
    bool useEnabled = false;
    Run({[&](HWND dialog) {
        heading = ControlText(dialog, IDC_HISTORY_HEADING);
        figures = ControlText(dialog, IDC_HISTORY_FIGURES);
        use = ControlText(dialog, IDC_HISTORY_USE);
        useEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_USE));
        rows = ListRows(::GetDlgItem(dialog, IDC_HISTORY_CYCLES));
    }});

    EXPECT_EQ(heading, L"Your last 12 cycles:");
    EXPECT_EQ(figures, L"Average length: 27.8 days\r\n"
                       L"Median: 28 days (the dashed line)\r\n"
                       L"Shortest: 22 days, longest: 31 days\r\n"
                       L"They vary by 9 days.\r\n"
                       L"Standard deviation: 2.3 days\r\n"
                       L"1 cycle lies outside 24 to 38 days.\r\n"
                       L"Your typical cycle: 28 days\r\n"
                       L"Predictions now use a cycle of 29 days.");
    EXPECT_EQ(use, L"&Use 28 days for predictions");
    EXPECT_TRUE(useEnabled);
    const std::vector<std::wstring> expected = {
        L"Monday, November 9, 2026 |  |  | Current cycle",
        L"Tuesday, October 13, 2026 | 27 days | -1 | ",
        L"Monday, September 14, 2026 | 29 days | +1 | ",
        L"Monday, August 17, 2026 | 28 days | 0 | ",
        L"Saturday, July 18, 2026 | 30 days | +2 | ",
        L"Friday, June 26, 2026 | 22 days | -6 | Outside 24 to 38 days",
        L"Friday, May 29, 2026 | 28 days | 0 | ",
        L"Thursday, April 30, 2026 | 29 days | +1 | ",
        L"Friday, April 3, 2026 | 27 days | -1 | ",
        L"Thursday, December 4, 2025 | 120 days |  | Break, not counted",
        L"Thursday, November 6, 2025 | 28 days | 0 | ",
        L"Wednesday, October 8, 2025 | 29 days | +1 | ",
        L"Sunday, September 7, 2025 | 31 days | +3 | ",
        L"Tuesday, August 12, 2025 | 26 days | -2 | ",
        L"Tuesday, July 15, 2025 | 28 days | 0 | ",
        L"Wednesday, June 4, 2025 | 41 days | +13 | Outside 24 to 38 days",
        L"Tuesday, May 6, 2025 | 29 days | +1 | ",
        L"Wednesday, April 9, 2025 | 27 days | -1 | ",
        L"Monday, March 10, 2025 | 30 days | +2 | ",
        L"Monday, February 10, 2025 | 28 days | 0 | ",
    };
    EXPECT_EQ(rows, expected);
}

TEST_F(CycleHistoryDlgTest, WithFewerThanThreeCyclesItSaysHowManyStartsAreMissing) {
    struct Case {
        std::vector<int> lengths; // empty with no start at all
        bool anyStart;
        const wchar_t* heading;
        const wchar_t* figures;
        std::size_t rows;
        bool useEnabled;
    };
    const Case cases[] = {
        {{},
         false,
         L"No cycles yet.",
         L"Mark 4 more period starts to see your typical cycle.\r\n"
         L"Predictions now use a cycle of 28 days.",
         0,
         false},
        {{},
         true,
         L"No cycles yet.",
         L"Mark 3 more period starts to see your typical cycle.\r\n"
         L"Predictions now use a cycle of 28 days.",
         1,
         false},
        {{31, 29},
         true,
         L"Your last 2 cycles:",
         L"Average length: 30 days\r\nMedian: 30 days (the dashed line)\r\n"
         L"Shortest: 29 days, longest: 31 days\r\nThey vary by 2 days.\r\n"
         L"Mark 1 more period start to see your typical cycle.\r\n"
         L"Predictions now use a cycle of 28 days.",
         3,
         false},
        // A break leaves one cycle: two more starts are needed.
        {{30, 100},
         true,
         L"Your last cycle:",
         L"Average length: 30 days\r\nMedian: 30 days (the dashed line)\r\n"
         L"Shortest: 30 days, longest: 30 days\r\nThey vary by 0 days.\r\n"
         L"Mark 2 more period starts to see your typical cycle.\r\n"
         L"Predictions now use a cycle of 28 days.",
         3,
         false},
        // A typical cycle beyond what Settings offers is used at its limit.
        {{45, 46, 44},
         true,
         L"Your last 3 cycles:",
         L"Average length: 45 days\r\nMedian: 45 days (the dashed line)\r\n"
         L"Shortest: 44 days, longest: 46 days\r\nThey vary by 2 days.\r\n"
         L"Standard deviation: 1 day\r\n3 cycles lie outside 24 to 38 days.\r\n"
         L"Your typical cycle: 45 days\r\n"
         L"Predictions can use 20 to 40 days, so they would use 40 days.\r\n"
         L"Predictions now use a cycle of 28 days.",
         4,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.lengths));
        DataGuard::Use(c.anyStart ? historytest::Starts(MakeDateKey(2026, 1, 5), c.lengths)
                                  : std::vector<DateKey>{});
        std::wstring heading, figures;
        std::size_t rows = 0;
        bool useEnabled = true;
        Run({[&](HWND dialog) {
            heading = ControlText(dialog, IDC_HISTORY_HEADING);
            figures = ControlText(dialog, IDC_HISTORY_FIGURES);
            rows = ListRows(::GetDlgItem(dialog, IDC_HISTORY_CYCLES)).size();
            useEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_USE));
        }});
        EXPECT_EQ(heading, c.heading);
        EXPECT_EQ(figures, c.figures);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(useEnabled, c.useEnabled);
    }
}

struct SeenBar {
    int height = 0;
    bool unusual = false;
};

// Bars as the chart's pixels show them: runs of columns holding bar colours,
// each as high as its tallest column.
std::vector<SeenBar> BarsIn(const Capture& chart) {
    std::vector<SeenBar> bars;
    bool inBar = false;
    for (int x = 0; x < chart.Width(); ++x) {
        int height = 0;
        bool unusual = false;
        for (int y = 0; y < chart.Height(); ++y) {
            const COLORREF c = chart.At(x, y);
            if (c == kChartBarFill || c == kChartBarFrame) {
                ++height;
            } else if (c == kChartUnusualFill || c == kChartUnusualFrame) {
                ++height;
                unusual = true;
            }
        }
        if (height == 0) {
            inBar = false;
            continue;
        }
        if (!inBar) {
            bars.emplace_back();
            inBar = true;
        }
        bars.back().height = std::max(bars.back().height, height);
        bars.back().unusual = bars.back().unusual || unusual;
    }
    return bars;
}

TEST_F(CycleHistoryDlgTest, ChartHasABarPerRecentCycleInProportionAndFlagsUnusualOnes) {
    struct Case {
        std::vector<int> lengths;
    };
    const Case cases[] = {
        {{28, 35, 22, 30}},
        // Fourteen cycles: only the twelve newest show, the 60 sets the scale.
        {{50, 50, 27, 28, 29, 30, 31, 32, 33, 26, 25, 24, 23, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.lengths));
        DataGuard::Use(historytest::Starts(MakeDateKey(2024, 1, 5), c.lengths));
        std::vector<SeenBar> bars;
        std::wstring description;
        Run({[&](HWND dialog) {
            const HWND chart = ::GetDlgItem(dialog, IDC_HISTORY_CHART);
            bars = BarsIn(Capture(chart));
            wchar_t text[512] = L"";
            ::GetWindowTextW(chart, text, 512);
            description = text;
        }});
        const std::vector<int> shown(c.lengths.end() - std::min<std::size_t>(c.lengths.size(), 12),
                                     c.lengths.end());
        ASSERT_EQ(bars.size(), shown.size());
        const int tallest = *std::max_element(shown.begin(), shown.end());
        const int tallestHeight =
            std::max_element(bars.begin(), bars.end(), [](const SeenBar& a, const SeenBar& b) {
                return a.height < b.height;
            })->height;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_NEAR(bars[i].height, shown[i] * tallestHeight / tallest, 2);
            EXPECT_EQ(bars[i].unusual, shown[i] < 24 || shown[i] > 38);
        }
        std::wstring lengths;
        for (const int length : shown) {
            lengths += (lengths.empty() ? L"" : L", ") + std::to_wstring(length);
        }
        EXPECT_EQ(description, L"Cycle lengths in days, oldest first: " + lengths);
    }
}

TEST_F(CycleHistoryDlgTest, ScreenReaderNamesTheListTheButtonsAndTheChart) {
    const com::Apartment com;
    DataGuard::Use(historytest::Starts(MakeDateKey(2024, 1, 5), {28, 35, 22}));
    std::vector<std::wstring> names;
    Run({[&](HWND dialog) {
        for (const int id : {IDC_HISTORY_CYCLES, IDC_HISTORY_USE, IDC_HISTORY_FOLLOW,
                             IDC_HISTORY_PRINT, IDC_HISTORY_CHART}) {
            names.push_back(historytest::AccessibleName(::GetDlgItem(dialog, id)));
        }
    }});
    EXPECT_EQ(names, (std::vector<std::wstring>{
                         L"Cycles:", L"Use 28 days for predictions", L"Keep following my cycles",
                         L"Print summary...", L"Cycle lengths in days, oldest first: 28, 35, 22"}));
}

TEST_F(CycleHistoryDlgTest, KeyboardReachesEveryControlInOrderByUniqueAccessKeys) {
    DataGuard::Use(historytest::HerStarts());
    std::wstring title;
    int focused = 0;
    std::vector<int> tabOrder;
    std::vector<std::wstring> captions;
    Run({[&](HWND dialog) {
        wchar_t text[64] = L"";
        ::GetWindowTextW(dialog, text, 64);
        title = text;
        const HWND focus = ::GetFocus();
        focused = ::GetDlgCtrlID(focus);
        HWND control = focus;
        do {
            tabOrder.push_back(::GetDlgCtrlID(control));
            control = ::GetNextDlgTabItem(dialog, control, FALSE);
        } while (control && control != focus && tabOrder.size() < 20);
        for (const int id : {IDC_HISTORY_CYCLES_LABEL, IDC_HISTORY_USE, IDC_HISTORY_FOLLOW,
                             IDC_HISTORY_PRINT, IDC_HISTORY_EXPORT, IDC_HISTORY_IMPORT}) {
            captions.push_back(ControlText(dialog, id));
        }
    }});
    EXPECT_EQ(title, L"Cycle history") << "the name a screen reader gives the dialog";
    EXPECT_EQ(focused, IDC_HISTORY_CYCLES) << "it opens in the list";
    EXPECT_EQ(tabOrder, (std::vector<int>{IDC_HISTORY_CYCLES, IDC_HISTORY_USE, IDC_HISTORY_FOLLOW,
                                          IDC_HISTORY_PRINT, IDC_HISTORY_EXPORT, IDC_HISTORY_IMPORT,
                                          IDCANCEL}));
    std::set<wchar_t> keys;
    for (const std::wstring& caption : captions) {
        const std::size_t at = caption.find(L'&');
        ASSERT_NE(at, std::wstring::npos) << "no access key in " << Utf8(caption);
        EXPECT_TRUE(keys.insert(static_cast<wchar_t>(::towlower(caption[at + 1]))).second)
            << "access key used twice: " << Utf8(caption);
    }
}

TEST_F(CycleHistoryDlgTest, RepeatedOpeningsLeakNoGdiObject) {
    DataGuard::Use(historytest::HerStarts());
    const long before = gdi::GdiObjectCount();
    for (int i = 0; i < 30; ++i) {
        Run({});
    }
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}

} // namespace
