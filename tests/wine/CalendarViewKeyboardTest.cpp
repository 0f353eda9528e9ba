// The view from the keyboard: the keys move its day through the months and
// half-years, mark it the way a click does and give commands; its frame shows
// only once a key was pressed; its context menu offers what the keys do.
#include "CalendarViewTestSupport.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calendar/DayFocus.h"
#include "cycle/CalendarData.h"

namespace {

// Ctrl held, as GetKeyState sees it on this thread, while it lives.
class ControlHeld {
public:
    ControlHeld() { SetControl(0x80); }
    ControlHeld(const ControlHeld&) = delete;
    ControlHeld& operator=(const ControlHeld&) = delete;
    ~ControlHeld() { SetControl(0); }

private:
    static void SetControl(BYTE state) {
        std::array<BYTE, 256> keys{};
        ::GetKeyboardState(keys.data());
        keys[VK_CONTROL] = state;
        keys[VK_LCONTROL] = state;
        ::SetKeyboardState(keys.data());
    }
};

struct Key {
    UINT code;
    bool control = false;
};

class CalendarViewKeyboardTest : public viewtest::ShownView {
protected:
    void Press(Key key) {
        std::optional<ControlHeld> control;
        if (key.control) {
            control.emplace();
        }
        ::SendMessageW(view, WM_KEYDOWN, key.code, 1);
    }

    // The view shown with the keyboard focus, as in the active main window.
    void OpenFocused(int year, int month, int day) {
        if (host.IsWindow()) {
            host.DestroyWindow();
        }
        Open(year, month, day);
        ::SetFocus(view);
        Paint(host);
    }

    // The grid that shows a date, by its place in the half-year.
    int GridOf(DateKey day) const { return (KeyMonth(day) - 1) % 6; }

    // The top edge of a day's cell, where nothing but a frame is ever drawn,
    // as the grid shows it and as the view's picture has it.
    std::pair<std::vector<COLORREF>, std::vector<COLORREF>> Edges(DateKey day) const {
        const CalendarWindow* grid = view.Grid(GridOf(day));
        const RECT place = grid->GetRectIn(view);
        const Capture shown(grid->Handle());
        const Capture under(view.BackgroundDC(), place.left, place.top, shown.Width(),
                            shown.Height());
        const Rect& cell = Cell(GridOf(day), KeyDay(day))->rect;
        std::pair<std::vector<COLORREF>, std::vector<COLORREF>> edges;
        for (int x = cell.left; x < cell.right; ++x) {
            edges.first.push_back(shown.At(x, cell.top));
            edges.second.push_back(under.At(x, cell.top));
        }
        return edges;
    }
    bool Framed(DateKey day) const {
        const auto [shown, under] = Edges(day);
        return shown != under;
    }

    void MouseDownOn(HWND window) {
        MSG press{window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2), 0, {}};
        view.PreTranslateMessage(&press);
    }
};

constexpr DateKey D(int year, int month, int day) {
    return MakeDateKey(year, month, day);
}

