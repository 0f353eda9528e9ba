// The print job runner against the real spooler: which callbacks it makes in
// which order, where it stops, and what reaches the queue.
#include "framework/PrintJob.h"

#include "PrintTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <list>
#include <string>
#include <vector>

namespace {

using pdf_queue::WaitForPdf;

// Records every callback; pages from `validPages` on are invalid, PrintPage
// fails on `failingPage`.
class RecordingJob : public CPrintJobInfo {
public:
    UINT validPages = 0;
    UINT failingPage = 0xFFFFFFFF;
    DEVMODEW* pageMode = nullptr; // handed out for page 1
    std::vector<std::string> calls;
    std::vector<int> pageWidths; // PHYSICALWIDTH seen by each page
    std::vector<COLORREF> colourAtStart;

    void BeginPrintJob(HDC) override { calls.push_back("begin"); }
    void EndPrintJob(HDC, bool aborted) override {
        calls.push_back(aborted ? "end aborted" : "end");
    }
    void PrePrintPage(UINT page, HDC dc) override {
        CPrintJobInfo::PrePrintPage(page, dc);
        calls.push_back("pre " + std::to_string(page));
        colourAtStart.push_back(::GetTextColor(dc));
    }
    bool PrintPage(UINT page, HDC dc) override {
        calls.push_back("print " + std::to_string(page));
        pageWidths.push_back(::GetDeviceCaps(dc, PHYSICALWIDTH));
        // Left for PostPrintPage to undo.
        ::SetTextColor(dc, RGB(1, 2, 3));
        ::TextOutW(dc, 300, 300, L"page", 4);
        return page != failingPage;
    }
    void PostPrintPage(UINT page, HDC dc) override {
        CPrintJobInfo::PostPrintPage(page, dc);
        calls.push_back("post " + std::to_string(page));
    }
    DEVMODEW* GetNewDevModeForPage(UINT previousPage, UINT page) override {
        calls.push_back("mode " + std::to_string(previousPage) + " " + std::to_string(page));
        return page == 1 ? pageMode : nullptr;
    }
    bool IsValidPage(UINT page) override {
        calls.push_back("valid " + std::to_string(page));
        return page < validPages;
    }
};

class PrintJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_PRINTER();
        printer = PrinterHandle(print_test::DefaultPrinter());
        ASSERT_TRUE(printer);
    }
    // Leaves no document behind in the queue's folder.
    void TearDown() override {
        for (const std::wstring& title : titles) {
            WaitForPdf(title);
            pdf_queue::RemovePdfs(title);
        }
    }

    // A title for a document the queue will write.
    const wchar_t* Title(const wchar_t* what) {
        titles.push_back(print_test::UniqueTitle(what));
        return titles.back().c_str();
    }

    PrinterHandle printer;
    std::list<std::wstring> titles; // keeps the strings where they are
};

