// The real program against a data file it cannot replace (read-only, or held
// open by another process without sharing): she is told once while she works,
// at exit each answer to the question does what it says, the end of the
// session keeps a copy without asking, and a copy from a run that could not
// read the file is offered back at the next start.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "DataStoreTestSupport.h"
#include "ProgramProcessSupport.h"
#include "app/SaveMessages.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace {

using namespace programtest;

constexpr DateKey kEarly = MakeDateKey(2006, 3, 15);
constexpr DateKey kLate = MakeDateKey(2006, 4, 12);

// Valid, but not in the writer's form: any save shows.
Bytes PreparedFile() {
    return FileBytes().Good().Days({kLate, kEarly}).Opts(30, 4, 0).bytes;
}

// The prepared settings and marks with `added`, as the program writes them.
Bytes PreparedWith(std::vector<DateKey> added) {
    added.push_back(kEarly);
    added.push_back(kLate);
    std::sort(added.begin(), added.end());
    return FileBytes().Good().Opts(30, 4, 0).Days(added).bytes;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// Keeps the program from replacing the data file until lifted.
class Blocker {
public:
    virtual ~Blocker() = default;
    virtual void Block(const std::wstring& path) = 0;
    virtual void Lift() = 0;
    virtual DWORD Error() const = 0;
    // What she is told when a save of the file at `path` fails for it.
    virtual std::wstring Told(const std::wstring& path) const = 0;
};

class ReadOnly : public Blocker {
public:
    void Block(const std::wstring& path) override {
        path_ = path;
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    void Lift() override { ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL); }
    DWORD Error() const override { return ERROR_ACCESS_DENIED; }
    std::wstring Told(const std::wstring& path) const override {
        return FormatResourceString(IDS_SAVE_FAILED, {path, SystemErrorText(Error())});
    }
    ~ReadOnly() override { Lift(); }

private:
    std::wstring path_;
};

class HeldOpen : public Blocker {
public:
    void Block(const std::wstring& path) override {
        held_ = std::make_unique<datastore_test::HeldFile>(path, 0);
        ASSERT_TRUE(held_->Held());
    }
    void Lift() override { held_.reset(); }
    DWORD Error() const override { return ERROR_SHARING_VIOLATION; }
    // No system sentence: it would say "access is denied" or name a process.
    std::wstring Told(const std::wstring& path) const override {
        return FormatResourceString(IDS_SAVE_FILE_HELD, {path});
    }

private:
    std::unique_ptr<datastore_test::HeldFile> held_;
};

class SavingProgram : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (!HasFatalFailure()) {
            WriteFileBytes(dataPath, PreparedFile());
        }
    }
    void TearDown() override {
        program.Stop();
        RealDataFileTest::TearDown();
    }

    void Dismiss(HWND popup, const std::wstring& button) {
        ASSERT_TRUE(PressButton(popup, button)) << "no button " << Narrow(button);
        EXPECT_TRUE(Eventually([&] { return !::IsWindow(popup); }));
    }

    bool FileBecomes(const std::wstring& path, const Bytes& bytes) {
        return Eventually([&] { return ReadFileBytes(path) == bytes; });
    }

    ProgramCopy program;
};

enum class Answer { TryAgain, CloseWithoutSaving, GoBack };

struct FailureCase {
    const char* name;
    bool readOnly;
    Answer answer;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class FailingSaves : public SavingProgram, public ::testing::WithParamInterface<FailureCase> {};

} // namespace

