// Every language the program carries has every text English has: each string
// with the same blanks and the language's own number of plural forms, each
// dialog with the same controls, and access keys that do not clash.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "WindowText.h"
#include "resource.h"

namespace {

struct Language {
    LANGID id;
    const wchar_t* code; // what its IDS_LANGUAGE says
    int pluralForms;
};

const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Neutral sublanguages, so that every region of a language gets its table.
const Language kLanguages[] = {
    {kEnglish, L"en", 2},
    {MAKELANGID(LANG_GERMAN, SUBLANG_NEUTRAL), L"de", 2},
    {MAKELANGID(LANG_FRENCH, SUBLANG_NEUTRAL), L"fr", 2},
    {MAKELANGID(LANG_SPANISH, SUBLANG_NEUTRAL), L"es", 2},
    {MAKELANGID(LANG_ITALIAN, SUBLANG_NEUTRAL), L"it", 2},
    {MAKELANGID(LANG_PORTUGUESE, SUBLANG_NEUTRAL), L"pt", 2},
    {MAKELANGID(LANG_POLISH, SUBLANG_NEUTRAL), L"pl", 3},
};

const int kDialogs[] = {IDD_ABOUT, IDD_SETTINGS, IDD_HELP, IDD_PRINT, IDD_CYCLE_HISTORY};

// The pictures with words in them: the background's tagline, the dialogs' titles.
const wchar_t* const kPicturesWithWords[] = {L"APP-BG", L"DLG_SETTINGS", L"DLG_PRINT", L"DLG_HELP",
                                             L"DLG_ABOUT"};

// Texts shown together, whose access keys must differ: the context menu (it
// holds either the mark or the remove item) and the history's controls.
const std::vector<std::vector<UINT>> kAccessKeyGroups = {
    {IDS_MENU_MARK, IDS_MENU_TODAY, IDS_MENU_CYCLE_HISTORY, IDS_MENU_SETTINGS, IDS_MENU_PRINT,
     IDS_MENU_HELP, IDS_MENU_ABOUT, IDS_MENU_EXIT},
    {IDS_MENU_REMOVE_MARK, IDS_MENU_TODAY, IDS_MENU_CYCLE_HISTORY, IDS_MENU_SETTINGS,
     IDS_MENU_PRINT, IDS_MENU_HELP, IDS_MENU_ABOUT, IDS_MENU_EXIT},
    {IDS_HISTORY_CYCLES_LABEL, IDS_HISTORY_USE, IDS_HISTORY_FOLLOW, IDS_HISTORY_PRINT,
     IDS_HISTORY_EXPORT, IDS_HISTORY_IMPORT},
    {IDS_HISTORY_CYCLES_LABEL, IDS_HISTORY_USE_NONE, IDS_HISTORY_FOLLOW, IDS_HISTORY_PRINT,
     IDS_HISTORY_EXPORT, IDS_HISTORY_IMPORT},
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// The blanks %1 .. %9 a text fills in, over all its forms.
std::set<wchar_t> Blanks(const std::wstring& text) {
    std::set<wchar_t> blanks;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'%' && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
            blanks.insert(text[i + 1]);
        }
    }
    return blanks;
}

// The letter after the single & of a text, lower case; 0 without one.
wchar_t AccessKey(const std::wstring& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&' && text[i + 1] != L'&') {
            return static_cast<wchar_t>(std::towlower(text[i + 1]));
        }
        if (text[i] == L'&') {
            ++i;
        }
    }
    return 0;
}

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t path[MAX_PATH] = L"";
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path);
        program.erase(program.find_last_of(L"\\/") + 1);
        module = ::LoadLibraryExW((program + L"lunabel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "error " << ::GetLastError();
    }
    void TearDown() override {
        if (module) {
            ::FreeLibrary(module);
        }
    }

    const void* Find(const wchar_t* type, UINT id, LANGID language, DWORD* size = nullptr) const {
        const HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        if (!found) {
            return nullptr;
        }
        if (size) {
            *size = ::SizeofResource(module, found);
        }
        return ::LockResource(::LoadResource(module, found));
    }

    // Every string of one language's table, by id.
    std::map<UINT, std::wstring> Strings(LANGID language) const {
        std::map<UINT, std::wstring> strings;
        for (const UINT block : StringBlocks()) {
            DWORD size = 0;
            const auto* data = static_cast<const WCHAR*>(Find(RT_STRING, block, language, &size));
            if (!data) {
                continue;
            }
            const WCHAR* end = data + size / sizeof(WCHAR);
            for (UINT i = 0; i < 16 && data < end; ++i) {
                const UINT length = *data++;
                if (length > 0) {
                    strings[(block - 1) * 16 + i] = std::wstring(data, length);
                }
                data += length;
            }
        }
        return strings;
    }

    // The languages one resource comes in.
    std::set<LANGID> LanguagesOf(const wchar_t* type, const wchar_t* name) const {
        std::set<LANGID> found;
        ::EnumResourceLanguagesW(
            module, type, name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
                reinterpret_cast<std::set<LANGID>*>(param)->insert(language);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&found));
        return found;
    }

    static std::set<LANGID> AllLanguages() {
        std::set<LANGID> all;
        for (const Language& language : kLanguages) {
            all.insert(language.id);
        }
        return all;
    }

    std::vector<UINT> StringBlocks() const {
        std::vector<UINT> blocks;
        ::EnumResourceNamesW(
            module, RT_STRING,
            [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
                reinterpret_cast<std::vector<UINT>*>(param)->push_back(
                    static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&blocks));
        return blocks;
    }

    struct Control {
        int id;
        std::wstring className;
        std::wstring text;
        friend bool operator==(const Control&, const Control&) = default;
    };

    // The controls of one language's dialog, made from its own template.
    std::vector<Control> DialogControls(int dialogId, LANGID language) const {
        const auto* dialogTemplate =
            static_cast<const DLGTEMPLATE*>(Find(RT_DIALOG, dialogId, language));
        if (!dialogTemplate) {
            return {};
        }
        const HWND dialog = ::CreateDialogIndirectParamW(
            module, dialogTemplate, nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return 0; }, 0);
        std::vector<Control> controls;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            controls.push_back({::GetDlgCtrlID(child), ClassOf(child), WindowText(child)});
        }
        ::DestroyWindow(dialog);
        return controls;
    }

    HMODULE module = nullptr;
};

} // namespace

