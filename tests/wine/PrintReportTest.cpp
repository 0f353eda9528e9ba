// The yearly report's pages: where the title, the credit and the months go
// on the printer's page, which pages exist, and (for print_report_check.py)
// printed pages with a list of what must be seen where on them.
#include "DataGuard.h"
#include "print/MyPrintJobInfo.h"

#include "PrintTestSupport.h"
#include "WindowText.h"
#include "calendar/GridLayout.h"
#include "cycle/MonthModel.h"
#include "cycle/WinCalendarLocale.h"
#include "framework/Gdi.h"
#include "print/DeviceSettings.h"
#include "print/PrintCommand.h"
#include "product.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A DC of the default printer with `devMode` (null: its defaults).
class PrinterDC {
public:
    explicit PrinterDC(const DEVMODEW* devMode = nullptr)
        : dc_(::CreateDCW(nullptr, print_test::DefaultPrinter().c_str(), nullptr, devMode)) {}
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;
    ~PrinterDC() {
        if (dc_) {
            ::DeleteDC(dc_);
        }
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// The default printer's settings turned across the paper.
void MakeLandscape(DeviceSettings& settings) {
    const std::wstring name = print_test::DefaultPrinter();
    PrinterHandle printer(name);
    ASSERT_TRUE(settings.CopyFromPrinter(printer.Get(), name));
    settings.Get()->dmFields |= DM_ORIENTATION;
    settings.Get()->dmOrientation = DMORIENT_LANDSCAPE;
}

TEST(MyPrintJobInfoTest, PagesAreTheEntriesOfTheYearList) {
    struct Case {
        std::vector<int> years;
        UINT page;
        bool valid;
    };
    const Case cases[] = {
        {{}, 0, false},
        {{}, 0xFFFFFFFF, false},
        {{2006}, 0, true},
        {{2006}, 1, false},
        {{2005, 2006}, 1, true},
        {{2005, 2006}, 2, false},
        {{2005, 2006}, 0xFFFFFFFF, false},
    };
    for (const Case& c : cases) {
        MyPrintJobInfo report(c.years);
        EXPECT_EQ(report.IsValidPage(c.page), c.valid)
            << c.years.size() << " years, page " << c.page;
    }
}

TEST(MyPrintJobInfoTest, PageBeyondTheListDrawsNothing) {
    const std::vector<int> years{2006};
    MyPrintJobInfo report(years);
    gdi::Surface surface(50, 50);
    const RECT all{0, 0, 50, 50};
    ::FillRect(surface.Get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    EXPECT_FALSE(report.PrintPage(1, surface.Get()));
    for (int y = 0; y < 50; y += 7) {
        for (int x = 0; x < 50; x += 7) {
            ASSERT_EQ(::GetPixel(surface.Get(), x, y), RGB(255, 255, 255));
        }
    }
}

class ReportPageTest : public ::testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_PRINTER(); }
};

TEST_F(ReportPageTest, TitleAtTheTopLeftCreditAtTheRightCentredOnIt) {
    PrinterDC dc;
    ASSERT_NE(dc.Get(), nullptr);
    const ReportPage page(dc.Get(), 2006);
    const PageMetrics metrics{
        ::GetDeviceCaps(dc.Get(), PHYSICALOFFSETX), ::GetDeviceCaps(dc.Get(), PHYSICALOFFSETY),
        ::GetDeviceCaps(dc.Get(), PHYSICALWIDTH), ::GetDeviceCaps(dc.Get(), PHYSICALHEIGHT)};
    EXPECT_EQ(page.Content(), ComputeContentBox(metrics));

    const RECT title = page.TitleRect();
    EXPECT_EQ(title.left, page.Content().left);
    EXPECT_EQ(title.top, page.Content().top);
    EXPECT_GT(title.right - title.left, 0);
    // One line of a font whose cell is a twentieth of the page high.
    EXPECT_NEAR(title.bottom - title.top, metrics.height / 20, 3);

    const RECT credit = page.CreditRect();
    EXPECT_EQ(credit.right, page.Content().right);
    EXPECT_LT(credit.left, credit.right);
    EXPECT_LE(std::abs((credit.top + credit.bottom) - (title.top + title.bottom)), 1);
    // Two lines of a hundredth of the page each.
    EXPECT_GE(credit.bottom - credit.top, 2 * (metrics.height / 100));
    EXPECT_LT(credit.bottom - credit.top, 3 * (metrics.height / 100));

    EXPECT_EQ(page.Grid().gridTop, title.top + 2 * (title.bottom - title.top));
}

TEST_F(ReportPageTest, ColumnsFollowThePaper) {
    PrinterDC portrait;
    ASSERT_NE(portrait.Get(), nullptr);
    EXPECT_EQ(ReportPage(portrait.Get(), 2006).Grid().columns, 3);

    DeviceSettings settings;
    MakeLandscape(settings);
    PrinterDC landscape(settings.Get());
    ASSERT_NE(landscape.Get(), nullptr);
    ASSERT_GT(::GetDeviceCaps(landscape.Get(), PHYSICALWIDTH),
              ::GetDeviceCaps(landscape.Get(), PHYSICALHEIGHT));
    EXPECT_EQ(ReportPage(landscape.Get(), 2006).Grid().columns, 4);
}

TEST_F(ReportPageTest, PrintingAPageLeavesNoGdiObject) {
    DataGuard data;
    DataGuard::Use({MakeDateKey(2006, 3, 15)});
    const std::vector<int> years{2006};
    MyPrintJobInfo report(years);
    const std::wstring title = print_test::UniqueTitle(L"Gdi");
    PrinterHandle printer(print_test::DefaultPrinter());
    const long before = gdi::GdiObjectCount();
    CPrintJob job;
    ASSERT_TRUE(job.StartPrintJob(printer.Get(), nullptr, report, title.c_str(), 0, 0));
    EXPECT_EQ(gdi::GdiObjectCount(), before);
    EXPECT_TRUE(pdf_queue::WaitForPdf(title));
    pdf_queue::RemovePdfs(title);
}

// --- printed pages for print_report_check.py ---------------------------------
//
// With LUNABEL_REPORT_EXPECT set to a file name, each test prints one page and
// appends to that file what the page must show, in printer pixels:
//   document <title>
//   page <width> <height> <dpi>
//   word <text> <left> <top> <right> <bottom> <left|right|center>
//   fill <x> <y> <r> <g> <b>
//   heart <left> <top> <right> <bottom> <yes|no>
// The script waits for the documents and checks them with poppler.

class PrintedReportOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("LUNABEL_REPORT_EXPECT");
        if (!path) {
            GTEST_SKIP() << "checked by print_report_check.py";
        }
        SKIP_WITHOUT_PRINTER();
        out = std::fopen(path, "a");
        ASSERT_NE(out, nullptr);
    }
    void TearDown() override {
        if (out) {
            std::fclose(out);
        }
    }

    // Prints 2006 with two marks and writes what its page must show.
    void PrintAndDescribe(const wchar_t* what, bool fertility, const DEVMODEW* devMode) {
        DataGuard::Use({MakeDateKey(2006, 3, 15), MakeDateKey(2006, 8, 2)});
        TestData().SetShowFertility(fertility);

        const std::wstring title = print_test::UniqueTitle(what);
        const std::vector<int> years{2006};
        MyPrintJobInfo report(years);
        PrinterHandle printer(print_test::DefaultPrinter());
        CPrintJob job;
        ASSERT_TRUE(job.StartPrintJob(printer.Get(), devMode, report, title.c_str(), 0, 0));

        PrinterDC dc(devMode);
        ASSERT_NE(dc.Get(), nullptr);
        const ReportPage page(dc.Get(), 2006);
        std::fprintf(out, "document %ls\n", title.c_str());
        std::fprintf(out, "page %d %d %d\n", ::GetDeviceCaps(dc.Get(), PHYSICALWIDTH),
                     ::GetDeviceCaps(dc.Get(), PHYSICALHEIGHT),
                     ::GetDeviceCaps(dc.Get(), LOGPIXELSX));
        const int offX = ::GetDeviceCaps(dc.Get(), PHYSICALOFFSETX);
        const int offY = ::GetDeviceCaps(dc.Get(), PHYSICALOFFSETY);
        // The PDF's coordinates start at the paper's corner, the DC's at the
        // printable area's.
        const auto word = [&](const char* text, const RECT& r, const char* align) {
            std::fprintf(out, "word %s %ld %ld %ld %ld %s\n", text, r.left + offX, r.top + offY,
                         r.right + offX, r.bottom + offY, align);
        };
        word("2006", page.TitleRect(), "left");
        // The credit's first line, in the language of the string table.
        const std::string credit = Utf8(ReportCredit());
        const std::string firstLine = credit.substr(0, credit.find('\n'));
        word(firstLine.substr(0, firstLine.find(' ')).c_str(), page.CreditRect(), "none");
        word(firstLine.substr(firstLine.rfind(' ') + 1).c_str(), page.CreditRect(), "right");
        word(LUNABEL_WEB_LABEL, page.CreditRect(), "right");

        const MonthGridGeometry& grid = page.Grid();
        const GridLayout layout = ComputeGridLayout(grid.cellWidth, grid.cellHeight);
        MonthModel month(TestData(), UserCalendarLocale());
        for (int m = 1; m <= 12; ++m) {
            month.SetMonth(2006, m);
            layout.ApplyTo(month);
            const PagePoint origin = grid.MonthOrigin(m);
            const RECT name{origin.x + layout.titleRect.left, origin.y + layout.titleRect.top,
                            origin.x + layout.titleRect.right, origin.y + layout.titleRect.bottom};
            word(Utf8(month.monthName).c_str(), name, "center");
            bool plainSeen = false;
            for (const auto& row : month.cells) {
                for (const DayCell& cell : row) {
                    if (cell.day <= 0) {
                        continue;
                    }
                    const Rect& r = cell.rect;
                    const int x0 = origin.x + offX + r.left;
                    const int y0 = origin.y + offY + r.top;
                    const int x1 = origin.x + offX + r.right;
                    const int y1 = origin.y + offY + r.bottom;
                    // Left of the centred number, clear of the one-pixel frame.
                    const int probeX = x0 + (x1 - x0) / 7;
                    const int probeY = (y0 + y1) / 2;
                    if (cell.marked) {
                        std::fprintf(out, "fill %d %d 255 100 100\n", probeX, probeY);
                    } else if (cell.period) {
                        std::fprintf(out, "fill %d %d 100 200 255\n", probeX, probeY);
                    } else if (cell.fertile || !plainSeen) {
                        plainSeen = plainSeen || !cell.fertile;
                        std::fprintf(out, "fill %d %d 255 255 255\n", probeX, probeY);
                        // The heart sits in the bottom-right corner.
                        std::fprintf(out, "heart %d %d %d %d %s\n", (x0 + x1) / 2, (y0 + y1) / 2,
                                     x1, y1, cell.fertile && fertility ? "yes" : "no");
                    }
                }
            }
        }
    }

    DataGuard data;
    std::FILE* out = nullptr;
};

TEST_F(PrintedReportOutputTest, Portrait) {
    PrintAndDescribe(L"Portrait", true, nullptr);
}

TEST_F(PrintedReportOutputTest, PortraitWithoutFertility) {
    PrintAndDescribe(L"No Fertility", false, nullptr);
}

TEST_F(PrintedReportOutputTest, Landscape) {
    DeviceSettings settings;
    MakeLandscape(settings);
    PrintAndDescribe(L"Landscape", true, settings.Get());
}

} // namespace