TEST_P(FailingSaves, AreToldOnceAndAnsweredAtExit) {
    const FailureCase& c = GetParam();
    std::unique_ptr<Blocker> blocker;
    if (c.readOnly) {
        blocker = std::make_unique<ReadOnly>();
    } else {
        blocker = std::make_unique<HeldOpen>();
    }
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const DateKey a = MakeDateKey(2006, 5, 1);
    const DateKey b = MakeDateKey(2006, 5, 2);
    const DateKey c3 = MakeDateKey(2006, 5, 3);
    const DateKey d = MakeDateKey(2006, 5, 4);
    const DateKey e = MakeDateKey(2006, 5, 5);

    // The first failure is told, naming the file and the reason.
    blocker->Block(dataPath);
    ClickDay(frame, a);
    HWND popup = AwaitPopup(program);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(Contains(TextsOf(popup), blocker->Told(dataPath))) << Narrow(TextsOf(popup));
    Dismiss(popup, L"OK");

    // The next failure is not; a success ends the run.
    ClickDay(frame, b);
    blocker->Lift();
    ClickDay(frame, c3);
    ASSERT_TRUE(FileBecomes(dataPath, PreparedWith({a, b, c3})));
    // Posted after the failure's outcome: once it is saved, a box about that
    // failure would be showing.
    ::PostMessageW(::GetWindow(frame, GW_CHILD), WM_DAY_CLICKED, KeyYear(d),
                   MAKELPARAM(KeyMonth(d), KeyDay(d)));
    ASSERT_TRUE(FileBecomes(dataPath, PreparedWith({a, b, c3, d})));
    EXPECT_EQ(PopupOf(program.Id()), nullptr) << "told once per run of failures";

    // A new run of failures is told again.
    blocker->Block(dataPath);
    ClickDay(frame, e);
    popup = AwaitPopup(program);
    ASSERT_NE(popup, nullptr);
    Dismiss(popup, L"OK");

    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    popup = AwaitPopup(program);
    ASSERT_NE(popup, nullptr);
    const std::wstring question = TextsOf(popup);
    EXPECT_TRUE(Contains(question, LoadResourceString(IDS_EXIT_NOT_SAVED))) << Narrow(question);
    EXPECT_TRUE(Contains(question, dataPath));
    const Bytes session = PreparedWith({a, b, c3, d, e});
    switch (c.answer) {
    case Answer::TryAgain:
        blocker->Lift();
        ASSERT_TRUE(PressButton(popup, LoadResourceString(IDS_TRY_AGAIN)));
        EXPECT_EQ(program.ExitCode(), 1);
        EXPECT_EQ(ReadFileBytes(dataPath), session);
        break;
    case Answer::GoBack:
        Dismiss(popup, LoadResourceString(IDS_GO_BACK));
        EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_BLOCK, kPatience, nullptr));
        EXPECT_TRUE(::IsWindow(frame)) << "back to Lunabel";
        blocker->Lift();
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 1);
        EXPECT_EQ(ReadFileBytes(dataPath), session);
        break;
    case Answer::CloseWithoutSaving: {
        ASSERT_TRUE(PressButton(popup, LoadResourceString(IDS_CLOSE_WITHOUT_SAVING)));
        EXPECT_TRUE(Eventually([&] {
            const HWND told = PopupOf(program.Id());
            return told != nullptr && told != popup;
        }));
        const HWND told = PopupOf(program.Id());
        ASSERT_NE(told, nullptr);
        EXPECT_TRUE(Contains(TextsOf(told), dataPath + L".unsaved")) << Narrow(TextsOf(told));
        Dismiss(told, L"OK");
        EXPECT_EQ(program.ExitCode(), 1);
        blocker->Lift();
        EXPECT_EQ(ReadFileBytes(dataPath), PreparedWith({a, b, c3, d}));
        EXPECT_EQ(ReadFileBytes(dataPath + L".unsaved"), session);
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FailingSaves,
    ::testing::Values(FailureCase{"ReadOnlyTryAgain", true, Answer::TryAgain},
                      FailureCase{"ReadOnlyCloseWithoutSaving", true, Answer::CloseWithoutSaving},
                      FailureCase{"ReadOnlyGoBack", true, Answer::GoBack},
                      FailureCase{"HeldOpenTryAgain", false, Answer::TryAgain},
                      FailureCase{"HeldOpenCloseWithoutSaving", false, Answer::CloseWithoutSaving},
                      FailureCase{"HeldOpenGoBack", false, Answer::GoBack}),
    [](const ::testing::TestParamInfo<FailureCase>& param) { return param.param.name; });

// The end of the session waits for nobody, not even for a message box she has
// not closed: what cannot be saved is kept beside the file.
TEST_F(SavingProgram, EndOfSessionKeepsACopyWithoutAsking) {
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    HeldOpen blocker;
    blocker.Block(dataPath);
    const DateKey a = MakeDateKey(2006, 5, 1);
    ClickDay(frame, a);
    ASSERT_NE(AwaitPopup(program), nullptr);

    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                      kPatience, &answer));
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                      kPatience, &answer));
    EXPECT_EQ(ReadFileBytes(dataPath + L".unsaved"), PreparedWith({a}));
    program.Terminate(99);
    EXPECT_EQ(program.ExitCode(), 99);
    blocker.Lift();
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile());
}

class UnsavedCopyOffer : public SavingProgram, public ::testing::WithParamInterface<bool> {};

TEST_P(UnsavedCopyOffer, FromALockedRunIsOfferedOnceAtTheNextStart) {
    const bool accept = GetParam();
    const DateKey a = MakeDateKey(2006, 5, 1);
    const std::wstring copy = dataPath + L".unsaved";
    {
        HeldOpen locked;
        locked.Block(dataPath);
        const HWND frame = program.StartAndWaitForFrame();
        ASSERT_NE(frame, nullptr);
        const HWND told = AwaitPopup(program);
        ASSERT_NE(told, nullptr);
        EXPECT_TRUE(Contains(
            TextsOf(told), FormatResourceString(IDS_UNREADABLE_AT_START,
                                                {dataPath, SystemErrorText(locked.Error()), copy})))
            << Narrow(TextsOf(told));
        Dismiss(told, L"OK");
        ClickDay(frame, a);
        // Nothing of the file was seen: the copy holds the defaults and the click.
        ASSERT_TRUE(FileBecomes(copy, FileBytes().Good().Opts(28, 5, 1).Days({a}).bytes));
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 1);
    }
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile());

    program.Stop();
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const HWND offer = AwaitPopup(program);
    ASSERT_NE(offer, nullptr);
    EXPECT_TRUE(Contains(TextsOf(offer), copy)) << Narrow(TextsOf(offer));
    Dismiss(offer, accept ? L"Yes" : L"No");
    if (accept) {
        EXPECT_TRUE(FileBecomes(dataPath, PreparedWith({a})));
        EXPECT_TRUE(Eventually([&] { return !PathExists(copy); })) << "gone once saved";
    } else {
        EXPECT_TRUE(Eventually([&] { return PathExists(dataPath + L".declined"); }));
        EXPECT_FALSE(PathExists(copy));
        EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile());
    }
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, UnsavedCopyOffer, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Yes" : "No";
                         });
