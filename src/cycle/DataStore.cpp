#include "cycle/DataStore.h"

#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"
#include "framework/Handle.h"

namespace {

// Larger files are not taken into memory; such a file counts as unreadable and
// is never overwritten.
constexpr std::int64_t kMaxFileSize = std::int64_t{1} << 30;
// How many numbered names (".damaged.1", ...) are tried before giving up.
constexpr int kMaxNumberedNames = 1000;

// The data path fits in MAX_PATH, but the names made beside it may not: those
// are given in the extended form that has no such limit.
std::wstring Extended(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.starts_with(L"\\\\?\\")) {
        return path;
    }
    if (path.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + path.substr(2);
    }
    return L"\\\\?\\" + path;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsNameTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

std::wstring NumberedName(const std::wstring& base, int n) {
    return n == 0 ? base : base + L"." + std::to_wstring(n);
}

// Creates a new file under the first free name of base, base.1, base.2, ...,
// open for writing only by us. `name` receives the name taken.
HANDLE CreateNumbered(const std::wstring& base, std::wstring& name) {
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        name = NumberedName(base, n);
        const HANDLE file = CreateFileW(Extended(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || !IsNameTaken(GetLastError())) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

bool ReadAll(HANDLE file, std::vector<std::uint8_t>& bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > kMaxFileSize) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr)) {
            return false;
        }
        if (got == 0) {
            break; // shrank while we read: take what is there
        }
        done += got;
    }
    bytes.resize(done);
    return true;
}

bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                       nullptr) ||
            wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

// Whether the old file may be replaced: not read-only, and not open elsewhere
// without sharing. Asked first, so that a refused save writes nothing at all.
bool MayReplace(const std::wstring& target) {
    win::File file(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

// Puts `bytes` under `target` so that at every moment either the old file or the
// complete new one is there: write and flush a temporary file in the same
// folder, then swap it in.
bool WriteReplacing(const std::wstring& target, const std::vector<std::uint8_t>& bytes) {
    const std::wstring targetExt = Extended(target);
    const bool replacing = Exists(target);
    if (replacing && !MayReplace(targetExt)) {
        return false;
    }
    std::wstring temp;
    win::File file(CreateNumbered(target + L".tmp", temp));
    if (!file) {
        return false;
    }
    const std::wstring tempExt = Extended(temp);
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Reset()) {
        file.Reset();
        DeleteFileW(tempExt.c_str());
        return false;
    }
    if (replacing) {
        // Keeps the old file's attributes and security, and fails on a read-only
        // or locked file without touching it.
        if (ReplaceFileW(targetExt.c_str(), tempExt.c_str(), nullptr,
                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            return true;
        }
        const DWORD error = GetLastError();
        if ((error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
             error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) &&
            !Exists(target)) {
            // The old file is gone already: the temporary file is now the only
            // copy, so it stays if it cannot take the name.
            return MoveFileExW(tempExt.c_str(), targetExt.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        }
    } else if (MoveFileExW(tempExt.c_str(), targetExt.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(tempExt.c_str());
    return false;
}

} // namespace

std::wstring ResolveDataPath(HRESULT folderResult, const std::wstring& folder,
                             const std::wstring& modulePath) {
    std::wstring path;
    if (folderResult == S_OK && !folder.empty()) {
        path = folder;
        if (path.back() != L'\\') {
            path += L'\\';
        }
        path += L"Lunabel.data";
    } else if (!modulePath.empty()) {
        path = modulePath + L".data";
    }
    // Cut short, it would name another file.
    if (path.size() >= MAX_PATH) {
        path.clear();
    }
    return path;
}

std::wstring LocateDataFile() {
    wchar_t folder[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    std::wstring modulePath;
    if (result != S_OK) {
        wchar_t module[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
        // A full buffer means the name was cut short.
        if (length > 0 && length < MAX_PATH) {
            modulePath.assign(module, length);
        }
    }
    return ResolveDataPath(result, result == S_OK ? std::wstring(folder) : std::wstring(),
                           modulePath);
}

LoadOutcome DataStore::Load(CalendarData& data) {
    data.ClearMarks();
    damagedCopy_.clear();
    unsavedPath_.clear();
    if (path_.empty()) {
        return outcome_ = LoadOutcome::NoPath;
    }
    win::File file(CreateFileW(Extended(path_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return outcome_ = missing ? LoadOutcome::NoFile : LoadOutcome::Unreadable;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadAll(file.Get(), bytes)) {
        return outcome_ = LoadOutcome::Unreadable;
    }
    const auto result = datafile::Decode(bytes.data(), bytes.size(), data);
    return outcome_ =
               result == datafile::DecodeResult::Ok ? LoadOutcome::Loaded : LoadOutcome::Damaged;
}

bool DataStore::KeepDamagedFile() {
    const std::wstring source = Extended(path_);
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        const std::wstring name = NumberedName(path_ + L".damaged", n);
        if (CopyFileW(source.c_str(), Extended(name).c_str(), TRUE)) {
            damagedCopy_ = name;
            return true;
        }
        if (!IsNameTaken(GetLastError())) {
            return false;
        }
    }
    return false;
}

bool DataStore::ChooseUnsavedName() {
    // Taking the name by creating the file keeps two runs from choosing the same.
    win::File file(CreateNumbered(path_ + L".unsaved", unsavedPath_));
    if (!file) {
        unsavedPath_.clear();
    }
    return static_cast<bool>(file);
}

bool DataStore::Save(const CalendarData& data) {
    if (path_.empty()) {
        return false;
    }
    const std::vector<std::uint8_t> bytes = datafile::Encode(data);
    if (outcome_ == LoadOutcome::Unreadable) {
        // Whatever is in the file was never seen: leave it and write beside it.
        const bool claimedNow = unsavedPath_.empty();
        if (claimedNow && !ChooseUnsavedName()) {
            return false;
        }
        if (!WriteReplacing(unsavedPath_, bytes)) {
            if (claimedNow) {
                DeleteFileW(Extended(unsavedPath_).c_str());
                unsavedPath_.clear();
            }
            return false;
        }
        savedTo_ = unsavedPath_;
        return true;
    }
    if (outcome_ == LoadOutcome::Damaged && damagedCopy_.empty() && Exists(path_) &&
        !KeepDamagedFile()) {
        return false;
    }
    if (!WriteReplacing(path_, bytes)) {
        return false;
    }
    savedTo_ = path_;
    return true;
}
