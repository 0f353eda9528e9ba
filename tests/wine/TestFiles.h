// Plain file helpers that do not go through the code under test.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline std::wstring Extended(const std::wstring& path) {
    return path.size() < MAX_PATH ? path : L"\\\\?\\" + path;
}

inline bool WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    const HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
}

// Shares everything: a program saving the file meanwhile must not fail for it.
inline std::optional<Bytes> ReadFileBytes(const std::wstring& path) {
    const HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    Bytes bytes(static_cast<std::size_t>(GetFileSize(file, nullptr)));
    DWORD read = 0;
    const bool ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &read, nullptr) &&
                                      read == bytes.size());
    CloseHandle(file);
    return ok ? std::optional<Bytes>(bytes) : std::nullopt;
}

inline bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// When the file was last written, as a FILETIME count; 0 when there is no file.
inline ULONGLONG LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Extended(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

// Names in a folder, sorted, without "." and "..".
inline std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Extended(folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

inline void RemoveTree(const std::wstring& path) {
    const std::wstring ext = Extended(path);
    const DWORD attributes = GetFileAttributesW(ext.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const auto& name : ListFolder(path)) {
            RemoveTree(path + L"\\" + name);
        }
        RemoveDirectoryW(ext.c_str());
    } else {
        SetFileAttributesW(ext.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(ext.c_str());
    }
}