TEST_F(CalendarViewKeyboardTest, KeysMoveTheDayAndTheViewFollowsIntoOtherHalfYears) {
    struct Case {
        const char* name;
        DateKey today;
        std::vector<Key> keys;
        DateKey day;
    };
    const Case cases[] = {
        {"arrows", D(2026, 7, 15), {{VK_RIGHT}, {VK_RIGHT}, {VK_UP}}, D(2026, 7, 10)},
        {"down into the next half-year", D(2026, 12, 20), {{VK_DOWN}, {VK_DOWN}}, D(2027, 1, 3)},
        {"left into the previous half-year", D(2026, 7, 1), {{VK_LEFT}}, D(2026, 6, 30)},
        {"end and home", D(2024, 2, 10), {{VK_END}, {VK_HOME}, {VK_END}}, D(2024, 2, 29)},
        {"page down and up", D(2026, 8, 31), {{VK_NEXT}, {VK_PRIOR}, {VK_PRIOR}}, D(2026, 2, 28)},
        {"ctrl+home comes back to today",
         D(2026, 8, 31),
         {{VK_NEXT}, {VK_NEXT}, {VK_LEFT}, {VK_HOME, true}},
         D(2026, 8, 31)},
        {"nothing before the first supported day",
         D(1900, 1, 1),
         {{VK_LEFT}, {VK_UP}, {VK_PRIOR}},
         D(1900, 1, 1)},
        {"nothing after the last one",
         D(9999, 12, 31),
         {{VK_RIGHT}, {VK_DOWN}, {VK_NEXT}},
         D(9999, 12, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenFocused(KeyYear(c.today), KeyMonth(c.today), KeyDay(c.today));
        EXPECT_EQ(view.FocusedDay(), c.today) << "the keyboard's day starts on today";
        for (const Key& key : c.keys) {
            Press(key);
        }
        EXPECT_EQ(view.FocusedDay(), c.day);
        EXPECT_EQ(view.Year(), KeyYear(c.day));
        EXPECT_EQ(view.FirstHalf(), KeyMonth(c.day) < 7) << "the view shows the day";
        EXPECT_EQ(view.Grid(GridOf(c.day))->FocusDay(), KeyDay(c.day));
    }
}

// The arrow buttons step the view; the day comes along into the new half-year.
TEST_F(CalendarViewKeyboardTest, TheArrowButtonsTakeTheDayAlong) {
    OpenFocused(2026, 8, 31);
    Command(CMD_PREV);
    EXPECT_EQ(view.FocusedDay(), D(2026, 2, 28));
    Command(CMD_NEXT);
    EXPECT_EQ(view.FocusedDay(), D(2026, 8, 28));
    Command(CMD_NEXT);
    EXPECT_EQ(view.FocusedDay(), D(2027, 2, 28));
    EXPECT_EQ(view.Grid(1)->FocusDay(), 28);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(view.Grid(i == 1 ? 0 : i)->FocusDay(), 0) << "only one grid holds the day";
    }
}

// Space and Enter take the click's road: the data, then all six grids.
TEST_F(CalendarViewKeyboardTest, SpaceAndEnterToggleTheDayAsAClickDoes) {
    OpenFocused(2006, 1, 10);
    CalendarData& data = TestData();
    Paint(host);
    Press({VK_SPACE});
    EXPECT_TRUE(data.IsMarked(2006, 1, 10));
    EXPECT_TRUE(Marked(0, 10));
    EXPECT_TRUE(Cell(1, 7)->period) << "predictions of later months follow";
    for (int i = 0; i < CalendarView::kGridCount; ++i) {
        EXPECT_TRUE(::GetUpdateRect(view.Grid(i)->Handle(), nullptr, FALSE)) << "grid " << i;
    }

    Press({VK_RIGHT});
    Press({VK_RETURN});
    EXPECT_EQ(data.Marks(), (std::vector<DateKey>{D(2006, 1, 10), D(2006, 1, 11)}));
    Press({VK_RETURN});
    EXPECT_EQ(data.Marks(), (std::vector<DateKey>{D(2006, 1, 10)}));

    // A click moves the keyboard's day to the clicked one.
    ::SendMessageW(view, WM_DAY_CLICKED, 2006, MAKELPARAM(3, 5));
    EXPECT_EQ(view.FocusedDay(), D(2006, 3, 5));
    Press({VK_SPACE});
    EXPECT_FALSE(data.IsMarked(2006, 3, 5)) << "clicked on, then taken back by Space";
}

TEST_F(CalendarViewKeyboardTest, ShortcutsGiveTheirCommands) {
    OpenFocused(2006, 1, 10);
    Press({'P', true});
    Press({'P'});
    Press({'H', true});
    Press({VK_HOME, true});
    std::vector<WORD> ids;
    for (const auto& command : view.commands) {
        ids.push_back(command.id);
        EXPECT_EQ(command.code, 1) << "as from an accelerator";
    }
    EXPECT_EQ(ids, (std::vector<WORD>{CMD_PRINT, CMD_CYCLE_HISTORY, CMD_TODAY}));
}

// The frame shows only while the keyboard is in use and the view has the
// focus, so a mouse user sees the calendar as it always was.
TEST_F(CalendarViewKeyboardTest, TheFrameShowsAfterAKeyUntilAClick) {
    OpenFocused(2006, 1, 10);
    const DateKey today = D(2006, 1, 10);
    const DateKey next = D(2006, 1, 11);
    Paint(host);
    EXPECT_FALSE(Framed(today)) << "no frame before a key";

    Press({VK_RIGHT});
    Paint(host);
    EXPECT_TRUE(view.KeyboardUsed());
    EXPECT_TRUE(Framed(next)) << "the frame after a key";
    EXPECT_FALSE(Framed(today)) << "and only around the keyboard's day";

    MouseDownOn(view.Grid(3)->Handle());
    Paint(host);
    EXPECT_FALSE(view.KeyboardUsed());
    EXPECT_FALSE(Framed(next)) << "a click anywhere on the view ends it";

    Press({VK_LEFT});
    Paint(host);
    EXPECT_TRUE(Framed(today));
    ::SetFocus(nullptr);
    Paint(host);
    EXPECT_FALSE(Framed(today)) << "not while the focus is elsewhere";
    ::SetFocus(view);
    Paint(host);
    EXPECT_TRUE(Framed(today)) << "back with the focus";

    MSG elsewhere{host, WM_LBUTTONDOWN, MK_LBUTTON, 0, 0, {}};
    view.PreTranslateMessage(&elsewhere);
    EXPECT_TRUE(view.KeyboardUsed()) << "a click beside the view is none of its business";
}

} // namespace

