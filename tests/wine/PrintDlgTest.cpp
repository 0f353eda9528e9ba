// The print dialog driven through its real modal loop: the printer list, the
// preselection, the year ranges, the device settings it changes, and the
// message when there is no printer at all.
#include "print/PrintDlg.h"

#include "ModalDialogDriver.h"
#include "PrintTestSupport.h"
#include "WindowText.h"
#include "print/PrintCommand.h"

#include <gtest/gtest.h>
#include <uxtheme.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

using print_test::FakeSpooler;

// The combo's items as shown (sorted) and the list positions they map to.
struct ComboItems {
    std::vector<std::wstring> labels;
    std::vector<LRESULT> data;
    LRESULT selection = CB_ERR;
};

ComboItems ReadCombo(HWND dialog) {
    const HWND combo = ::GetDlgItem(dialog, IDC_PRINTER);
    ComboItems items;
    const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.labels.push_back(text);
        items.data.push_back(::SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    }
    items.selection = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return items;
}

std::wstring SelectedLabel(HWND dialog) {
    const ComboItems items = ReadCombo(dialog);
    return items.selection == CB_ERR ? L"(none)" : items.labels[items.selection];
}

// Selects the item showing `label` the way the user does: the combo's
// selection changes and the dialog is told.
void ChoosePrinter(HWND dialog, const std::wstring& label) {
    const HWND combo = ::GetDlgItem(dialog, IDC_PRINTER);
    const LRESULT item = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(label.c_str()));
    ASSERT_NE(item, CB_ERR) << "no item " << testing::PrintToString(label);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PRINTER, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

bool Checked(HWND dialog, int id) {
    return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int CurrentYear() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now.wYear;
}

class PrintDlgTest : public ::testing::Test {
protected:
    void SetUp() override { FakeSpooler::Reset(); }
    void TearDown() override { FakeSpooler::Reset(); }

    // Runs the dialog over the driver's window.
    INT_PTR Run(PrintDlg& dialog, std::vector<ModalDialogDriver::Step> steps) {
        driver.Script(std::move(steps));
        const INT_PTR result = dialog.DoModal(driver.Owner());
        EXPECT_FALSE(driver.Abandoned()) << "the dialog stayed open";
        return result;
    }

    static void UseOfficePrinters() {
        FakeSpooler::printers = {{L"Zeta", L"\\\\srv"}, {L"alpha", L""}, {L"Mid", L"\\\\box"}};
        FakeSpooler::defaultPrinter = L"Mid";
    }

    ModalDialogDriver driver;
    DeviceSettings settings;
    DataGuard data;
};

TEST_F(PrintDlgTest, ListsPrintersSortedAndMapsItemsBackToThem) {
    UseOfficePrinters();
    PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
    ComboItems shown;
    std::wstring afterChoice;
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) { shown = ReadCombo(d); },
                              [&](HWND d) { ChoosePrinter(d, L"Zeta (\\\\srv)"); },
                              [&](HWND d) { Press(d, IDOK); },
                          }),
              IDOK);

    EXPECT_EQ(shown.labels,
              (std::vector<std::wstring>{L"alpha", L"Mid (\\\\box)", L"Zeta (\\\\srv)"}));
    EXPECT_EQ(shown.data, (std::vector<LRESULT>{1, 2, 0}));
    EXPECT_EQ(dialog.PrinterName(), L"Zeta");
    ASSERT_EQ(dialog.Printers().size(), 3u);
    EXPECT_EQ(dialog.Printers()[0].printerName, L"Zeta");
    EXPECT_EQ(dialog.Printers()[0].serverName, L"\\\\srv");
    EXPECT_EQ(dialog.Printers()[1].serverName, L"");
    // Local and shared printers, level 4: a size query, then the listing.
    EXPECT_EQ(FakeSpooler::levelsAsked, (std::vector<DWORD>{4, 4}));
    EXPECT_EQ(FakeSpooler::flagsGiven,
              (std::vector<DWORD>{PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS,
                                  PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS}));
}

