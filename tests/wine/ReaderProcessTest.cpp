// The running program as a screen reader meets it, from another process:
// the grids, days, buttons and caption read through Active Accessibility
// with their names, roles and actions, a day found under a point on the
// screen, and the events that tell of the keyboard's day and of a toggle.
//
// The prepared file marks the 3rd of the half-year's first month: the 3rd is
// a first day, the 4th-7th period days, the 13th-17th fertile days, the 31st
// (28 days on) an expected period day, and the 20th says only its date.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "ProgramProcessSupport.h"
#include "view/Commands.h"
#include "calendar/DayFocus.h"
#include "cycle/CalendarLocale.h"
#include "framework/Handle.h"

namespace {

using namespace programtest;

std::wstring LongDate(int year, int month, int day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    wchar_t text[128] = L"";
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &date, nullptr, text, 128, nullptr);
    return text;
}

VARIANT Child(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring Text(BSTR text) {
    std::wstring copy = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    ::SysFreeString(text);
    return copy;
}

std::wstring NameOf(IAccessible* object, long child) {
    BSTR name = nullptr;
    object->get_accName(Child(child), &name);
    return Text(name);
}

std::wstring ActionOf(IAccessible* object, long child) {
    BSTR action = nullptr;
    object->get_accDefaultAction(Child(child), &action);
    return Text(action);
}

long RoleOf(IAccessible* object, long child) {
    VARIANT role;
    ::VariantInit(&role);
    object->get_accRole(Child(child), &role);
    return role.vt == VT_I4 ? role.lVal : -1;
}

long StateOf(IAccessible* object, long child) {
    VARIANT state;
    ::VariantInit(&state);
    object->get_accState(Child(child), &state);
    return state.vt == VT_I4 ? state.lVal : 0;
}

// Events another process raises, as an out-of-context hook receives them
// while this thread pumps its messages.
class EventWatch {
public:
    EventWatch(DWORD event, DWORD process) {
        self_ = this;
        hook_ =
            ::SetWinEventHook(event, event, nullptr, Receive, process, 0, WINEVENT_OUTOFCONTEXT);
    }
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;
    ~EventWatch() {
        ::UnhookWinEvent(hook_);
        self_ = nullptr;
    }

    bool Hooked() const { return hook_ != nullptr; }
    bool Saw(HWND window, LONG child) const {
        return std::find(seen_.begin(), seen_.end(), Seen{window, child}) != seen_.end();
    }

private:
    struct Seen {
        HWND window;
        LONG child;
        friend bool operator==(const Seen&, const Seen&) = default;
    };

    static void CALLBACK Receive(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                                 DWORD) {
        if (self_ != nullptr && object == OBJID_CLIENT) {
            self_->seen_.push_back({window, child});
        }
    }

    static inline EventWatch* self_ = nullptr;
    HWINEVENTHOOK hook_ = nullptr;
    std::vector<Seen> seen_;
};

struct ChildSearch {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) == search->className) {
        search->found.push_back(window);
    }
    return TRUE;
}

