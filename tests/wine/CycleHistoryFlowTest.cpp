// The cycle history as she uses it from the keyboard, opened from the main
// view: predictions from her own cycles, following them after a click, the
// summary on paper, export and import through the real Save As and Open
// dialogs, and the messages when something cannot be done.
#include "DataGuard.h"
#include "CalendarViewTestSupport.h"
#include "CycleHistoryTestSupport.h"
#include "ModalDialogDriver.h"
#include "PdfQueue.h"
#include "PrintTestSupport.h"
#include "UserAtKeyboard.h"

#include "cycle/CalendarData.h"
#include "dialogs/SettingsDlg.h"
#include "framework/Handle.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "history/FollowCycles.h"
#include "history/HistoryText.h"
#include "print/SummaryPrint.h"

#include "resource.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using historytest::ControlText;
using historytest::ScratchFolder;

constexpr wchar_t kHistoryTitle[] = L"Cycle history";
constexpr wchar_t kMessageTitle[] = L"Lunabel";
constexpr wchar_t kPreviewTitle[] = L"Import period starts";

std::string ReadText(const std::wstring& path) {
    const auto bytes = ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<missing>");
}

class CycleHistoryFlowTest : public viewtest::ShownView {
protected:
    void SetUp() override {
        ShownView::SetUp();
        SetFollowingCycles(false);
    }

    // Opens the history from the view as the menu will, for `script` to drive.
    void OpenHistory(UserAtKeyboard::Script script) {
        UserAtKeyboard user(std::move(script));
        view.opensDialogs = true;
        Command(CMD_CYCLE_HISTORY);
        EXPECT_TRUE(user.Finish()) << user.Failure();
    }

    // The Save As or Open dialog over the history: the file's name typed in
    // place of whatever it offers, the file type `typesDown` entries further
    // down the list after it, then Enter.
    static void ChooseFile(UserAtKeyboard& user, const std::wstring& path, int typesDown = 0) {
        user.AwaitDialogWhere([](HWND dialog) { return WindowText(dialog) != kHistoryTitle; },
                              "the file dialog");
        user.Keys({VK_HOME});
        user.Keys({VK_END}, {VK_SHIFT});
        user.Type(path);
        if (typesDown > 0) {
            user.Keys({VK_TAB});
            for (int i = 0; i < typesDown; ++i) {
                user.Keys({VK_DOWN});
            }
        }
        user.Keys({VK_RETURN});
    }

    // Export to `path`, which exists: the Save As dialog asks before it
    // replaces a file, and she says yes.
    static void ExportOver(UserAtKeyboard& user, const std::wstring& path) {
        user.Keys({'E'}, {VK_MENU});
        ChooseFile(user, path);
        user.AwaitDialogWhere(
            [](HWND dialog) {
                return UserAtKeyboard::MessageText(dialog).find(L"exists") != std::wstring::npos;
            },
            "the question whether to replace the file");
        user.Keys({'Y'});
    }

    // The message she gets next: its text, then Enter.
    static std::wstring ReadMessage(UserAtKeyboard& user) {
        const HWND box = user.AwaitDialog(kMessageTitle);
        const std::wstring text = UserAtKeyboard::MessageText(box);
        user.Keys({VK_RETURN});
        return text;
    }

    // What the import preview shows once the file is read.
    struct Preview {
        std::wstring summary;
        std::wstring leftOut;
        int rows = 0;
        bool orderShown = false;
        bool canAdd = false;
    };
    static Preview ReadPreview(UserAtKeyboard& user) {
        const HWND dialog = user.AwaitDialog(kPreviewTitle);
        const HWND progress = ::GetDlgItem(dialog, IDC_PREVIEW_PROGRESS);
        user.Await([&] { return !::IsWindowVisible(progress); }, "the file read");
        Preview preview;
        preview.summary = ControlText(dialog, IDC_PREVIEW_SUMMARY);
        preview.leftOut = ControlText(dialog, IDC_PREVIEW_LEFT_OUT);
        preview.rows = ListView_GetItemCount(::GetDlgItem(dialog, IDC_PREVIEW_LIST));
        preview.orderShown = ::IsWindowVisible(::GetDlgItem(dialog, IDC_PREVIEW_ORDER)) != 0;
        preview.canAdd = ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != 0;
        return preview;
    }

    static void CloseHistory(UserAtKeyboard& user) {
        user.AwaitDialog(kHistoryTitle);
        user.Keys({VK_ESCAPE});
    }

