#include "history/HistoryFiles.h"

#include <cwctype>

#include "framework/Handle.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace {

DWORD WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return ::GetLastError();
        }
        bytes.remove_prefix(written);
    }
    return ::FlushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

DWORD WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    const std::wstring partial = path + L".partial";
    DWORD error = ERROR_SUCCESS;
    {
        win::File file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return ::GetLastError();
        }
        error = WriteAll(file.Get(), bytes);
        if (!file.Reset() && error == ERROR_SUCCESS) {
            error = ::GetLastError();
        }
    }
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(partial.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(partial.c_str());
    }
    return error;
}

FileContents ReadWholeFile(const std::wstring& path, std::size_t limit) {
    FileContents contents;
    win::File file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        contents.error = ::GetLastError();
        return contents;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        contents.error = ::GetLastError();
        return contents;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        contents.tooLarge = true;
        return contents;
    }
    contents.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < contents.bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.Get(), contents.bytes.data() + done,
                        static_cast<DWORD>(contents.bytes.size() - done), &read, nullptr)) {
            contents.error = ::GetLastError();
            contents.bytes.clear();
            return contents;
        }
        if (read == 0) {
            break; // the file shrank while it was read: take what is there
        }
        done += read;
    }
    contents.bytes.resize(done);
    return contents;
}