TEST_F(PrintDlgTest, PreselectsTheRememberedPrinterElseTheDefault) {
    struct Case {
        const wchar_t* remembered;
        const wchar_t* defaultPrinter;
        const wchar_t* selected;
    };
    const Case cases[] = {
        {L"", L"Mid", L"Mid (\\\\box)"},      // first opening: the system's default
        {L"ZETA", L"Mid", L"Zeta (\\\\srv)"}, // then the one chosen last, in any case
        {L"alpha", L"Mid", L"alpha"},
        {L"", L"", L"Zeta (\\\\srv)"}, // no default: the first one listed
        {L"Gone", L"Mid", L"(none)"},  // no longer there: nothing
        {L"", L"Elsewhere", L"(none)"},
    };
    for (const Case& c : cases) {
        UseOfficePrinters();
        FakeSpooler::defaultPrinter = c.defaultPrinter;
        PrintDlg dialog(driver.Owner(), c.remembered, settings, FakeSpooler::Calls());
        std::wstring selected;
        EXPECT_EQ(Run(dialog, {
                                  [&](HWND d) { selected = SelectedLabel(d); },
                                  [&](HWND d) { Press(d, IDCANCEL); },
                              }),
                  IDCANCEL);
        EXPECT_EQ(selected, c.selected) << "remembered " << testing::PrintToString(c.remembered)
                                        << ", default " << testing::PrintToString(c.defaultPrinter);
        EXPECT_EQ(dialog.PrinterName(), L"") << "a cancelled dialog chooses no printer";
    }
}

TEST_F(PrintDlgTest, PrintWaitsForAPrinterToBeChosen) {
    UseOfficePrinters();
    PrintDlg dialog(driver.Owner(), L"Gone", settings, FakeSpooler::Calls());
    bool openAfterPrint = false;
    bool openAfterProperties = false;
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) { Press(d, IDOK); },
                              [&](HWND d) {
                                  openAfterPrint = ::IsWindowVisible(d);
                                  Press(d, IDC_PRINT_PROPERTIES);
                              },
                              [&](HWND d) {
                                  openAfterProperties = ::IsWindowVisible(d);
                                  ChoosePrinter(d, L"alpha");
                              },
                              [&](HWND d) { Press(d, IDOK); },
                          }),
              IDOK);
    EXPECT_TRUE(openAfterPrint);
    EXPECT_TRUE(openAfterProperties);
    EXPECT_EQ(dialog.PrinterName(), L"alpha");
    EXPECT_TRUE(settings.IsEmpty()) << "the fake printers cannot be opened";
}

TEST_F(PrintDlgTest, FailedListingLeavesNothingToChoose) {
    UseOfficePrinters();
    FakeSpooler::listingFails = true;
    PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
    LRESULT count = -1;
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) {
                                  count = ::SendDlgItemMessageW(d, IDC_PRINTER, CB_GETCOUNT, 0, 0);
                                  Press(d, IDOK);
                              },
                              [&](HWND d) { Press(d, IDCANCEL); },
                          }),
              IDCANCEL);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(dialog.Printers().empty());
}

TEST_F(PrintDlgTest, YearRangesGiveTheYearsToPrint) {
    const int now = CurrentYear();
    struct Case {
        int radio;
        std::vector<DateKey> marks;
        std::vector<int> years;
    };
    const Case cases[] = {
        {IDC_THIS_YEAR, {MakeDateKey(2003, 3, 10)}, {now}},
        {IDC_LAST_TWO_YEARS, {}, {now - 1, now}},
        {IDC_ALL_MARKED_YEARS,
         {MakeDateKey(2003, 3, 10), MakeDateKey(2006, 7, 1)},
         {2003, 2004, 2005, 2006}},
        {IDC_ALL_MARKED_YEARS, {MakeDateKey(2005, 5, 5)}, {2005}},
        {IDC_ALL_MARKED_YEARS, {}, {}},
        // Keys that are no dates (years 0 and 65535) neither widen nor empty the range.
        {IDC_ALL_MARKED_YEARS,
         {MakeDateKey(0, 1, 1), MakeDateKey(2005, 5, 5), MakeDateKey(65535, 12, 31)},
         {2005}},
        {IDC_ALL_MARKED_YEARS, {MakeDateKey(0, 1, 1), MakeDateKey(65535, 12, 31)}, {}},
    };
    for (const Case& c : cases) {
        FakeSpooler::printers = {{L"Only", L""}};
        DataGuard::Use(c.marks);
        PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
        bool startedOnThisYear = false;
        EXPECT_EQ(Run(dialog, {
                                  [&](HWND d) {
                                      startedOnThisYear = Checked(d, IDC_THIS_YEAR) &&
                                                          !Checked(d, IDC_LAST_TWO_YEARS) &&
                                                          !Checked(d, IDC_ALL_MARKED_YEARS);
                                      Click(d, c.radio);
                                  },
                                  [&](HWND d) { Press(d, IDOK); },
                              }),
                  IDOK);
        // Whatever the previous opening chose.
        EXPECT_TRUE(startedOnThisYear);
        EXPECT_EQ(dialog.Years(), c.years)
            << "radio " << c.radio << ", " << c.marks.size() << " marks";
        EXPECT_EQ(dialog.PrinterName(), L"Only");
    }
}

