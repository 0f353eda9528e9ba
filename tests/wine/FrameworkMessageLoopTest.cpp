// The message loop and the module's table of loops: filters see every message
// latest-registered first and may consume it; nothing else is dropped; the
// loop answers the quit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "MessagePump.h"
#include "framework/AppModule.h"
#include "framework/MessageLoop.h"
#include "framework/Window.h"

namespace {

constexpr UINT kFirst = WM_APP + 31;
constexpr UINT kSecond = WM_APP + 32;
constexpr UINT kThird = WM_APP + 33;

// Appends "<name>:<message offset>" for every message it is offered.
class NamedFilter final : public CMessageFilter {
public:
    NamedFilter(std::string name, std::vector<std::string>& log, UINT consumes = 0)
        : name_(std::move(name)), log_(log), consumes_(consumes) {}

    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message < WM_APP) {
            return FALSE;
        }
        log_.push_back(name_ + ":" + std::to_string(msg->message - WM_APP));
        return msg->message == consumes_;
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
    UINT consumes_;
};

class Sink : public CWindowImpl<Sink, CWinTraits<WS_POPUP>> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestSink";

    std::vector<UINT> received;
    std::wstring typed;

    BEGIN_MSG_MAP(Sink)
        MESSAGE_RANGE_HANDLER(WM_APP, WM_APP + 0x100, OnApp)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
    END_MSG_MAP()

private:
    LRESULT OnApp(UINT msg, WPARAM, LPARAM, BOOL&) {
        received.push_back(msg);
        return 0;
    }
    LRESULT OnChar(UINT, WPARAM wParam, LPARAM, BOOL&) {
        typed.push_back(static_cast<wchar_t>(wParam));
        return 0;
    }
};

// Leaves no posted message or quit request behind for the next test.
class FrameworkMessageLoop : public ::testing::Test {
protected:
    void SetUp() override {
        DiscardMessages();
        ASSERT_NE(sink.Create(nullptr, RECT{0, 0, 50, 50}), nullptr);
    }
    void TearDown() override { DiscardMessages(); }

    CMessageLoop loop;
    Sink sink;
    std::vector<std::string> log;
};

} // namespace

TEST_F(FrameworkMessageLoop, FiltersSeeEachMessageLatestFirst) {
    NamedFilter a("a", log);
    NamedFilter b("b", log);
    NamedFilter c("c", log);
    loop.AddMessageFilter(&a);
    loop.AddMessageFilter(&b);
    loop.AddMessageFilter(&c);

    sink.PostMessage(kFirst);
    ::PostThreadMessageW(::GetCurrentThreadId(), kSecond, 0, 0);
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(log, (std::vector<std::string>{"c:31", "b:31", "a:31", "c:32", "b:32", "a:32"}));
}

TEST_F(FrameworkMessageLoop, ConsumedMessageGoesNoFurther) {
    NamedFilter a("a", log);
    NamedFilter b("b", log, kSecond);
    loop.AddMessageFilter(&a);
    loop.AddMessageFilter(&b);

    sink.PostMessage(kFirst);
    sink.PostMessage(kSecond);
    sink.PostMessage(kThird);
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(log, (std::vector<std::string>{"b:31", "a:31", "b:32", "b:33", "a:33"}));
    EXPECT_EQ(sink.received, (std::vector<UINT>{kFirst, kThird}));
}

TEST_F(FrameworkMessageLoop, DispatchesEverythingInOrderAndAnswersTheQuitCode) {
    for (UINT i = 0; i < 20; ++i) {
        sink.PostMessage(WM_APP + 40 + i);
    }
    ::PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);

    ASSERT_EQ(sink.received.size(), 20u);
    for (UINT i = 0; i < 20; ++i) {
        EXPECT_EQ(sink.received[i], WM_APP + 40 + i);
    }
}

TEST_F(FrameworkMessageLoop, TranslatesKeysIntoCharacters) {
    sink.PostMessage(WM_KEYDOWN, 'Q', 0x00100001);
    sink.PostMessage(WM_KEYUP, 'Q', 0xC0100001);
    ::PostQuitMessage(0);
    loop.Run();
    EXPECT_EQ(sink.typed, L"q");
}

TEST_F(FrameworkMessageLoop, FilterMayRemoveItselfWhileOffered) {
    class SelfRemoving final : public CMessageFilter {
    public:
        SelfRemoving(CMessageLoop& loop, int& offers) : loop_(loop), offers_(offers) {}
        BOOL PreTranslateMessage(MSG* msg) override {
            if (msg->message == kFirst) {
                ++offers_;
                loop_.RemoveMessageFilter(this);
            }
            return FALSE;
        }

    private:
        CMessageLoop& loop_;
        int& offers_;
    };
    NamedFilter earlier("a", log);
    int offers = 0;
    SelfRemoving removing(loop, offers);
    loop.AddMessageFilter(&earlier);
    loop.AddMessageFilter(&removing);

    sink.PostMessage(kFirst);
    sink.PostMessage(kFirst);
    ::PostQuitMessage(0);
    loop.Run();

    EXPECT_EQ(offers, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a:31", "a:31"}));
    EXPECT_EQ(sink.received, (std::vector<UINT>{kFirst, kFirst}));
}

TEST_F(FrameworkMessageLoop, FilterRegistrationIsExact) {
    NamedFilter a("a", log);
    EXPECT_FALSE(loop.RemoveMessageFilter(&a));
    EXPECT_TRUE(loop.AddMessageFilter(&a));
    EXPECT_FALSE(loop.AddMessageFilter(&a)) << "registered twice, it would be asked twice";
    EXPECT_FALSE(loop.AddMessageFilter(nullptr));
    EXPECT_TRUE(loop.RemoveMessageFilter(&a));
    EXPECT_FALSE(loop.RemoveMessageFilter(&a));
}

TEST(FrameworkAppModule, KeepsOneLoopPerThread) {
    CAppModule module;
    CMessageLoop mine;
    CMessageLoop theirs;
    CMessageLoop another;

    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_TRUE(module.AddMessageLoop(&mine));
    EXPECT_FALSE(module.AddMessageLoop(&another)) << "one loop per thread";
    EXPECT_EQ(module.GetMessageLoop(), &mine);

    struct Job {
        CAppModule* module;
        CMessageLoop* loop;
        CMessageLoop* seenBefore;
        BOOL added;
        CMessageLoop* seenAfter;
    } job{&module, &theirs, nullptr, FALSE, nullptr};
    const HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* param) -> DWORD {
            auto* work = static_cast<Job*>(param);
            work->seenBefore = work->module->GetMessageLoop();
            work->added = work->module->AddMessageLoop(work->loop);
            work->seenAfter = work->module->GetMessageLoop();
            return 0;
        },
        &job, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(::WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    const DWORD threadId = ::GetThreadId(thread);
    ::CloseHandle(thread);

    EXPECT_EQ(job.seenBefore, nullptr) << "another thread does not see this thread's loop";
    EXPECT_TRUE(job.added);
    EXPECT_EQ(job.seenAfter, &theirs);
    EXPECT_EQ(module.GetMessageLoop(threadId), &theirs);
    EXPECT_EQ(module.GetMessageLoop(), &mine);

    EXPECT_TRUE(module.RemoveMessageLoop());
    EXPECT_FALSE(module.RemoveMessageLoop());
    EXPECT_EQ(module.GetMessageLoop(), nullptr);
    EXPECT_EQ(module.GetMessageLoop(threadId), &theirs) << "only the caller's loop goes";
}
