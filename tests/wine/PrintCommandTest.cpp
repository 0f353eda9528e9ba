// The view's Print command from the dialog to the printed document, against
// the machine's printer queue, and the settings it prints with.
#include "print/PrintCommand.h"

#include "ModalDialogDriver.h"
#include "PrintTestSupport.h"
#include "framework/PrintJob.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using pdf_queue::ReadAll;

constexpr wchar_t kReportTitle[] = L"Lunabel Report";

class PrintCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_PRINTER();
        printer = print_test::DefaultPrinter();
        before = pdf_queue::FinishedPdfs(kReportTitle);
    }

    // Runs the command the way the view does, choosing a range and Print.
    void PrintRange(int radio) {
        driver.Script({
            [radio](HWND d) { Click(d, radio); },
            [](HWND d) { Press(d, IDOK); },
        });
        RunPrintCommand(driver.Owner(), printerName, settings);
        EXPECT_TRUE(driver.Finished());
    }

    // The report the command just printed, read once the queue has written it.
    std::string PrintedReport() {
        const auto path = pdf_queue::WaitForPdf(kReportTitle, before);
        EXPECT_TRUE(path) << "no new report in the queue's folder";
        if (!path) {
            return {};
        }
        std::string pdf = ReadAll(*path);
        ::DeleteFileW(path->c_str());
        return pdf;
    }

    ModalDialogDriver driver;
    DataGuard data;
    std::wstring printer;
    std::wstring printerName; // the view's memory of the last print
    DeviceSettings settings;
    std::vector<std::wstring> before;
};

TEST_F(PrintCommandTest, AllYearsWithMarksPrintsAPagePerYear) {
    DataGuard::Use({MakeDateKey(2003, 3, 10), MakeDateKey(2006, 7, 1)});
    PrintRange(IDC_ALL_MARKED_YEARS);
    const std::string pdf = PrintedReport();
    EXPECT_EQ(print_test::CountPdfPages(pdf), 4) << "2003, 2004, 2005 and 2006";
    EXPECT_EQ(printerName, printer);
    EXPECT_TRUE(settings.BelongsTo(printer));
}

TEST_F(PrintCommandTest, NoMarksGivesADocumentWithNothingOnIt) {
    DataGuard::Use({});
    PrintRange(IDC_ALL_MARKED_YEARS);
    // The document is started and ended without a page; the PDF queue makes
    // one empty sheet of it.
    const std::string pdf = PrintedReport();
    EXPECT_LE(print_test::CountPdfPages(pdf), 1);
    EXPECT_EQ(pdf.find("/Font"), std::string::npos) << "no text on it";
}

TEST_F(PrintCommandTest, CancelKeepsTheRememberedPrinter) {
    printerName = L"Gone";
    driver.Script({[](HWND d) { Press(d, IDCANCEL); }});
    RunPrintCommand(driver.Owner(), printerName, settings);
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(printerName, L"Gone");
    EXPECT_TRUE(settings.IsEmpty());
}

class PrintReportTest : public PrintCommandTest {
protected:
    // Prints this year on the default printer and gives the page's size in points.
    std::pair<int, int> PrintedPageSize(DeviceSettings& held) {
        const std::wstring title = print_test::UniqueTitle(L"Settings");
        EXPECT_TRUE(PrintReport(printer, held, {2006}, title));
        const auto path = pdf_queue::WaitForPdf(title);
        EXPECT_TRUE(path);
        if (!path) {
            return {};
        }
        const auto size = print_test::FirstPageSize(ReadAll(*path));
        ::DeleteFileW(path->c_str());
        EXPECT_TRUE(size);
        return size.value_or(std::pair<int, int>{});
    }

    static void TurnAcross(DeviceSettings& held) {
        held.Get()->dmFields |= DM_ORIENTATION;
        held.Get()->dmOrientation = DMORIENT_LANDSCAPE;
    }
};

TEST_F(PrintReportTest, PrintsWithTheSettingsOfItsPrinter) {
    PrinterHandle handle(printer);
    ASSERT_TRUE(settings.CopyFromPrinter(handle.Get(), printer));
    EXPECT_EQ(PrintedPageSize(settings), (std::pair<int, int>{595, 842}));
    TurnAcross(settings);
    EXPECT_EQ(PrintedPageSize(settings), (std::pair<int, int>{842, 595}));
    EXPECT_EQ(settings.Get()->dmOrientation, DMORIENT_LANDSCAPE) << "kept for the next print";
}

TEST_F(PrintReportTest, SettingsOfAnotherPrinterGiveWayToThisOnesDefaults) {
    // Possible after choosing another printer in the dialog and cancelling.
    DEVMODEW foreign{};
    foreign.dmSize = sizeof foreign;
    wcscpy_s(foreign.dmDeviceName, L"Other");
    foreign.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
    foreign.dmOrientation = DMORIENT_LANDSCAPE;
    foreign.dmPaperSize = DMPAPER_LETTER;
    ASSERT_TRUE(settings.CopyFrom(&foreign, L"Other"));

    EXPECT_EQ(PrintedPageSize(settings), (std::pair<int, int>{595, 842}));
    EXPECT_TRUE(settings.BelongsTo(printer));
    EXPECT_STREQ(settings.Get()->dmDeviceName, printer.c_str());
    EXPECT_NE(settings.Get()->dmOrientation, DMORIENT_LANDSCAPE);
}

TEST_F(PrintReportTest, UnknownPrinterPrintsNothingAndKeepsTheSettings) {
    PrinterHandle handle(printer);
    ASSERT_TRUE(settings.CopyFromPrinter(handle.Get(), printer));
    EXPECT_FALSE(PrintReport(L"No Such Printer", settings, {2006}, L"never"));
    EXPECT_TRUE(settings.BelongsTo(printer));
}

} // namespace