// Under visual styles the radios would paint their text in the theme's colour
// instead of the dialog's red.
TEST_F(PrintDlgTest, RangeRadiosAreUnthemedWhileThePrinterListKeepsItsTheme) {
    UseOfficePrinters();
    PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
    bool listThemed = false;
    std::vector<int> themedRadios;
    EXPECT_EQ(Run(dialog, {[&](HWND d) {
                      listThemed = ::GetWindowTheme(::GetDlgItem(d, IDC_PRINTER)) != nullptr;
                      for (int id = IDC_THIS_YEAR; id <= IDC_ALL_MARKED_YEARS; ++id) {
                          if (::GetWindowTheme(::GetDlgItem(d, id)) != nullptr) {
                              themedRadios.push_back(id);
                          }
                      }
                      Press(d, IDCANCEL);
                  }}),
              IDCANCEL);
    ASSERT_TRUE(listThemed) << "visual styles are off: nothing to check";
    EXPECT_EQ(themedRadios, std::vector<int>{});
}

TEST_F(PrintDlgTest, EscapeCancels) {
    UseOfficePrinters();
    PrintDlg dialog(driver.Owner(), L"alpha", settings, FakeSpooler::Calls());
    EXPECT_EQ(Run(dialog,
                  {
                      [&](HWND d) {
                          ::SetFocus(::GetDlgItem(d, IDC_THIS_YEAR));
                          ::PostMessageW(::GetDlgItem(d, IDC_THIS_YEAR), WM_KEYDOWN, VK_ESCAPE, 0);
                      },
                  }),
              IDCANCEL);
    EXPECT_TRUE(dialog.Years().empty());
}

TEST_F(PrintDlgTest, SkinnedLabelsAreBoldRedComicSans) {
    UseOfficePrinters();
    PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
    SIZE client{};
    std::vector<LOGFONTW> labelFonts;
    COLORREF textColour = 0;
    int backgroundMode = 0;
    LOGFONTW labelFont{};
    bool brushIsBackground = false;
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) {
                                  RECT rect{};
                                  ::GetClientRect(d, &rect);
                                  client = {rect.right, rect.bottom};
                                  // The three ranges and the two labels.
                                  for (HWND child = ::GetWindow(d, GW_CHILD); child;
                                       child = ::GetWindow(child, GW_HWNDNEXT)) {
                                      const int id = ::GetDlgCtrlID(child);
                                      if (ClassOf(child) == L"Static" ||
                                          (id >= IDC_THIS_YEAR && id <= IDC_ALL_MARKED_YEARS)) {
                                          LOGFONTW font{};
                                          ::GetObjectW(reinterpret_cast<HFONT>(
                                                           ::SendMessageW(child, WM_GETFONT, 0, 0)),
                                                       sizeof font, &font);
                                          labelFonts.push_back(font);
                                      }
                                  }
                                  // Ask as a static control does before it paints.
                                  const HWND radio = ::GetDlgItem(d, IDC_LAST_TWO_YEARS);
                                  HDC dc = ::GetDC(radio);
                                  const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
                                      d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(radio)));
                                  brushIsBackground =
                                      brush != nullptr && brush == dialog.BackgroundBrush();
                                  textColour = ::GetTextColor(dc);
                                  backgroundMode = ::GetBkMode(dc);
                                  ::GetObjectW(::GetCurrentObject(dc, OBJ_FONT), sizeof labelFont,
                                               &labelFont);
                                  ::ReleaseDC(radio, dc);
                              },
                              [&](HWND d) { Press(d, IDCANCEL); },
                          }),
              IDCANCEL);

    // The dialog takes the size of its picture.
    EXPECT_EQ(client.cx, 372);
    EXPECT_EQ(client.cy, 300);
    ASSERT_EQ(labelFonts.size(), 5u);
    for (const LOGFONTW& font : labelFonts) {
        EXPECT_STREQ(font.lfFaceName, L"Comic Sans MS");
        EXPECT_EQ(font.lfHeight, -12);
        EXPECT_EQ(font.lfWeight, FW_BOLD);
    }
    EXPECT_TRUE(brushIsBackground);
    EXPECT_EQ(textColour, RGB(255, 0, 0));
    EXPECT_EQ(backgroundMode, TRANSPARENT);
    EXPECT_STREQ(labelFont.lfFaceName, L"Comic Sans MS");
    EXPECT_EQ(labelFont.lfWeight, FW_BOLD);
}