    const com::Apartment com;
    historytest::FollowGuard savedFollow;
    ScratchFolder folder;
};

TEST_F(CycleHistoryFlowTest, UseSetsHerTypicalCycleAndTheGridsPredictWithIt) {
    DataGuard::Use(historytest::HerStarts()); // typical 28, the last start on 9 November 2026
    TestData().SetCycleLength(35);
    Open(2026, 11);
    ASSERT_TRUE(Cell(5, 14)->period) << "9 November + 35 days";

    OpenHistory([](UserAtKeyboard& user) {
        const HWND history = user.AwaitDialog(kHistoryTitle);
        user.Keys({'U'}, {VK_MENU});
        user.Await(
            [&] {
                return ControlText(history, IDC_HISTORY_FIGURES)
                           .find(L"Predictions now use a cycle of 28 days.") != std::wstring::npos;
            },
            "the figures to show the new length");
        user.Keys({VK_ESCAPE});
    });

    EXPECT_EQ(TestData().GetCycleLength(), 28);
    EXPECT_TRUE(Cell(5, 7)->period) << "9 November + 28 days";
    EXPECT_FALSE(Cell(5, 14)->period);
}

TEST_F(CycleHistoryFlowTest, FollowingAppliesTheTypicalCycleAfterEveryClick) {
    struct Case {
        const char* name;
        bool following;
        std::vector<int> lengths;
        int lengthAfterClick;
    };
    const Case cases[] = {
        // 30, 31, 30 and the clicked 29: the median is 30.
        {"following", true, {30, 31, 30}, 30},
        {"not following", false, {30, 31, 30}, 28},
        {"two cycles after the click keep the length", true, {30}, 28},
    };
    const CycleFollower follower(TestData());
    Open(2026, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetFollowingCycles(c.following);
        const std::vector<DateKey> starts = historytest::Starts(MakeDateKey(2026, 1, 5), c.lengths);
        DataGuard::Use(starts);
        // Clicked in the first half of 2026, which the view shows.
        const DateKey clicked = historytest::AddDays(starts.back(), 29);
        const int grid = (KeyMonth(clicked) - 1) % 6;
        const DayCell* cell = Cell(grid, KeyDay(clicked));
        ASSERT_NE(cell, nullptr);
        ::SendMessageW(view.Grid(grid)->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                       MAKELPARAM(cell->rect.left + 5, cell->rect.top + 5));

        EXPECT_EQ(TestData().GetCycleLength(), c.lengthAfterClick);
        const DateKey next = historytest::AddDays(clicked, c.lengthAfterClick);
        EXPECT_TRUE(Cell(grid + 1, KeyDay(next))->period) << "the next period as the grids show it";
    }
}

TEST_F(CycleHistoryFlowTest, SettingsOkWithAnotherLengthStopsFollowing) {
    for (const auto& [chosen, stillFollowing] : {std::pair{L"28", true}, std::pair{L"31", false}}) {
        SetFollowingCycles(true);
        TestData().SetCycleLength(28);
        ModalDialogDriver driver;
        driver.Script({[&](HWND dialog) {
            ::SendDlgItemMessageW(dialog, IDC_CYCLE_LENGTH, CB_SELECTSTRING,
                                  static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(chosen));
            Click(dialog, IDOK);
        }});
        SettingsDlg settings(driver.Owner());
        EXPECT_EQ(settings.DoModal(driver.Owner()), IDOK);
        EXPECT_EQ(IsFollowingCycles(), stillFollowing) << "chose " << Utf8(chosen);
    }
}

TEST_F(CycleHistoryFlowTest, ExportWritesCsvOrICalendarWhereSheSays) {
    DataGuard::Use(historytest::HerStarts());
    Open(2026, 11);
    // The name alone: the type chosen in the list gives the extension.
    const std::wstring csv = folder.File(L"cycles");
    const std::wstring ics = folder.File(L"predictions");
    OpenHistory([&](UserAtKeyboard& user) {
        for (const auto& [path, typesDown] : {std::pair{csv, 0}, std::pair{ics, 1}}) {
            user.AwaitDialog(kHistoryTitle);
            user.Keys({'E'}, {VK_MENU});
            ChooseFile(user, path, typesDown);
        }
        CloseHistory(user);
    });

    EXPECT_EQ(ReadText(csv + L".csv"),
              WriteCyclesCsv(ComputeCycleHistory(historytest::HerStarts())));

    // The calendar file holds this month on; DTSTAMP says when it was made.
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    IcsOptions options;
    options.firstYear = today.wYear;
    options.firstMonth = today.wMonth;
    options.productId = "-//Lunabel//Lunabel 1.0//EN";
    options.uidDomain = "www.lunabel.example";
    options.periodTitle = "Period";
    options.fertileTitle = "Fertile days";
    std::string expected = WritePredictionsIcs(TestData(), options);
    std::string written = ReadText(ics + L".ics");
    for (std::string* text : {&expected, &written}) {
        for (std::size_t at; (at = text->find("DTSTAMP:")) != std::string::npos;) {
            text->erase(at, text->find("\r\n", at) + 2 - at);
        }
    }
    EXPECT_EQ(written, expected);
    EXPECT_NE(written.find("BEGIN:VEVENT"), std::string::npos);
}

