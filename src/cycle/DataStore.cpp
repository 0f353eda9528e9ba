#include "cycle/DataStore.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <string_view>
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
// Pauses of 10, 20, ... 640 ms between the tries: 1.27 s in all.
constexpr int kRenameAttempts = 8;

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

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
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

// File names compare without regard to case.
bool SameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool StartsWithName(std::wstring_view name, std::wstring_view prefix) {
    return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

// `base` itself or "base.N": the names CreateNumbered gives.
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

struct FolderEntry {
    std::wstring path;
    FILETIME lastWrite;
};

// Files of `folder` whose names start with `prefix`. The pattern alone could
// also match short 8.3 names of other files, so each long name is checked.
std::vector<FolderEntry> FilesStartingWith(const std::wstring& folder, const std::wstring& prefix) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW found{};
    win::FindHandle search(FindFirstFileW(Extended(folder + prefix + L"*").c_str(), &found));
    if (!search) {
        return entries;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            StartsWithName(found.cFileName, prefix)) {
            entries.push_back({folder + found.cFileName, found.ftLastWriteTime});
        }
    } while (FindNextFileW(search.Get(), &found));
    return entries;
}

// Creates a new file under the first free name of base, base.1, base.2, ...,
// open for writing only by us. `name` receives the name taken.
win::File CreateNumbered(const std::wstring& base, std::wstring& name) {
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        name = NumberedName(base, n);
        win::File file(CreateFileW(Extended(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || !IsNameTaken(GetLastError())) {
            return file;
        }
    }
    return win::File();
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

enum class ReadOutcome { Read, Missing, Unreadable };

ReadOutcome ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes,
                          DWORD& error) {
    win::File file(CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? ReadOutcome::Missing : ReadOutcome::Unreadable;
    }
    if (!ReadAll(file.Get(), bytes)) {
        error = GetLastError();
        return ReadOutcome::Unreadable;
    }
    return ReadOutcome::Read;
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

// Writes, flushes and closes; the system's error code, or 0.
DWORD WriteFlushClose(win::File& file, const std::vector<std::uint8_t>& bytes) {
    if (WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get()) && file.Reset()) {
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    file.Reset();
    return error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error;
}

SaveResult Failed(const std::wstring& file, DWORD error) {
    return {false, error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error, file};
}

// Whether the old file may be replaced: not read-only, and not open elsewhere
// without sharing. Asked first, because Wine renames over a read-only file
// (and opens it for writing when run as root) where Windows refuses. The
// system's error code, or 0.
DWORD CheckReplaceable(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return ERROR_ACCESS_DENIED;
    }
    win::File file(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ERROR_SUCCESS : GetLastError();
}

// Renames `from` over `to` in one step. The system refuses to replace a file
// that someone has open, even one who shares it: a virus scanner, an indexer
// or a backup reading the data file just then. They let go within moments, so
// the rename is tried again for a little over a second before it counts as
// failed. The system's error code, or 0.
DWORD RenameOver(const std::wstring& from, const std::wstring& to) {
    DWORD pause = 10;
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                          error == ERROR_LOCK_VIOLATION;
        if (!busy || attempt == kRenameAttempts) {
            return error;
        }
        Sleep(pause);
        pause *= 2;
    }
}

// Puts `bytes` under `target` so that at every moment either the old file or the
// complete new one is there: a temporary file named from `temporaryBase` in the
// same folder is written and flushed, then renamed over the target in one step.
SaveResult WriteReplacing(const std::wstring& target, const std::vector<std::uint8_t>& bytes,
                          const std::wstring& temporaryBase) {
    const std::wstring targetExt = Extended(target);
    if (Exists(target)) {
        if (const DWORD error = CheckReplaceable(targetExt)) {
            return Failed(target, error);
        }
    }
    std::wstring temp;
    win::File file = CreateNumbered(temporaryBase, temp);
    if (!file) {
        return Failed(target, GetLastError());
    }
    const std::wstring tempExt = Extended(temp);
    DWORD error = WriteFlushClose(file, bytes);
    if (error == ERROR_SUCCESS) {
        error = RenameOver(tempExt, targetExt);
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(tempExt.c_str());
        return Failed(target, error);
    }
    return {true, ERROR_SUCCESS, target};
}

// A new file under the first free name of base, base.1, ..., holding `bytes`.
SaveResult WriteNewFile(const std::wstring& base, const std::vector<std::uint8_t>& bytes) {
    std::wstring name;
    win::File file = CreateNumbered(base, name);
    if (!file) {
        return Failed(base, GetLastError());
    }
    if (const DWORD error = WriteFlushClose(file, bytes)) {
        DeleteFileW(Extended(name).c_str());
        return Failed(name, error);
    }
    return {true, ERROR_SUCCESS, name};
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
    loadError_ = ERROR_SUCCESS;
    recoveredFrom_.clear();
    startBytes_.clear();
    backupMade_ = false;
    temporariesCleared_ = false;
    damagedCopy_.clear();
    unsavedPath_.clear();
    if (path_.empty()) {
        return outcome_ = LoadOutcome::NoPath;
    }
    Bytes bytes;
    switch (ReadWholeFile(path_, bytes, loadError_)) {
    case ReadOutcome::Missing:
        outcome_ = LoadOutcome::NoFile;
        break;
    case ReadOutcome::Unreadable:
        return outcome_ = LoadOutcome::Unreadable;
    case ReadOutcome::Read:
        outcome_ = datafile::Decode(bytes.data(), bytes.size(), data) == datafile::DecodeResult::Ok
                       ? LoadOutcome::Loaded
                       : LoadOutcome::Damaged;
        break;
    }
    if (outcome_ == LoadOutcome::Loaded) {
        startBytes_ = std::move(bytes);
        // The file holds a whole state: whatever a save cut short left is of no use.
        ClearTemporaries();
        temporariesCleared_ = true;
        return outcome_;
    }
    Recover(data);
    return outcome_;
}

bool DataStore::Recover(CalendarData& data) {
    const std::wstring folder = FolderOf(path_);
    const std::wstring temporaryName = NameOf(path_) + L".tmp";
    Bytes newest;
    FILETIME newestTime{};
    for (const FolderEntry& entry : FilesStartingWith(folder, temporaryName)) {
        if (!IsNumberedName(NameOf(entry.path), temporaryName) ||
            (!recoveredFrom_.empty() && CompareFileTime(&entry.lastWrite, &newestTime) <= 0)) {
            continue;
        }
        Bytes bytes;
        DWORD error = ERROR_SUCCESS;
        if (ReadWholeFile(entry.path, bytes, error) != ReadOutcome::Read ||
            !datafile::IsWriterForm(bytes.data(), bytes.size())) {
            continue;
        }
        newest = std::move(bytes);
        newestTime = entry.lastWrite;
        recoveredFrom_ = entry.path;
    }
    if (recoveredFrom_.empty()) {
        return false;
    }
    datafile::Decode(newest.data(), newest.size(), data);
    return true;
}

void DataStore::ClearTemporaries() const {
    for (const FolderEntry& entry : FilesStartingWith(FolderOf(path_), NameOf(path_) + L".tmp")) {
        DeleteFileW(Extended(entry.path).c_str());
    }
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
    win::File file = CreateNumbered(path_ + L".unsaved", unsavedPath_);
    if (!file) {
        unsavedPath_.clear();
    }
    return static_cast<bool>(file);
}

std::wstring DataStore::SaveTarget() const {
    if (outcome_ != LoadOutcome::Unreadable) {
        return path_;
    }
    const std::wstring base = path_ + L".unsaved";
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        if (!Exists(NumberedName(base, n))) {
            return NumberedName(base, n);
        }
    }
    return base;
}

