// What Windows and Explorer read from lunabel.exe before it runs: the manifest
// (themed controls, no elevation prompt, scaling on high-DPI screens), the
// version shown in the file's properties, and the icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resource.h"

namespace {

// The manifest Windows reads when it creates the process.
const wchar_t* const kManifestId = MAKEINTRESOURCEW(1);

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program.erase(program.find_last_of(L"\\/") + 1);
    return program + L"lunabel.exe";
}

// The program's file loaded for its resources only.
class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        module = ::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "error " << ::GetLastError();
    }
    void TearDown() override {
        if (module != nullptr) {
            ::FreeLibrary(module);
        }
    }

    std::string ResourceBytes(const wchar_t* name, const wchar_t* type) {
        const HRSRC found = ::FindResourceW(module, name, type);
        if (found == nullptr) {
            return {};
        }
        const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        return data ? std::string(data, ::SizeofResource(module, found)) : std::string();
    }

    HMODULE module = nullptr;
};

// Runs of white space become one space, so line breaks do not matter.
std::string Collapsed(const std::string& text) {
    std::string out;
    for (char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!space) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    return out;
}

} // namespace

TEST_F(ProgramFile, ManifestIsOneWindowsAccepts) {
    ACTCTXW request{};
    request.cbSize = sizeof request;
    const std::wstring path = ProgramPath();
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = kManifestId;
    const HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();

    // Within it, the common controls come from the version 6 assembly.
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(::ActivateActCtx(context, &cookie));
    ACTCTX_SECTION_KEYED_DATA found{};
    found.cbSize = sizeof found;
    EXPECT_TRUE(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                           L"comctl32.dll", &found));
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(context);
}

TEST_F(ProgramFile, ManifestAsksForWhatTheProgramNeeds) {
    const std::string manifest = Collapsed(ResourceBytes(kManifestId, RT_MANIFEST));
    ASSERT_FALSE(manifest.empty()) << "no manifest";
    const char* wanted[] = {
        R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
        R"(level="asInvoker")",
        // Windows 10 and 11.
        R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)",
        // Laid out for each screen's scale by the program itself.
        R"(<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>)",
        R"(<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2, PerMonitor</dpiAwareness>)",
        R"(<gdiScaling xmlns="http://schemas.microsoft.com/SMI/2017/WindowsSettings">false</gdiScaling>)",
    };
    for (const char* fragment : wanted) {
        EXPECT_NE(manifest.find(fragment), std::string::npos) << fragment;
    }
}

TEST_F(ProgramFile, VersionIsOnePointZero) {
    const std::wstring path = ProgramPath();
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << "no version resource";
    ASSERT_TRUE(
        ::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_GE(size, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // US English, Unicode: where Explorer looks first.
    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &size));
    ASSERT_GE(size, 4u);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"ProductName", L"Lunabel"},  {L"ProductVersion", L"1.0"},
        {L"FileVersion", L"1.0.0.0"},  {L"FileDescription", L"Lunabel menstrual calendar"},
        {L"InternalName", L"lunabel"}, {L"OriginalFilename", L"lunabel.exe"},
    };
    for (const auto& expected : strings) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + expected.name;
        wchar_t* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            ::VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            << "no " << std::string(key.begin(), key.end());
        EXPECT_EQ(std::wstring(value), expected.value);
    }
    for (const wchar_t* name : {L"CompanyName", L"LegalCopyright"}) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        wchar_t* value = nullptr;
        UINT length = 0;
        EXPECT_TRUE(
            ::VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) &&
            length > 1)
            << "no " << std::string(key.begin(), key.end());
    }
}

namespace {

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    *reinterpret_cast<ULONG_PTR*>(param) = reinterpret_cast<ULONG_PTR>(name);
    return FALSE;
}

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colors;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

} // namespace

// Explorer shows the first icon group of the file.
TEST_F(ProgramFile, FirstIconGroupIsTheProgramsIconInEverySizeExplorerUses) {
    ULONG_PTR first = 0;
    ::EnumResourceNamesW(module, RT_GROUP_ICON, TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    ASSERT_TRUE(IS_INTRESOURCE(first)) << "a named icon group comes first";
    EXPECT_EQ(first, static_cast<ULONG_PTR>(IDR_MAINFRAME));

    const std::string group = ResourceBytes(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_GE(group.size(), sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(group.data());
    ASSERT_GE(group.size(), sizeof *header + header->count * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    for (int size : {16, 32, 48}) {
        EXPECT_TRUE(std::any_of(entries, entries + header->count,
                                [&](const IconGroupEntry& e) { return e.width == size; }))
            << "no " << size << "x" << size << " icon";
    }
}