// A tracker's per-day log under a title line: flow on most days "none", a
// spotting day, a dry day inside a period, a note over two lines that holds
// a date, a row that is no date and one after today.
constexpr char kDayLog[] = "My cycle log\r\n"
                           "Date,Flow,Notes\r\n"
                           "2025-11-08,none,\r\n"
                           "2025-11-09,spotting,\r\n"
                           "2025-11-10,heavy,\r\n"
                           "2025-11-11,medium,\r\n"
                           "2025-11-12,none,\"cramps, see\r\n2025-11-20\"\r\n"
                           "2025-11-13,light,\r\n"
                           "2025-11-14,none,\r\n"
                           "2025-12-08,heavy,\r\n"
                           "2025-12-09,light,\r\n"
                           "yesterday,heavy,\r\n"
                           "2026-03-06,light,\r\n" // a day before her 7 March
                           "2026-03-07,heavy,\r\n"
                           "2099-01-01,heavy,\r\n";

TEST_F(CycleHistoryFlowTest, ImportShowsWhatItAddsAddsItWhenAskedAndUndoTakesItBack) {
    const std::vector<DateKey> hers = historytest::Starts(MakeDateKey(2026, 1, 5), {30, 31, 30});
    const std::wstring path = folder.File(L"tracker.csv");
    const std::string log = kDayLog;
    ASSERT_TRUE(WriteFileBytes(path, Bytes(log.begin(), log.end())));
    SetFollowingCycles(true);

    Open(2026, 1);
    for (const bool add : {false, true}) {
        DataGuard::Use(hers);
        const int lengthBefore = TestData().GetCycleLength();
        Preview preview;
        int rowsAfter = 0;
        OpenHistory([&](UserAtKeyboard& user) {
            const HWND history = user.AwaitDialog(kHistoryTitle);
            user.Keys({'I'}, {VK_MENU});
            ChooseFile(user, path);
            preview = ReadPreview(user);
            if (add) {
                user.Keys({'A'}, {VK_MENU});
            } else {
                user.Keys({VK_ESCAPE});
            }
            user.AwaitDialog(kHistoryTitle);
            rowsAfter = ListView_GetItemCount(::GetDlgItem(history, IDC_HISTORY_CYCLES));
            user.Keys({VK_ESCAPE});
        });
        EXPECT_EQ(preview.summary, L"2 new period starts, from " +
                                       LongDate(MakeDateKey(2025, 11, 10)) + L" to " +
                                       LongDate(MakeDateKey(2025, 12, 8)) +
                                       L".\n1 period falls on one of yours and adds nothing.");
        EXPECT_EQ(preview.leftOut,
                  L"2 rows left out: line 13 (not a date), line 16 (after today).");
        EXPECT_EQ(preview.rows, 3) << "the file's periods, hers among them";
        EXPECT_FALSE(preview.orderShown) << "ISO dates leave no order to choose";
        std::vector<DateKey> expected = hers;
        if (add) {
            expected.insert(expected.begin(),
                            {MakeDateKey(2025, 11, 10), MakeDateKey(2025, 12, 8)});
        }
        EXPECT_EQ(TestData().Marks(), expected);
        EXPECT_EQ(rowsAfter, static_cast<int>(expected.size())) << "the list shows them";
        if (add) {
            Command(CMD_UNDO_IMPORT);
            EXPECT_EQ(TestData().Marks(), hers);
            EXPECT_EQ(TestData().GetCycleLength(), lengthBefore);
        }
    }
}