TEST_F(ProgramResources, CarriesExactlyItsLanguagesEachNamingItself) {
    for (const Language& language : kLanguages) {
        EXPECT_EQ(Strings(language.id)[IDS_LANGUAGE], language.code);
    }
    EXPECT_EQ(LanguagesOf(RT_STRING, MAKEINTRESOURCEW(IDS_LANGUAGE / 16 + 1)), AllLanguages());
}

TEST_F(ProgramResources, EveryLanguageHasItsOwnPicturesWithWords) {
    for (const wchar_t* picture : kPicturesWithWords) {
        EXPECT_EQ(LanguagesOf(L"IMAGES", picture), AllLanguages()) << Utf8(picture);
    }
}

TEST_F(ProgramResources, EveryLanguageHasEveryStringWithItsBlanksAndPluralForms) {
    const std::map<UINT, std::wstring> english = Strings(kEnglish);
    ASSERT_GT(english.size(), 100u);
    for (const Language& language : kLanguages) {
        const std::map<UINT, std::wstring> strings = Strings(language.id);
        for (const auto& [id, text] : english) {
            SCOPED_TRACE(testing::Message() << Utf8(language.code) << " string " << id);
            const auto found = strings.find(id);
            if (found == strings.end()) {
                ADD_FAILURE() << "missing";
                continue;
            }
            const std::wstring& translation = found->second;
            EXPECT_EQ(Blanks(translation), Blanks(text)) << Utf8(translation);
            const std::size_t englishForms = Split(text, L'|').size();
            const std::size_t forms = Split(translation, L'|').size();
            EXPECT_EQ(forms, englishForms == 1 ? 1u : std::size_t(language.pluralForms))
                << Utf8(translation);
            EXPECT_EQ(AccessKey(translation) != 0, AccessKey(text) != 0) << Utf8(translation);
        }
        EXPECT_EQ(strings.size(), english.size())
            << Utf8(language.code) << ": strings English lacks";
    }
}

TEST_F(ProgramResources, AccessKeysShownTogetherDiffer) {
    for (const Language& language : kLanguages) {
        const std::map<UINT, std::wstring> strings = Strings(language.id);
        for (const auto& group : kAccessKeyGroups) {
            std::map<wchar_t, UINT> taken;
            for (const UINT id : group) {
                const auto text = strings.find(id);
                ASSERT_NE(text, strings.end()) << Utf8(language.code) << " string " << id;
                for (const std::wstring& form : Split(text->second, L'|')) {
                    const wchar_t key = AccessKey(form);
                    const auto [other, added] = taken.emplace(key, id);
                    EXPECT_TRUE(added || other->second == id)
                        << Utf8(language.code) << ": strings " << other->second << " and " << id
                        << " share the key " << Utf8(std::wstring(1, key));
                }
            }
        }
    }
}

TEST_F(ProgramResources, EveryLanguageHasEveryDialogWithTheSameControls) {
    for (const int dialogId : kDialogs) {
        const std::vector<Control> english = DialogControls(dialogId, kEnglish);
        ASSERT_FALSE(english.empty()) << "dialog " << dialogId;
        for (const Language& language : kLanguages) {
            SCOPED_TRACE(testing::Message() << Utf8(language.code) << " dialog " << dialogId);
            const std::vector<Control> controls = DialogControls(dialogId, language.id);
            ASSERT_EQ(controls.size(), english.size());
            std::set<wchar_t> keys;
            for (std::size_t i = 0; i < controls.size(); ++i) {
                EXPECT_EQ(controls[i].id, english[i].id);
                EXPECT_EQ(controls[i].className, english[i].className);
                EXPECT_EQ(controls[i].text.empty(), english[i].text.empty())
                    << Utf8(english[i].text);
                if (const wchar_t key = AccessKey(controls[i].text)) {
                    EXPECT_TRUE(keys.insert(key).second) << Utf8(controls[i].text);
                }
            }
        }
    }
}