std::vector<std::string> PageCalls(UINT page, UINT previous) {
    const std::string n = std::to_string(page);
    return {"valid " + n, "mode " + std::to_string(previous) + " " + n, "pre " + n, "print " + n,
            "post " + n};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_F(PrintJobTest, PrintsEveryPageFromFirstToLast) {
    RecordingJob job;
    job.validPages = 10;
    CPrintJob runner;
    const wchar_t* title = Title(L"Three Pages");
    ASSERT_TRUE(runner.StartPrintJob(printer.Get(), nullptr, job, title, 0, 2));
    EXPECT_FALSE(runner.Cancelled());
    EXPECT_EQ(job.calls,
              Join({{"begin"}, PageCalls(0, 0), PageCalls(1, 0), PageCalls(2, 1), {"end"}}));

    const auto pdf = WaitForPdf(title);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(print_test::CountPdfPages(pdf_queue::ReadAll(*pdf)), 3);
}

TEST_F(PrintJobTest, StopsAtTheFirstInvalidPage) {
    struct Case {
        UINT validPages;
        UINT first;
        UINT last;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        // An empty report: the last page is 0 - 1, unsigned.
        {0, 0, 0xFFFFFFFF, {"begin", "valid 0", "end"}},
        {2, 0, 0xFFFFFFFF, Join({{"begin"}, PageCalls(0, 0), PageCalls(1, 0), {"valid 2", "end"}})},
        {5, 3, 4, Join({{"begin"}, PageCalls(3, 0), PageCalls(4, 3), {"end"}})},
        // First beyond last: not a single page is asked for.
        {5, 4, 3, {"begin", "end"}},
    };
    for (const Case& c : cases) {
        RecordingJob job;
        job.validPages = c.validPages;
        CPrintJob runner;
        EXPECT_TRUE(
            runner.StartPrintJob(printer.Get(), nullptr, job, Title(L"Invalid"), c.first, c.last));
        EXPECT_FALSE(runner.Cancelled());
        EXPECT_EQ(job.calls, c.calls) << c.validPages << " pages " << c.first << ".." << c.last;
    }
}

TEST_F(PrintJobTest, FailedPageEndsThePageAndAbortsTheDocument) {
    RecordingJob job;
    job.validPages = 5;
    job.failingPage = 1;
    CPrintJob runner;
    const std::wstring aborted = print_test::UniqueTitle(L"Aborted");
    ASSERT_TRUE(runner.StartPrintJob(printer.Get(), nullptr, job, aborted.c_str(), 0, 4));
    EXPECT_TRUE(runner.Cancelled());
    EXPECT_EQ(job.calls, Join({{"begin"}, PageCalls(0, 0), PageCalls(1, 0), {"end aborted"}}));

    // The queue handles documents in order: once a later one is out, the
    // aborted one would have been too.
    RecordingJob later;
    later.validPages = 1;
    const wchar_t* after = Title(L"After Abort");
    ASSERT_TRUE(runner.StartPrintJob(printer.Get(), nullptr, later, after, 0, 0));
    ASSERT_TRUE(WaitForPdf(after));
    EXPECT_TRUE(pdf_queue::FinishedPdfs(aborted).empty());
}

TEST_F(PrintJobTest, EveryPageStartsFromTheStateBeforeTheFirst) {
    RecordingJob job;
    job.validPages = 3;
    CPrintJob runner;
    ASSERT_TRUE(runner.StartPrintJob(printer.Get(), nullptr, job, Title(L"State"), 0, 2));
    ASSERT_EQ(job.colourAtStart.size(), 3u);
    EXPECT_NE(job.colourAtStart[1], RGB(1, 2, 3));
    EXPECT_NE(job.colourAtStart[2], RGB(1, 2, 3));
}

TEST_F(PrintJobTest, PageSettingsResetTheDeviceContext) {
    const auto info = GetPrinterInfo(printer.Get(), 2);
    ASSERT_FALSE(info.empty());
    const DEVMODEW* defaults = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
    ASSERT_NE(defaults, nullptr);
    std::vector<std::byte> landscape(defaults->dmSize + defaults->dmDriverExtra);
    std::memcpy(landscape.data(), defaults, landscape.size());
    auto* mode = reinterpret_cast<DEVMODEW*>(landscape.data());
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = DMORIENT_LANDSCAPE;

    RecordingJob job;
    job.validPages = 2;
    job.pageMode = mode;
    CPrintJob runner;
    ASSERT_TRUE(runner.StartPrintJob(printer.Get(), defaults, job, Title(L"Reset"), 0, 1));
    ASSERT_EQ(job.pageWidths.size(), 2u);
    EXPECT_LT(job.pageWidths[0], job.pageWidths[1]) << "page 1 is printed across";
}

TEST_F(PrintJobTest, NothingStartsWithoutAPrinter) {
    RecordingJob job;
    job.validPages = 1;
    CPrintJob runner;
    EXPECT_FALSE(runner.StartPrintJob(nullptr, nullptr, job, L"none", 0, 0));
    EXPECT_TRUE(job.calls.empty());
}

TEST(PrinterInfoTest, DeviceNameOfTheDefaultPrinter) {
    SKIP_WITHOUT_PRINTER();
    const std::wstring name = print_test::DefaultPrinter();
    PrinterHandle printer(name);
    ASSERT_TRUE(printer);
    EXPECT_EQ(PrinterDeviceName(printer.Get()), name);
    EXPECT_TRUE(PrinterDeviceName(nullptr).empty());
    EXPECT_TRUE(GetPrinterInfo(nullptr, 2).empty());
}

} // namespace