TEST_F(CycleHistoryFlowTest, UndoImportIsGoneOnceSheChangesAnythingElse) {
    const std::vector<DateKey> hers = historytest::Starts(MakeDateKey(2026, 1, 5), {30});
    DataGuard::Use(hers);
    const std::wstring path = folder.File(L"starts.txt");
    const std::string starts = "2025-10-01\n2025-11-02\n";
    ASSERT_TRUE(WriteFileBytes(path, Bytes(starts.begin(), starts.end())));
    Open(2026, 1);
    OpenHistory([&](UserAtKeyboard& user) {
        user.AwaitDialog(kHistoryTitle);
        user.Keys({'I'}, {VK_MENU});
        ChooseFile(user, path);
        ReadPreview(user);
        user.Keys({VK_RETURN});
        CloseHistory(user);
    });
    ASSERT_EQ(TestData().Marks().size(), 4u);
    TestData().ToggleMark(2026, 3, 8);
    Command(CMD_UNDO_IMPORT);
    EXPECT_EQ(TestData().Marks().size(), 5u) << "nothing taken back after her own change";
}

TEST_F(CycleHistoryFlowTest, ImportSaysWhatAFileIsWhenNothingCanBeTakenFromIt) {
    const auto write = [this](const wchar_t* name, const std::string& bytes) {
        const std::wstring path = folder.File(name);
        EXPECT_TRUE(WriteFileBytes(path, Bytes(bytes.begin(), bytes.end())));
        return path;
    };
    std::string noise(4096, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    const std::wstring readable = L"\nLunabel reads CSV and text files, Apple Health's export.xml, "
                                  L"and JSON lists of days.";
    struct Case {
        std::wstring path;
        std::wstring summary;
    };
    const Case cases[] = {
        {write(L"empty.csv", ""), L"This file is empty." + readable},
        {write(L"noise.bin", noise), L"This is not a text file." + readable},
        {write(L"names.csv", "Name,Town\r\nAnna,Graz\r\nEva,Linz\r\n"),
         L"This file holds no column of dates." + readable},
        // A workbook's first entry: a local header (30 bytes, the name's length at 26) and its
        // name.
        {write(L"book.xlsx", std::string("PK\x03\x04", 4) + std::string(22, '\0') +
                                 std::string("\x0f\0\0\0", 4) + "xl/workbook.xml"),
         L"This is a spreadsheet workbook. Open it in your spreadsheet program, save it as CSV, "
         L"and import the CSV file." +
             readable},
        {write(L"known.csv", "2026-01-05\n2026-02-05\n"),
         L"Nothing new: every period in this file is already in your calendar.\n2 periods fall "
         L"on yours and add nothing."},
    };
    DataGuard::Use(historytest::Starts(MakeDateKey(2026, 1, 5), {30}));
    const std::vector<DateKey> before = TestData().Marks();
    Open(2026, 1);
    std::vector<Preview> previews;
    OpenHistory([&](UserAtKeyboard& user) {
        for (const Case& c : cases) {
            user.AwaitDialog(kHistoryTitle);
            user.Keys({'I'}, {VK_MENU});
            ChooseFile(user, c.path);
            previews.push_back(ReadPreview(user));
            // Enter closes a preview that has nothing to add.
            user.Keys({VK_RETURN});
        }
        CloseHistory(user);
    });
    ASSERT_EQ(previews.size(), std::size(cases));
    for (std::size_t i = 0; i < previews.size(); ++i) {
        EXPECT_EQ(previews[i].summary, cases[i].summary);
        EXPECT_FALSE(previews[i].canAdd);
    }
    EXPECT_EQ(TestData().Marks(), before);
}

TEST_F(CycleHistoryFlowTest, ExportThatCannotBeWrittenIsReported) {
    DataGuard::Use(historytest::HerStarts());
    Open(2026, 11);
    const std::wstring path = folder.File(L"held.csv");
    const std::string old = "kept\r\n";
    ASSERT_TRUE(WriteFileBytes(path, Bytes(old.begin(), old.end())));
    // Held open by another program that does not let it be replaced.
    win::File held(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);

    std::wstring message;
    OpenHistory([&](UserAtKeyboard& user) {
        user.AwaitDialog(kHistoryTitle);
        ExportOver(user, path);
        message = ReadMessage(user);
        CloseHistory(user);
    });
    EXPECT_EQ(message.rfind(L"Lunabel could not save " + path + L".\n\n", 0), 0u) << Utf8(message);
    EXPECT_GT(message.size(), path.size() + 28) << "with the reason";
    held.Reset();
    EXPECT_EQ(ReadText(path), old) << "the old file stays whole";
    EXPECT_FALSE(PathExists(path + L".partial"));
}

// A program reading the old file (a virus scanner, a backup) keeps it from
// being replaced for a moment; the export waits for it off the window's
// thread, so the history answers meanwhile, and then replaces it whole.
TEST_F(CycleHistoryFlowTest, ExportWaitsForAReaderWhileTheWindowAnswers) {
    DataGuard::Use(historytest::HerStarts());
    Open(2026, 11);
    const std::wstring path = folder.File(L"read.csv");
    const std::string old = "old\r\n";
    ASSERT_TRUE(WriteFileBytes(path, Bytes(old.begin(), old.end())));
    win::File reader(::CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);

    bool answeredWhileWaiting = false;
    OpenHistory([&](UserAtKeyboard& user) {
        const HWND history = user.AwaitDialog(kHistoryTitle);
        ExportOver(user, path);
        user.Await([&] { return PathExists(path + L".partial"); }, "the new file beside the old");
        DWORD_PTR ignored = 0;
        answeredWhileWaiting =
            ::SendMessageTimeoutW(history, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
        reader.Reset();
        user.Await([&] { return !PathExists(path + L".partial"); }, "the rename");
        CloseHistory(user);
    });
    EXPECT_TRUE(answeredWhileWaiting);
    EXPECT_EQ(ReadText(path), WriteCyclesCsv(ComputeCycleHistory(historytest::HerStarts())));
}

TEST_F(CycleHistoryFlowTest, PrintingThatFailsIsReported) {
    DataGuard::Use(historytest::HerStarts());
    Open(2026, 11);
    std::wstring message;
    UserAtKeyboard user([&](UserAtKeyboard& u) { message = ReadMessage(u); });
    DeviceSettings settings;
    PrintSummaryOrTell(host, L"No Such Printer", settings, ComputeCycleHistory(TestData().Marks()),
                       28);
    EXPECT_TRUE(user.Finish()) << user.Failure();
    EXPECT_EQ(message, L"Lunabel could not print the summary on No Such Printer.");
}

// --- the printed summary for print_summary_check.py ----------------------------
//
// With LUNABEL_SUMMARY_EXPECT set to a file name, the test prints the summary
// from the dialog through the standard print dialog and writes what the page
// must show:
//   pdf <file name in the queue's folder>
//   text <a line of text>
//   colour <r> <g> <b>
// The script reads the PDF back with poppler.

TEST_F(CycleHistoryFlowTest, PrintedSummary) {
    const char* expectPath = std::getenv("LUNABEL_SUMMARY_EXPECT");
    if (!expectPath) {
        GTEST_SKIP() << "checked by print_summary_check.py";
    }
    SKIP_WITHOUT_PRINTER();
    DataGuard::Use(historytest::HerStarts());
    Open(2026, 11);
    const std::wstring title = LoadResourceString(IDS_SUMMARY_DOC_NAME);
    const std::vector<std::wstring> known = pdf_queue::FinishedPdfs(title);
    OpenHistory([](UserAtKeyboard& user) {
        user.AwaitDialog(kHistoryTitle);
        user.Keys({'P'}, {VK_MENU});
        user.AwaitDialog(L"Print");
        user.Keys({VK_RETURN});
        CloseHistory(user);
    });
    const std::optional<std::wstring> pdf = pdf_queue::WaitForPdf(title, known);
    ASSERT_TRUE(pdf.has_value()) << "no summary in the queue";

    std::FILE* out = std::fopen(expectPath, "w");
    ASSERT_NE(out, nullptr);
    const auto line = [out](const char* kind, const std::wstring& text) {
        std::fprintf(out, "%s %s\n", kind, Utf8(text).c_str());
    };
    line("pdf", pdf->substr(pdf->rfind(L'\\') + 1));
    const CycleHistory history = ComputeCycleHistory(TestData().Marks());
    line("text", L"Cycle history");
    line("text", CoveredText(history));
    line("text", FiguresHeading(history));
    for (const std::wstring& figure : FigureLines(history, 28)) {
        line("text", figure);
    }
    for (const std::wstring& name : CycleColumnNames()) {
        line("text", name);
    }
    for (std::size_t row = 0; row < CycleRowCount(history); ++row) {
        const CycleRow text = CycleRowAt(history, row);
        line("text", text.start);
        for (const std::wstring* cell : {&text.length, &text.note}) {
            if (!cell->empty()) {
                line("text", *cell);
            }
        }
    }
    line("text", L"Created using Lunabel");
    std::fprintf(out, "colour 100 200 255\ncolour 255 170 60\n");
    std::fclose(out);
}

} // namespace