SaveResult DataStore::Save(const CalendarData& data) {
    return Save(datafile::Encode(data));
}

SaveResult DataStore::Save(const Bytes& bytes) {
    if (path_.empty()) {
        return Failed(path_, ERROR_BAD_PATHNAME);
    }
    const std::wstring temporaryBase = path_ + L".tmp";
    if (outcome_ == LoadOutcome::Unreadable) {
        // Whatever is in the file was never seen: leave it and write beside it.
        const bool claimedNow = unsavedPath_.empty();
        if (claimedNow && !ChooseUnsavedName()) {
            return Failed(path_ + L".unsaved", GetLastError());
        }
        const SaveResult result = WriteReplacing(unsavedPath_, bytes, temporaryBase);
        if (result.saved) {
            savedTo_ = unsavedPath_;
        } else if (claimedNow) {
            DeleteFileW(Extended(unsavedPath_).c_str());
            unsavedPath_.clear();
        }
        return result;
    }
    if (outcome_ == LoadOutcome::Damaged && damagedCopy_.empty() && Exists(path_) &&
        !KeepDamagedFile()) {
        return Failed(path_, GetLastError());
    }
    // Only a file that was read whole is worth keeping: a damaged one is kept as
    // ".damaged", and an older backup is better than none.
    if (outcome_ == LoadOutcome::Loaded && !backupMade_ &&
        WriteReplacing(path_ + L".bak", startBytes_, temporaryBase).saved) {
        backupMade_ = true;
        startBytes_ = Bytes();
    }
    const SaveResult result = WriteReplacing(path_, bytes, temporaryBase);
    if (!result.saved) {
        return result;
    }
    savedTo_ = path_;
    if (!temporariesCleared_) {
        ClearTemporaries();
        temporariesCleared_ = true;
    }
    return result;
}

