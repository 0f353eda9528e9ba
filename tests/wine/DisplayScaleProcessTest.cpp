// The real program at the display scales people use (100, 125, 150 and
// 200 %): the window is the 100 % layout times the scale, a reader finds a day
// where the scaled layout puts it, and a click at its centre marks that day.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "ProgramProcessSupport.h"
#include "calendar/GridLayout.h"
#include "framework/Handle.h"
#include "skin/CxImage.h"
#include "skin/DisplayScale.h"
#include "view/Commands.h"

namespace {

using namespace programtest;

// The 100 % layout: the window's client and the first month's grid.
constexpr SIZE kClient{675, 557};
constexpr Rect kFirstGrid{14, 113, 220, 323};
constexpr int kDay = 15;

// Sets the prefix's display scale for the processes started from now on, and
// puts the old one back.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.Put(), nullptr);
        DWORD size = sizeof old_;
        had_ = ::RegQueryValueExW(key_.Get(), L"LogPixels", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&old_), &size) == ERROR_SUCCESS;
        Set(dpi);
    }
    ~LogPixels() {
        if (had_) {
            Set(old_);
        } else {
            ::RegDeleteValueW(key_.Get(), L"LogPixels");
        }
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;

private:
    void Set(DWORD dpi) {
        ::RegSetValueExW(key_.Get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi),
                         sizeof dpi);
    }

    win::RegKey key_;
    DWORD old_ = 96;
    bool had_ = false;
};

VARIANT Child(long id) {
    VARIANT child;
    ::VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

HWND FirstGrid(HWND frame) {
    std::vector<HWND> grids;
    ::EnumChildWindows(
        frame,
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64] = L"";
            ::GetClassNameW(window, name, 64);
            if (std::wstring(name) == L"LunabelMonthGrid") {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&grids));
    const auto topLeft = std::min_element(grids.begin(), grids.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        ::GetWindowRect(a, &ra);
        ::GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return topLeft == grids.end() ? nullptr : *topLeft;
}

class ScaledProgram : public RealDataFileTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (!HasFatalFailure()) {
            ::DeleteFileW(dataPath.c_str());
        }
    }
    void TearDown() override {
        program.Stop();
        RealDataFileTest::TearDown();
    }

    com::Apartment apartment;
    ProgramCopy program;
};

TEST_P(ScaledProgram, LaysOutFindsAndMarksDaysAtItsScale) {
    const DisplayScale scale(GetParam());
    const LogPixels logPixels(static_cast<DWORD>(scale.Dpi()));
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);

    RECT client{};
    ::GetClientRect(frame, &client);
    EXPECT_EQ(client.right, scale.Edge(kClient.cx));
    EXPECT_EQ(client.bottom, scale.Edge(kClient.cy));

    const HWND grid = FirstGrid(frame);
    ASSERT_NE(grid, nullptr);
    RECT gridRect{};
    ::GetWindowRect(grid, &gridRect);
    POINT origin{0, 0};
    ::ClientToScreen(::GetWindow(frame, GW_CHILD), &origin);
    const Rect expectedGrid = scale.Of(kFirstGrid);
    EXPECT_EQ(gridRect.left - origin.x, expectedGrid.left);
    EXPECT_EQ(gridRect.top - origin.y, expectedGrid.top);
    EXPECT_EQ(gridRect.right - origin.x, expectedGrid.right);
    EXPECT_EQ(gridRect.bottom - origin.y, expectedGrid.bottom);

    // The reader's place of the day is one of the scaled layout's cells.
    com::Ptr<IAccessible> object;
    ASSERT_EQ(::AccessibleObjectFromWindow(grid, static_cast<DWORD>(OBJID_CLIENT),
                                           __uuidof(IAccessible), object.PutVoid()),
              S_OK);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object->accLocation(&left, &top, &width, &height, Child(kDay)), S_OK);
    const GridLayout layout = ComputeGridLayout(expectedGrid.right - expectedGrid.left,
                                                expectedGrid.bottom - expectedGrid.top);
    bool isACell = false;
    for (const auto& row : layout.cells) {
        for (const Rect& cell : row) {
            isACell |= cell.left == left - gridRect.left && cell.top == top - gridRect.top &&
                       cell.right - cell.left == width && cell.bottom - cell.top == height;
        }
    }
    EXPECT_TRUE(isACell) << left << "," << top << " " << width << "x" << height;

    // A click at its centre marks it.
    const LPARAM centre =
        MAKELPARAM(left - gridRect.left + width / 2, top - gridRect.top + height / 2);
    ::PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageW(grid, WM_LBUTTONUP, 0, centre);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const DateKey day = MakeDateKey(now.wYear, now.wMonth <= 6 ? 1 : 7, kDay);
    EXPECT_TRUE(Eventually([&] {
        return ReadFileBytes(dataPath) == FileBytes().Good().Opts(28, 5, 1).Days({day}).bytes;
    }));
}

// Each skinned dialog is its picture at the scale, and every control lies on
// the picture, in every scale.
TEST_P(ScaledProgram, DialogsAreTheirPictureAndHoldTheirControls) {
    const DisplayScale scale(GetParam());
    const LogPixels logPixels(static_cast<DWORD>(scale.Dpi()));
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const HWND view = ::GetWindow(frame, GW_CHILD);
    struct Dialog {
        WORD command;
        const wchar_t* picture;
    };
    const Dialog dialogs[] = {{CMD_SETTINGS, L"dlg_settings"},
                              {CMD_PRINT, L"dlg_print"},
                              {CMD_ABOUT, L"dlg_about"},
                              {CMD_HELP, L"dlg_help"},
                              {CMD_CYCLE_HISTORY, L"dlg_history"}};
    for (const Dialog& dialog : dialogs) {
        SCOPED_TRACE(testing::Message()
                     << std::string(dialog.picture, dialog.picture + std::wcslen(dialog.picture)));
        CxImage picture;
        ASSERT_TRUE(picture.LoadFromResource(dialog.picture));
        ::PostMessageW(view, WM_COMMAND, dialog.command, 0);
        HWND shown = nullptr;
        ASSERT_TRUE(Eventually([&] { return (shown = PopupOf(program.Id())) != nullptr; }));
        RECT client{};
        ::GetClientRect(shown, &client);
        EXPECT_EQ(client.right, scale.Edge(picture.Width()));
        EXPECT_EQ(client.bottom, scale.Edge(picture.Height()));
        for (HWND child = ::GetWindow(shown, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(child)) {
                continue;
            }
            RECT place{};
            ::GetWindowRect(child, &place);
            ::MapWindowPoints(HWND_DESKTOP, shown, reinterpret_cast<POINT*>(&place), 2);
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                        place.bottom <= client.bottom)
                << "control " << ::GetDlgCtrlID(child) << " at " << place.left << "," << place.top
                << "-" << place.right << "," << place.bottom;
        }
        ::PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(Eventually([&] { return !::IsWindow(shown); }));
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaledProgram, ::testing::Values(96, 120, 144, 192),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return "Dpi" + std::to_string(param.param);
                         });

} // namespace