// Reads a DIALOGEX template as the resource compiler wrote it.
struct TemplateItem {
    int id = 0;
    std::wstring className;
    std::wstring text;
    RECT place{};
    DWORD style = 0;
};

struct DialogTemplate {
    DWORD style = 0;
    SIZE size{};
    WORD fontPoints = 0;
    std::wstring fontFace;
    std::vector<TemplateItem> items;
};

std::optional<DialogTemplate> LoadDialogTemplate(int id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (!found) {
        return std::nullopt;
    }
    const auto* at = static_cast<const WORD*>(::LockResource(::LoadResource(module, found)));
    if (!at || at[0] != 1 || at[1] != 0xFFFF) {
        return std::nullopt; // not a DIALOGEX
    }
    const auto dword = [&at] {
        const DWORD value = at[0] | (static_cast<DWORD>(at[1]) << 16);
        at += 2;
        return value;
    };
    const auto text = [&at](bool classAtoms) {
        std::wstring value;
        if (*at == 0xFFFF) {
            const WORD atom = at[1];
            at += 2;
            const wchar_t* names[] = {L"Button",  L"Edit",      L"Static",
                                      L"ListBox", L"ScrollBar", L"ComboBox"};
            return classAtoms && atom >= 0x80 && atom <= 0x85 ? std::wstring(names[atom - 0x80])
                                                              : L"#" + std::to_wstring(atom);
        }
        while (*at) {
            value += static_cast<wchar_t>(*at++);
        }
        ++at;
        return value;
    };
    DialogTemplate dialog;
    at += 2;
    dword(); // help id
    dword(); // extended style
    dialog.style = dword();
    const WORD count = *at++;
    at += 2; // x, y
    dialog.size = {static_cast<short>(at[0]), static_cast<short>(at[1])};
    at += 2;
    text(false); // menu
    text(false); // class
    text(false); // caption
    if (dialog.style & DS_SETFONT) {
        dialog.fontPoints = *at;
        at += 3; // points, weight, italic and charset
        dialog.fontFace = text(false);
    }
    for (WORD i = 0; i < count; ++i) {
        at = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(at) + 3) & ~UINT_PTR{3});
        TemplateItem item;
        dword(); // help id
        dword(); // extended style
        item.style = dword();
        item.place = {static_cast<short>(at[0]), static_cast<short>(at[1]),
                      static_cast<short>(at[2]), static_cast<short>(at[3])};
        at += 4;
        item.id = static_cast<int>(dword());
        item.className = text(true);
        item.text = text(false);
        const WORD extra = *at++;
        at = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(at) + extra);
        dialog.items.push_back(item);
    }
    return dialog;
}