SaveResult DataStore::KeepUnsavedCopy(const Bytes& bytes) const {
    const std::wstring name = path_.empty() ? L"Lunabel.data" : NameOf(path_);
    SaveResult beside = path_.empty() ? Failed(path_, ERROR_BAD_PATHNAME)
                                      : WriteNewFile(path_ + L".unsaved", bytes);
    if (beside.saved) {
        return beside;
    }
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        return beside;
    }
    const SaveResult elsewhere =
        WriteNewFile(std::wstring(temp, length) + name + L".unsaved", bytes);
    return elsewhere.saved ? elsewhere : beside;
}

std::vector<UnsavedCopy> FindUnsavedCopies(const std::wstring& dataPath) {
    std::vector<UnsavedCopy> copies;
    if (dataPath.empty()) {
        return copies;
    }
    const std::wstring base = NameOf(dataPath) + L".unsaved";
    for (FolderEntry& entry : FilesStartingWith(FolderOf(dataPath), base)) {
        if (IsNumberedName(NameOf(entry.path), base)) {
            copies.push_back({std::move(entry.path), entry.lastWrite});
        }
    }
    std::sort(copies.begin(), copies.end(), [](const UnsavedCopy& a, const UnsavedCopy& b) {
        return CompareFileTime(&a.saved, &b.saved) < 0;
    });
    return copies;
}

bool ReadDataCopy(const std::wstring& path, CalendarData& data) {
    std::vector<std::uint8_t> bytes;
    DWORD error = ERROR_SUCCESS;
    return ReadWholeFile(path, bytes, error) == ReadOutcome::Read &&
           datafile::Decode(bytes.data(), bytes.size(), data) == datafile::DecodeResult::Ok;
}

bool DeclineUnsavedCopy(const std::wstring& dataPath, const std::wstring& copy) {
    const std::wstring source = Extended(copy);
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        const std::wstring name = NumberedName(dataPath + L".declined", n);
        if (MoveFileExW(source.c_str(), Extended(name).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        if (!IsNameTaken(GetLastError())) {
            return false;
        }
    }
    return false;
}