class Reader : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        today = FocusStart(now.wYear, now.wMonth, now.wDay);
        year = KeyYear(today);
        first = KeyMonth(today) < 7 ? 1 : 7;
        WriteFileBytes(dataPath,
                       FileBytes().Good().Opts(28, 5, 1).Days({MakeDateKey(year, first, 3)}).bytes);

        frame = process.StartAndWaitForFrame();
        ASSERT_NE(frame, nullptr);
        view = ::GetWindow(frame, GW_CHILD);
        grids = ChildrenOf(L"LunabelMonthGrid");
        ASSERT_EQ(grids.size(), 6u);
        // By their places: the top row left to right, then the bottom row.
        std::sort(grids.begin(), grids.end(), [](HWND a, HWND b) {
            RECT ra{}, rb{};
            ::GetWindowRect(a, &ra);
            ::GetWindowRect(b, &rb);
            return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
        });
    }

    void TearDown() override {
        process.Stop();
        RealDataFileTest::TearDown();
    }

    std::vector<HWND> ChildrenOf(const wchar_t* className) const {
        ChildSearch search{className, {}};
        ::EnumChildWindows(view, CollectChild, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    com::Ptr<IAccessible> ObjectOf(HWND window) const {
        com::Ptr<IAccessible> object;
        EXPECT_EQ(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                               __uuidof(IAccessible), object.PutVoid()),
                  S_OK);
        return object;
    }

    DWORD ProcessId() const {
        DWORD id = 0;
        ::GetWindowThreadProcessId(frame, &id);
        return id;
    }

    // The view has the keyboard focus, as when she works in the window.
    bool ViewFocused() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(frame, nullptr), &info) &&
               info.hwndFocus == view;
    }

    com::Apartment apartment;
    ProgramCopy process;
    DateKey today = 0;
    int year = 0;
    int first = 0;
    HWND frame = nullptr;
    HWND view = nullptr;
    std::vector<HWND> grids;
};

} // namespace

TEST_F(Reader, HearsEveryGridAndDayWithItsState) {
    const EnglishCalendarLocale english;
    for (std::size_t i = 0; i < grids.size(); ++i) {
        const int month = first + static_cast<int>(i);
        SCOPED_TRACE(month);
        const com::Ptr<IAccessible> grid = ObjectOf(grids[i]);
        ASSERT_TRUE(grid);
        EXPECT_EQ(NameOf(grid.Get(), CHILDID_SELF),
                  english.MonthName(month) + L" " + std::to_wstring(year));
        EXPECT_EQ(RoleOf(grid.Get(), CHILDID_SELF), ROLE_SYSTEM_TABLE);
        long count = 0;
        EXPECT_EQ(grid->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, DaysInMonth(year, month)) << "one child per day";
    }

    const com::Ptr<IAccessible> grid = ObjectOf(grids[0]);
    ASSERT_TRUE(grid);
    struct Day {
        int day;
        const wchar_t* state;
        const wchar_t* action;
    };
    const Day days[] = {
        {3, L", first day of period", L"Remove mark"}, {4, L", period day", L"Mark"},
        {13, L", fertile day (estimate)", L"Mark"},    {20, L"", L"Mark"},
        {31, L", expected period day", L"Mark"},
    };
    for (const Day& d : days) {
        SCOPED_TRACE(d.day);
        EXPECT_EQ(NameOf(grid.Get(), d.day), LongDate(year, first, d.day) + d.state);
        EXPECT_EQ(RoleOf(grid.Get(), d.day), ROLE_SYSTEM_CELL);
        EXPECT_EQ(ActionOf(grid.Get(), d.day), d.action);
        EXPECT_TRUE(StateOf(grid.Get(), d.day) & STATE_SYSTEM_FOCUSABLE);
    }
    BSTR none = nullptr;
    EXPECT_EQ(grid->get_accName(Child(32), &none), E_INVALIDARG) << "no day 32";

    const std::vector<HWND> captions = ChildrenOf(L"LunabelHalfYearCaption");
    ASSERT_EQ(captions.size(), 1u);
    const com::Ptr<IAccessible> caption = ObjectOf(captions[0]);
    ASSERT_TRUE(caption);
    EXPECT_EQ(NameOf(caption.Get(), CHILDID_SELF), std::to_wstring(year) + L", " +
                                                       english.MonthName(first) + L" - " +
                                                       english.MonthName(first + 5));
    EXPECT_EQ(RoleOf(caption.Get(), CHILDID_SELF), ROLE_SYSTEM_STATICTEXT);
}