TEST(PrintDlgTemplateTest, ControlsPositionsAndStyles) {
    const auto dialog = LoadDialogTemplate(IDD_PRINT);
    ASSERT_TRUE(dialog);
    // Borderless, without caption: the picture is the whole dialog.
    EXPECT_EQ(dialog->style, 0x80080040u);
    EXPECT_EQ(dialog->size.cx, 247);
    EXPECT_EQ(dialog->size.cy, 183);
    EXPECT_EQ(dialog->fontPoints, 8);
    EXPECT_EQ(dialog->fontFace, L"MS Sans Serif");

    struct Expected {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        RECT place; // x, y, width, height
        DWORD style;
    };
    const Expected expected[] = {
        {-1, L"Static", L"Select printer:", {44, 35, 143, 10}, 0x50020200},
        {IDC_PRINTER, L"ComboBox", L"", {44, 48, 144, 30}, 0x50210103},
        {IDC_PRINT_PROPERTIES, L"Button", L"Properties", {190, 47, 50, 15}, 0x50010001},
        {-1, L"Static", L"Select data range:", {44, 68, 145, 10}, 0x50020200},
        {IDC_THIS_YEAR, L"Button", L"This year", {55, 82, 185, 10}, 0x50000009},
        {IDC_LAST_TWO_YEARS, L"Button", L"Last two years", {55, 96, 185, 10}, 0x50000009},
        {IDC_ALL_MARKED_YEARS, L"Button", L"All years with marks", {55, 109, 185, 10}, 0x50000009},
        {IDOK, L"Button", L"Print", {136, 162, 50, 14}, 0x50010001},
        {IDCANCEL, L"Button", L"Cancel", {190, 162, 50, 14}, 0x50010001},
    };
    ASSERT_EQ(dialog->items.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TemplateItem& item = dialog->items[i];
        const Expected& want = expected[i];
        EXPECT_EQ(item.id == 0xFFFF ? -1 : item.id, want.id) << i;
        // Stored as an atom or as a name in capitals, depending on the compiler.
        EXPECT_EQ(::lstrcmpiW(item.className.c_str(), want.className), 0)
            << testing::PrintToString(item.className) << " " << i;
        EXPECT_EQ(item.text, want.text) << i;
        EXPECT_EQ(item.place.left, want.place.left) << i;
        EXPECT_EQ(item.place.top, want.place.top) << i;
        EXPECT_EQ(item.place.right, want.place.right) << i;
        EXPECT_EQ(item.place.bottom, want.place.bottom) << i;
        EXPECT_EQ(item.style, want.style) << std::hex << i;
    }
}

// Catches the dialogs other than the print dialog that open on this thread
// (message boxes, a driver's properties), reads them and cancels them.
class DialogCatcher {
public:
    struct Seen {
        std::wstring caption;
        std::wstring text;
        bool ownedByPrintDialog = false;
        HWND ownersOwner = nullptr;
        bool informationIcon = false;
    };

    DialogCatcher() {
        current = this;
        hook = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
    }
    DialogCatcher(const DialogCatcher&) = delete;
    DialogCatcher& operator=(const DialogCatcher&) = delete;
    ~DialogCatcher() {
        ::UnhookWindowsHookEx(hook);
        current = nullptr;
    }

    std::vector<Seen> seen;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (current && code == HCBT_ACTIVATE) {
            current->Activated(reinterpret_cast<HWND>(wParam));
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Activated(HWND window) {
        if (ClassOf(window) != L"#32770" || ::GetDlgItem(window, IDC_PRINTER)) {
            return;
        }
        Seen box;
        box.caption = WindowText(window);
        const HWND owner = ::GetWindow(window, GW_OWNER);
        box.ownedByPrintDialog = ::GetDlgItem(owner, IDC_PRINTER) != nullptr;
        box.ownersOwner = ::GetWindow(owner, GW_OWNER);
        for (HWND child = ::GetWindow(window, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) != L"Static") {
                continue;
            }
            if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
                box.informationIcon = icon && icon == ::LoadIconW(nullptr, IDI_INFORMATION);
            } else if (const std::wstring text = WindowText(child); !text.empty()) {
                box.text = text;
            }
        }
        seen.push_back(box);
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }

    static inline DialogCatcher* current = nullptr;
    HHOOK hook = nullptr;
};

