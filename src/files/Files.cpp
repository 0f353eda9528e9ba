#include "files/Files.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "framework/Handle.h"
#include "framework/MessageWindow.h"
#include "framework/ResourceText.h"

namespace files {

namespace {

bool IsNameTaken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

win::File OpenForReading(const std::wstring& path) {
    // Others may go on writing: a file she imports may be open in her spreadsheet.
    return win::File(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Creates a new file under the first free name of base, base.1, base.2, ...,
// open for writing only by us. `name` receives the name taken.
win::File CreateNumbered(const std::wstring& base, std::wstring& name) {
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        name = NumberedName(base, n);
        win::File file(::CreateFileW(ExtendedPath(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || !IsNameTaken(::GetLastError())) {
            return file;
        }
    }
    return win::File();
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        bytes = bytes.subspan(wrote);
    }
    return true;
}

// Writes, flushes and closes; the system's error code, or 0.
DWORD WriteFlushClose(win::File& file, std::span<const std::uint8_t> bytes) {
    if (WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get()) && file.Reset()) {
        return ERROR_SUCCESS;
    }
    const DWORD error = ::GetLastError();
    file.Reset();
    return error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error;
}

SaveResult Failed(const std::wstring& file, DWORD error) {
    return {false, error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error, file};
}

bool IsBusy(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

bool IsReadOnlyAttribute(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// Whether another program holds the file open in a way that keeps it from
// being replaced. The system's error code, or 0. Opening it for deletion is
// refused exactly then; asked first, because Wine renames over a file open
// without sharing where Windows refuses.
DWORD CheckNotHeld(const std::wstring& target) {
    win::File file(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file || ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    return ::GetLastError();
}

// Renames `from` over `to` in one step, waiting for a program that holds `to`
// to let go (ReplaceRetryPause). The system's error code, or 0; a refusal
// because the file is held reads as a sharing violation, since "access is
// denied" would send her looking for a permission she has.
DWORD RenameOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        DWORD error = CheckNotHeld(to);
        if (error == ERROR_SUCCESS &&
            ::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return ERROR_SUCCESS;
        }
        if (error == ERROR_SUCCESS) {
            error = ::GetLastError();
        }
        const unsigned pause = ReplaceRetryPause(attempt);
        if (!IsBusy(error) || pause == 0) {
            if (error == ERROR_ACCESS_DENIED && CheckNotHeld(to) == ERROR_SHARING_VIOLATION) {
                return ERROR_SHARING_VIOLATION;
            }
            return error;
        }
        ::Sleep(pause);
    }
}

} // namespace

ReadResult ReadWhole(const std::wstring& path, std::uint64_t limit) {
    ReadResult result;
    const win::File file = OpenForReading(path);
    if (!file) {
        result.error = ::GetLastError();
        result.status = IsMissing(result.error) ? ReadStatus::Missing : ReadStatus::Unreadable;
        return result;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        result.error = ::GetLastError();
        result.status = ReadStatus::Unreadable;
        return result;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
        result.status = ReadStatus::TooLarge;
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < result.bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), result.bytes.data() + done,
                        static_cast<DWORD>(result.bytes.size() - done), &got, nullptr)) {
            result.error = ::GetLastError();
            result.status = ReadStatus::Unreadable;
            result.bytes.clear();
            return result;
        }
        if (got == 0) {
            break; // shrank while we read: take what is there
        }
        done += got;
    }
    result.bytes.resize(done);
    result.status = ReadStatus::Read;
    return result;
}

DWORD ReadInChunks(const std::wstring& path, std::size_t chunkSize, const ChunkSink& sink) {
    const win::File file = OpenForReading(path);
    if (!file) {
        return ::GetLastError();
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) {
        return ::GetLastError();
    }
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    Bytes chunk(std::max<std::size_t>(chunkSize, 1));
    std::uint64_t done = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got,
                        nullptr)) {
            return ::GetLastError();
        }
        if (got == 0) {
            return ERROR_SUCCESS;
        }
        done += got;
        if (!sink(std::span<const std::uint8_t>(chunk.data(), got), done, std::max(total, done))) {
            return ERROR_CANCELLED;
        }
    }
}

bool IsHeldElsewhere(std::uint32_t error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

SaveResult ReplaceWhole(const std::wstring& target, std::span<const std::uint8_t> bytes,
                        const std::wstring& temporaryBase) {
    const std::wstring targetExt = ExtendedPath(target);
    // Wine renames over a read-only file (and opens it for writing when run as
    // root) where Windows refuses.
    if (IsReadOnlyAttribute(targetExt)) {
        return Failed(target, ERROR_ACCESS_DENIED);
    }
    std::wstring temp;
    win::File file = CreateNumbered(temporaryBase, temp);
    if (!file) {
        return Failed(target, ::GetLastError());
    }
    const std::wstring tempExt = ExtendedPath(temp);
    DWORD error = WriteFlushClose(file, bytes);
    if (error == ERROR_SUCCESS) {
        error = RenameOver(tempExt, targetExt);
    }
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(tempExt.c_str());
        return Failed(target, error);
    }
    return {true, ERROR_SUCCESS, target};
}

