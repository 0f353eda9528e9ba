#include "files/FileNames.h"

#include <algorithm>
#include <cwctype>

namespace files {

namespace {
constexpr int kReplaceAttempts = 10;
constexpr unsigned kFirstPause = 10;
constexpr unsigned kLongestPause = 500;

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i])) {
            return false;
        }
    }
    return true;
}
} // namespace

std::wstring NumberedName(const std::wstring& base, int n) {
    return n == 0 ? base : base + L"." + std::to_wstring(n);
}

bool StartsWithName(std::wstring_view name, std::wstring_view prefix) {
    return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

bool IsNumberedName(std::wstring_view name, std::wstring_view base) {
    if (!StartsWithName(name, base)) {
        return false;
    }
    const std::wstring_view rest = name.substr(base.size());
    if (rest.empty()) {
        return true;
    }
    return rest.size() > 1 && rest[0] == L'.' &&
           rest.find_first_not_of(L"0123456789", 1) == std::wstring_view::npos;
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ExtendedPath(const std::wstring& path) {
    if (path.size() < kShortPathLimit || path.starts_with(L"\\\\?\\")) {
        return path;
    }
    if (path.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + path.substr(2);
    }
    return L"\\\\?\\" + path;
}

unsigned ReplaceRetryPause(int attempt) {
    if (attempt < 1 || attempt >= kReplaceAttempts) {
        return 0;
    }
    return std::min(kFirstPause << (attempt - 1), kLongestPause);
}

} // namespace files
