// Every file Lunabel reads or writes passes through here: her data file and
// the copies kept beside it, the files she exports and the ones she imports.
// A write never leaves half a file under a name: a new file is written and
// flushed beside the target and renamed over it in one step. The names follow
// the portable rules of FileNames.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/FileNames.h"
#include "files/SaveResult.h"

namespace files {

using Bytes = std::vector<std::uint8_t>;

enum class ReadStatus {
    Read,
    Missing,    // no such file or folder
    Unreadable, // there, but could not be opened or read (locked, no access)
    TooLarge,   // larger than the caller's limit: nothing was read
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    DWORD error = ERROR_SUCCESS; // why, when not Read
    Bytes bytes;
};

// The whole file, when it is no larger than `limit` bytes. A file that shrinks
// while it is read gives what is there.
ReadResult ReadWhole(const std::wstring& path, std::uint64_t limit);

// Told each chunk in turn with how far the reading has come; false cancels.
using ChunkSink = std::function<bool(std::span<const std::uint8_t> chunk, std::uint64_t done,
                                     std::uint64_t total)>;
// Reads a file of any size a chunk at a time, so that memory is bounded by the
// chunk. ERROR_SUCCESS, ERROR_CANCELLED when the sink asked to stop, or why the
// file could not be read.
DWORD ReadInChunks(const std::wstring& path, std::size_t chunkSize, const ChunkSink& sink);

// Puts `bytes` under `target` so that at every moment either the old file or
// the whole new one is there: a temporary named from `temporaryBase` (numbered
// if taken) in the same folder is written, flushed and renamed over the target.
// A target that another program holds open is waited for about two seconds;
// when it is held still, the error is ERROR_SHARING_VIOLATION. On failure the target is as it was
// and no temporary is left.
SaveResult ReplaceWhole(const std::wstring& target, std::span<const std::uint8_t> bytes,
                        const std::wstring& temporaryBase);

// Whether a failure is another program holding the file: it passes once
// that program lets go.
bool IsHeldElsewhere(std::uint32_t error);

// A new file under the first free name of base, base.1, ..., holding `bytes`.
SaveResult WriteNew(const std::wstring& base, std::span<const std::uint8_t> bytes);

// Takes the first free name of base, base.1, ... by creating an empty file, so
// that two runs never choose the same; empty when none could be taken.
std::wstring ClaimNewName(const std::wstring& base);

// Copies `source` to the first free name of base, base.1, ...: the name taken,
// or empty (GetLastError tells why).
std::wstring CopyToNew(const std::wstring& source, const std::wstring& base);

// Moves `source` to the first free name of base, base.1, ... (another folder
// or drive too): the name taken, or empty.
std::wstring MoveToNew(const std::wstring& source, const std::wstring& base);

bool Exists(const std::wstring& path);
bool Remove(const std::wstring& path);
// Whether the file's read-only attribute is set.
bool IsReadOnly(const std::wstring& path);

struct FoundFile {
    std::wstring path;
    FILETIME lastWrite;
};

// The file at `path` with when it was last written, if it is there.
std::optional<FoundFile> Find(const std::wstring& path);

// The files beside `base` (a full path) whose names start with its name.
std::vector<FoundFile> FindStartingWith(const std::wstring& base);
// Those of them named base or base.N, oldest first.
std::vector<FoundFile> FindNumbered(const std::wstring& base);

// The user's temporary folder with a backslash at its end; empty when unknown.
std::wstring TemporaryFolder();

// The sentence she reads for a system error, in her language.
std::wstring ErrorText(DWORD error);

// ReplaceWhole on a thread of its own, for a write the window must not wait
// for. `done` runs on the thread that started it, from whatever message loop
// it runs (modal ones too), unless the write is dropped first: dropping waits
// for the write to end but tells nobody.
class BackgroundReplace {
public:
    using Done = std::function<void(const SaveResult& result)>;

    BackgroundReplace(std::wstring target, Bytes bytes, std::wstring temporaryBase, Done done);
    ~BackgroundReplace();

    BackgroundReplace(const BackgroundReplace&) = delete;
    BackgroundReplace& operator=(const BackgroundReplace&) = delete;

    bool Finished() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace files