SaveResult WriteNew(const std::wstring& base, std::span<const std::uint8_t> bytes) {
    std::wstring name;
    win::File file = CreateNumbered(base, name);
    if (!file) {
        return Failed(base, ::GetLastError());
    }
    if (const DWORD error = WriteFlushClose(file, bytes)) {
        ::DeleteFileW(ExtendedPath(name).c_str());
        return Failed(name, error);
    }
    return {true, ERROR_SUCCESS, name};
}

std::wstring ClaimNewName(const std::wstring& base) {
    std::wstring name;
    return CreateNumbered(base, name) ? name : std::wstring();
}

namespace {
// Tries `put` (copy or rename) to base, base.1, ... until it takes a free name:
// the name, or empty (GetLastError tells why).
template <typename Put> std::wstring PutUnderFirstFreeName(const std::wstring& base, Put put) {
    for (int n = 0; n < kMaxNumberedNames; ++n) {
        const std::wstring name = NumberedName(base, n);
        if (put(ExtendedPath(name))) {
            return name;
        }
        if (!IsNameTaken(::GetLastError())) {
            return std::wstring();
        }
    }
    return std::wstring();
}
} // namespace

std::wstring CopyToNew(const std::wstring& source, const std::wstring& base) {
    const std::wstring from = ExtendedPath(source);
    return PutUnderFirstFreeName(base, [&from](const std::wstring& to) {
        return ::CopyFileW(from.c_str(), to.c_str(), TRUE) != FALSE;
    });
}

std::wstring MoveToNew(const std::wstring& source, const std::wstring& base) {
    const std::wstring from = ExtendedPath(source);
    return PutUnderFirstFreeName(base, [&from](const std::wstring& to) {
        return ::MoveFileExW(from.c_str(), to.c_str(),
                             MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Remove(const std::wstring& path) {
    return ::DeleteFileW(ExtendedPath(path).c_str()) != 0;
}

bool IsReadOnly(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::optional<FoundFile> Find(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return FoundFile{path, data.ftLastWriteTime};
}

// The pattern alone could also match short 8.3 names of other files, so each
// long name is checked.
std::vector<FoundFile> FindStartingWith(const std::wstring& base) {
    std::vector<FoundFile> found;
    const std::wstring folder = FolderOf(base);
    const std::wstring prefix = NameOf(base);
    WIN32_FIND_DATAW entry{};
    win::FindHandle search(::FindFirstFileW(ExtendedPath(base + L"*").c_str(), &entry));
    if (!search) {
        return found;
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            StartsWithName(entry.cFileName, prefix)) {
            found.push_back({folder + entry.cFileName, entry.ftLastWriteTime});
        }
    } while (::FindNextFileW(search.Get(), &entry));
    return found;
}

std::vector<FoundFile> FindNumbered(const std::wstring& base) {
    std::vector<FoundFile> found = FindStartingWith(base);
    const std::wstring name = NameOf(base);
    std::erase_if(found,
                  [&](const FoundFile& file) { return !IsNumberedName(NameOf(file.path), name); });
    std::ranges::sort(found, [](const FoundFile& a, const FoundFile& b) {
        return ::CompareFileTime(&a.lastWrite, &b.lastWrite) < 0;
    });
    return found;
}

std::wstring TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = L"";
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        return std::wstring();
    }
    return std::wstring(temp, length);
}

std::wstring ErrorText(DWORD error) {
    return SystemErrorText(error);
}

struct BackgroundReplace::State {
    std::wstring target;
    Bytes bytes;
    std::wstring temporaryBase;
    Done done;
    SaveResult result;
    std::atomic<bool> finished{false};
    std::unique_ptr<MessageWindow> mailbox;
    std::thread writer;

    // Once, on the starting thread: from the mailbox or, when the owner lets
    // go first, from the destructor.
    void Tell() {
        if (writer.joinable()) {
            writer.join();
        }
        Done told = std::exchange(done, nullptr);
        if (told) {
            told(result);
        }
    }
};

BackgroundReplace::BackgroundReplace(std::wstring target, Bytes bytes, std::wstring temporaryBase,
                                     Done done)
    : state_(std::make_shared<State>()) {
    State& state = *state_;
    state.target = std::move(target);
    state.bytes = std::move(bytes);
    state.temporaryBase = std::move(temporaryBase);
    state.done = std::move(done);
    // The state stays alive while `done` runs, even if `done` lets go of its owner.
    auto mailbox =
        std::make_unique<MessageWindow>([weak = std::weak_ptr<State>(state_)](std::uintptr_t) {
            if (const std::shared_ptr<State> alive = weak.lock()) {
                alive->Tell();
            }
        });
    if (mailbox->Create()) {
        state.mailbox = std::move(mailbox);
    }
    state.writer = std::thread([&state] {
        state.result = ReplaceWhole(state.target, state.bytes, state.temporaryBase);
        state.finished = true;
        if (state.mailbox) {
            state.mailbox->Post(0);
        }
    });
}

// A failure is never dropped: what the mailbox has not told yet is told now.
BackgroundReplace::~BackgroundReplace() {
    state_->Tell();
}

bool BackgroundReplace::Finished() const {
    return state_->finished;
}

} // namespace files