TEST_F(PrintDlgTest, WithoutPrintersSaysSoAndCancels) {
    // FakeSpooler lists nothing: the size query answers 0 bytes.
    DialogCatcher boxes;
    PrintDlg dialog(driver.Owner(), L"", settings, FakeSpooler::Calls());
    driver.Script({});
    EXPECT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);

    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, L"No printers connected");
    EXPECT_EQ(boxes.seen[0].caption, L"Lunabel");
    EXPECT_TRUE(boxes.seen[0].informationIcon);
    // Owned by the print dialog, which is owned by the view.
    EXPECT_TRUE(boxes.seen[0].ownedByPrintDialog);
    EXPECT_EQ(boxes.seen[0].ownersOwner, driver.Owner());
    EXPECT_EQ(FakeSpooler::levelsAsked.size(), 1u) << "no listing after the size query";
    EXPECT_EQ(driver.StepsRun(), 0u);
}

TEST_F(PrintDlgTest, PrintCommandWithoutPrintersPrintsNothing) {
    DialogCatcher boxes;
    std::wstring printerName = L"PDF";
    driver.Script({});
    RunPrintCommand(driver.Owner(), printerName, settings, FakeSpooler::Calls());
    EXPECT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(printerName, L"PDF");
    EXPECT_TRUE(settings.IsEmpty()) << "no printer was opened";
}

// --- against the machine's spooler -------------------------------------------

class PrintDlgSpoolerTest : public PrintDlgTest {
protected:
    void SetUp() override {
        PrintDlgTest::SetUp();
        SKIP_WITHOUT_PRINTER();
        defaultPrinter = print_test::DefaultPrinter();
    }
    std::wstring defaultPrinter;
};

TEST_F(PrintDlgSpoolerTest, ListsAndPreselectsTheDefaultPrinter) {
    PrintDlg dialog(driver.Owner(), L"", settings);
    std::wstring selected;
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) { selected = SelectedLabel(d); },
                              [&](HWND d) { Press(d, IDOK); },
                          }),
              IDOK);
    bool listed = false;
    for (const PrinterEntry& entry : dialog.Printers()) {
        listed = listed || entry.printerName == defaultPrinter;
    }
    EXPECT_TRUE(listed);
    EXPECT_EQ(selected, defaultPrinter);
    EXPECT_EQ(dialog.PrinterName(), defaultPrinter);
    EXPECT_EQ(dialog.Years(), (std::vector<int>{CurrentYear()}));
}

TEST_F(PrintDlgSpoolerTest, ChangingThePrinterTakesItsDefaults) {
    // Settings some other driver made, held from an earlier print.
    DEVMODEW foreign{};
    foreign.dmSize = sizeof foreign;
    wcscpy_s(foreign.dmDeviceName, L"Other");
    foreign.dmFields = DM_ORIENTATION;
    foreign.dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(settings.CopyFrom(&foreign, L"Other"));

    PrintDlg dialog(driver.Owner(), defaultPrinter, settings);
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) { ChoosePrinter(d, defaultPrinter); },
                              [&](HWND d) { Press(d, IDCANCEL); },
                          }),
              IDCANCEL);
    // Kept although the dialog was cancelled.
    ASSERT_FALSE(settings.IsEmpty());
    EXPECT_TRUE(settings.BelongsTo(defaultPrinter));
    EXPECT_STREQ(settings.Get()->dmDeviceName, defaultPrinter.c_str());
    EXPECT_NE(settings.Get()->dmOrientation, DMORIENT_LANDSCAPE);
}

TEST_F(PrintDlgSpoolerTest, PropertiesShowTheDriversDialogOnThePrintersSettings) {
    // Settings another driver made must not reach this one.
    DEVMODEW foreign{};
    foreign.dmSize = sizeof foreign;
    wcscpy_s(foreign.dmDeviceName, L"Other");
    ASSERT_TRUE(settings.CopyFrom(&foreign, L"Other"));

    DialogCatcher dialogs;
    PrintDlg dialog(driver.Owner(), L"", settings);
    EXPECT_EQ(Run(dialog, {
                              [&](HWND d) { Press(d, IDC_PRINT_PROPERTIES); },
                              [&](HWND d) { Press(d, IDCANCEL); },
                          }),
              IDCANCEL);
    ASSERT_EQ(dialogs.seen.size(), 1u) << "the driver's properties";
    EXPECT_TRUE(dialogs.seen[0].ownedByPrintDialog);
    EXPECT_TRUE(settings.BelongsTo(defaultPrinter));
    EXPECT_STREQ(settings.Get()->dmDeviceName, defaultPrinter.c_str());
}

} // namespace