namespace {

// Reads the items of the next popup menu the thread shows, then closes it
// without a choice: the menu's loop hands its messages to this filter.
class MenuReader {
public:
    MenuReader() {
        active_ = this;
        hook_ = ::SetWindowsHookExW(WH_MSGFILTER, Filter, nullptr, ::GetCurrentThreadId());
    }
    MenuReader(const MenuReader&) = delete;
    MenuReader& operator=(const MenuReader&) = delete;
    ~MenuReader() {
        ::UnhookWindowsHookEx(hook_);
        active_ = nullptr;
    }

    struct Item {
        std::wstring text;
        UINT command;
    };
    std::vector<Item> items;
    POINT at{};

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam) {
        if (code == MSGF_MENU && active_ != nullptr && active_->items.empty()) {
            active_->Read();
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Read() {
        const HWND popup = ::FindWindowW(L"#32768", nullptr);
        if (popup == nullptr) {
            return;
        }
        RECT place{};
        ::GetWindowRect(popup, &place);
        at = {place.left, place.top};
        const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = L"";
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STRING | MIIM_ID | MIIM_FTYPE;
            info.dwTypeData = text;
            info.cch = 128;
            ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
            items.push_back({(info.fType & MFT_SEPARATOR) ? L"-" : text, info.wID});
        }
        ::EndMenu();
    }

    static inline MenuReader* active_ = nullptr;
    HHOOK hook_ = nullptr;
};

std::vector<std::wstring> Texts(const std::vector<MenuReader::Item>& items) {
    std::vector<std::wstring> texts;
    for (const auto& item : items) {
        texts.push_back(item.text);
    }
    return texts;
}

} // namespace

TEST_F(CalendarViewKeyboardTest, TheContextMenuOffersTheDaysMarkAndTheCommands) {
    OpenFocused(2006, 1, 10);
    TestData().ToggleMark(2006, 2, 14);
    Command(CMD_TODAY); // the grids catch up with the mark
    const std::vector<std::wstring> commands = {L"Go to &today\tCtrl+Home",
                                                L"-",
                                                L"&Cycle history...\tCtrl+H",
                                                L"&Settings...",
                                                L"&Print...\tCtrl+P",
                                                L"&Help\tF1",
                                                L"&About",
                                                L"-",
                                                L"E&xit\tAlt+F4"};
    const auto withDay = [&](const wchar_t* mark) {
        std::vector<std::wstring> texts{mark};
        texts.insert(texts.end(), commands.begin(), commands.end());
        return texts;
    };
    const auto open = [&](POINT at) {
        MenuReader reader;
        // The menu's loop takes its first message from the queue.
        ::PostMessageW(view, WM_NULL, 0, 0);
        ::SendMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()),
                       MAKELPARAM(at.x, at.y));
        PumpMessages();
        return std::pair{reader.items, reader.at};
    };

    // From the keyboard: at the keyboard's day, which is unmarked.
    const auto [keyboardItems, keyboardAt] = open({-1, -1});
    EXPECT_EQ(Texts(keyboardItems), withDay(L"&Mark as first day of period\tSpace"));
    const RECT today = view.Grid(0)->DayScreenRect(10);
    EXPECT_EQ(keyboardAt.x, today.left);
    EXPECT_EQ(keyboardAt.y, today.bottom);
    EXPECT_EQ(keyboardItems.front().command, CMD_TOGGLE_DAY);
    EXPECT_EQ(keyboardItems.back().command, CMD_EXIT);

    // From the mouse on a marked day: that day becomes the keyboard's.
    const RECT marked = view.Grid(1)->DayScreenRect(14);
    const auto [markedItems, markedAt] = open({marked.left + 3, marked.top + 3});
    EXPECT_EQ(Texts(markedItems), withDay(L"&Remove mark\tSpace"));
    EXPECT_EQ(view.FocusedDay(), D(2006, 2, 14));

    // Beside the days: the commands alone.
    const RECT grid = view.Grid(0)->GetWindowRect();
    const auto [besideItems, besideAt] = open({grid.left + 2, grid.top + 2});
    EXPECT_EQ(Texts(besideItems), commands);
    EXPECT_EQ(view.FocusedDay(), D(2006, 2, 14)) << "the day stays where it was";
}
