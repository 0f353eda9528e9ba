// The documents the PDF print queue writes: found by their title once
// finished, read and removed again. Shared by the printing tests and the
// print benchmark.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace pdf_queue {

// cups-pdf writes to ~/PDF of the user running Wine, named after the title
// with every character but letters and digits turned into '_'.
inline std::wstring PdfFolder() {
    const char* home = std::getenv("HOME");
    std::wstring folder = L"Z:";
    for (const char* c = home ? home : "/root"; *c; ++c) {
        folder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    return folder + L"\\PDF";
}

inline std::wstring PdfNamePrefix(const std::wstring& title) {
    std::wstring prefix;
    for (wchar_t c : title) {
        prefix += ::IsCharAlphaNumericW(c) ? c : L'_';
    }
    return prefix;
}

inline std::string ReadAll(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        read = 0;
    }
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// The writer ends a document with its %%EOF marker: before it, the file is
// still being written.
inline bool IsCompletePdf(const std::string& bytes) {
    const auto end = bytes.find_last_not_of(" \r\n");
    return bytes.rfind("%PDF", 0) == 0 && end != std::string::npos && end >= 4 &&
           bytes.compare(end - 4, 5, "%%EOF") == 0;
}

// The finished PDFs whose names start with `title`'s.
inline std::vector<std::wstring> FinishedPdfs(const std::wstring& title) {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    const std::wstring folder = PdfFolder();
    const HANDLE search =
        ::FindFirstFileW((folder + L"\\" + PdfNamePrefix(title) + L"*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return paths;
    }
    do {
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (IsCompletePdf(ReadAll(path))) {
            paths.push_back(path);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return paths;
}

// Waits (bounded) for the queue to finish a document `title` that is not
// among `known`; its path, or none when it never comes.
inline std::optional<std::wstring> WaitForPdf(const std::wstring& title,
                                              const std::vector<std::wstring>& known = {},
                                              DWORD limitMs = 60000) {
    const ULONGLONG deadline = ::GetTickCount64() + limitMs;
    for (;;) {
        for (const std::wstring& path : FinishedPdfs(title)) {
            if (std::find(known.begin(), known.end(), path) == known.end()) {
                return path;
            }
        }
        if (::GetTickCount64() > deadline) {
            return std::nullopt;
        }
        ::Sleep(50);
    }
}

inline void RemovePdfs(const std::wstring& title) {
    for (const std::wstring& path : FinishedPdfs(title)) {
        ::DeleteFileW(path.c_str());
    }
}

} // namespace pdf_queue