TEST_F(Reader, PressesAButtonByItsDefaultAction) {
    struct Button {
        WORD id;
        const wchar_t* name;
    };
    for (const Button& b :
         {Button{CMD_PREV, L"Previous half-year"}, Button{CMD_NEXT, L"Next half-year"},
          Button{CMD_SETTINGS, L"Settings"}, Button{CMD_EXIT, L"Exit"}}) {
        SCOPED_TRACE(b.id);
        const HWND window = ::GetDlgItem(view, b.id);
        wchar_t className[64] = L"";
        ::GetClassNameW(window, className, 64);
        EXPECT_STREQ(className, L"LunabelImageButton");
        const com::Ptr<IAccessible> button = ObjectOf(window);
        ASSERT_TRUE(button);
        EXPECT_EQ(NameOf(button.Get(), CHILDID_SELF), b.name);
        EXPECT_EQ(RoleOf(button.Get(), CHILDID_SELF), ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(ActionOf(button.Get(), CHILDID_SELF), L"Press");
    }

    const com::Ptr<IAccessible> next = ObjectOf(::GetDlgItem(view, CMD_NEXT));
    const com::Ptr<IAccessible> firstGrid = ObjectOf(grids[0]);
    ASSERT_TRUE(next && firstGrid);
    EXPECT_EQ(next->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    const HalfYear after = *NextHalfYear(HalfYearOf(today));
    const std::wstring expected = EnglishCalendarLocale().MonthName(after.firstHalf ? 1 : 7) +
                                  L" " + std::to_wstring(after.year);
    EXPECT_TRUE(
        WaitFor([&] { return NameOf(firstGrid.Get(), CHILDID_SELF) == expected; }, kPatience))
        << "the view stepped as after a click on the arrow";
}

TEST_F(Reader, FindsTheDayUnderAPointOnTheScreen) {
    const com::Ptr<IAccessible> grid = ObjectOf(grids[0]);
    ASSERT_TRUE(grid);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(grid->accLocation(&left, &top, &width, &height, Child(13)), S_OK);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    const POINT centre{left + width / 2, top + height / 2};

    VARIANT hit;
    ::VariantInit(&hit);
    ASSERT_EQ(grid->accHitTest(centre.x, centre.y, &hit), S_OK);
    ASSERT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 13);

    // As a reader asks: from the point alone.
    com::Ptr<IAccessible> found;
    VARIANT child;
    ::VariantInit(&child);
    ASSERT_EQ(::AccessibleObjectFromPoint(centre, found.Put(), &child), S_OK);
    ASSERT_EQ(child.vt, VT_I4);
    EXPECT_EQ(NameOf(found.Get(), child.lVal),
              LongDate(year, first, 13) + L", fertile day (estimate)");
}

TEST_F(Reader, HearsTheKeyboardsDayMoveAndChange) {
    if (!ViewFocused()) {
        ::SetForegroundWindow(frame);
    }
    ASSERT_TRUE(WaitFor([&] { return ViewFocused(); }, kPatience));
    const DateKey next = *MoveFocus(today, FocusMove::NextDay);
    const HWND grid = grids[static_cast<std::size_t>((KeyMonth(next) - 1) % 6)];

    EventWatch focus(EVENT_OBJECT_FOCUS, ProcessId());
    ASSERT_TRUE(focus.Hooked());
    ::PostMessageW(view, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_TRUE(WaitFor([&] { return focus.Saw(grid, KeyDay(next)); }, kPatience));

    const com::Ptr<IAccessible> object = ObjectOf(grid);
    ASSERT_TRUE(object);
    VARIANT focused;
    ::VariantInit(&focused);
    ASSERT_EQ(object->get_accFocus(&focused), S_OK);
    ASSERT_EQ(focused.vt, VT_I4);
    EXPECT_EQ(focused.lVal, KeyDay(next));
    EXPECT_TRUE(StateOf(object.Get(), KeyDay(next)) & STATE_SYSTEM_FOCUSED);

    EventWatch names(EVENT_OBJECT_NAMECHANGE, ProcessId());
    ::PostMessageW(view, WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_TRUE(WaitFor([&] { return names.Saw(grid, KeyDay(next)); }, kPatience));
    EXPECT_EQ(NameOf(object.Get(), KeyDay(next)),
              LongDate(KeyYear(next), KeyMonth(next), KeyDay(next)) + L", first day of period");
}
