#include "cycle/DataStore.h"

#include <shlobj.h>

#include <cstdint>
#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/SealedEnvelope.h"

namespace {

// Larger files are not taken into memory; such a file counts as unreadable and
// is never overwritten.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{1} << 30;

SaveResult Failed(const std::wstring& file, DWORD error) {
    return {false, error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error, file};
}

// The first bytes of a file, as many as a sealed header takes; empty when it
// cannot be read.
std::vector<std::uint8_t> ReadHeader(const std::wstring& path) {
    std::vector<std::uint8_t> header;
    files::ReadInChunks(
        path, sealed::kHeaderSize,
        [&header](std::span<const std::uint8_t> chunk, std::uint64_t, std::uint64_t) {
            header.assign(chunk.begin(), chunk.end());
            return false;
        });
    return header;
}

// Bytes of one envelope's form in another's; empty when they do not open.
std::vector<std::uint8_t> Rewrap(std::span<const std::uint8_t> bytes, const DataEnvelope& from,
                                 const DataEnvelope& to) {
    CalendarData data;
    if (from.Open(bytes, data) != DataEnvelope::Opened::Opened) {
        return {};
    }
    return to.Seal(data);
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

bool DataStore::CheckSealed(std::vector<std::uint8_t>& header) {
    if (path_.empty()) {
        return false;
    }
    header = ReadHeader(path_);
    switch (KindOf(header)) {
    case FileKind::Plain:
        return false;
    case FileKind::Sealed:
        outcome_ = LoadOutcome::Locked;
        return true;
    case FileKind::NewerVersion:
        outcome_ = LoadOutcome::NewerVersion;
        return true;
    case FileKind::TooManyIterations:
    case FileKind::DamagedHeader:
        break;
    }
    header = ReadHeader(path_ + L".bak");
    if (KindOf(header) != FileKind::Sealed) {
        return false;
    }
    outcome_ = LoadOutcome::Locked;
    return true;
}

void DataStore::UseEnvelope(const DataEnvelope& envelope) {
    if (!startBytes_.empty()) {
        startBytes_ = Rewrap(startBytes_, *envelope_, envelope);
    }
    if (!knownBytes_.empty()) {
        knownBytes_ = Rewrap(knownBytes_, *envelope_, envelope);
    }
    envelope_ = &envelope;
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
    backupToOffer_.reset();
    // Until a save: the file holds nothing she can see.
    knownBytes_ = envelope_->Seal(CalendarData());
    if (path_.empty()) {
        return outcome_ = LoadOutcome::NoPath;
    }
    files::ReadResult read = files::ReadWhole(path_, kMaxFileSize);
    switch (read.status) {
    case files::ReadStatus::Missing:
        outcome_ = LoadOutcome::NoFile;
        break;
    case files::ReadStatus::TooLarge:
        loadError_ = ERROR_FILE_TOO_LARGE;
        return outcome_ = LoadOutcome::Unreadable;
    case files::ReadStatus::Unreadable:
        loadError_ = read.error;
        return outcome_ = LoadOutcome::Unreadable;
    case files::ReadStatus::Read:
        outcome_ = envelope_->Open(read.bytes, data) == DataEnvelope::Opened::Opened
                       ? LoadOutcome::Loaded
                       : LoadOutcome::Damaged;
        break;
    }
    if (outcome_ == LoadOutcome::Loaded) {
        knownBytes_ = envelope_->Seal(data);
        // Only a file exactly as Lunabel writes it becomes the backup.
        if (envelope_->IsWhole(read.bytes)) {
            startBytes_ = std::move(read.bytes);
        }
        // The file holds a whole state: whatever a save cut short left is of no use.
        ClearTemporaries();
        temporariesCleared_ = true;
        return outcome_;
    }
    if (outcome_ == LoadOutcome::Damaged) {
        // Kept before anything can be saved over it.
        KeepDamagedFile();
    }
    if (!Recover(data) && outcome_ == LoadOutcome::Damaged) {
        FindBackupToOffer();
    }
    return outcome_;
}

bool DataStore::Recover(CalendarData& data) {
    Bytes newest;
    // Oldest first: the last whole one wins.
    for (const files::FoundFile& found : files::FindNumbered(path_ + L".tmp")) {
        files::ReadResult read = files::ReadWhole(found.path, kMaxFileSize);
        if (read.status == files::ReadStatus::Read && envelope_->IsWhole(read.bytes)) {
            newest = std::move(read.bytes);
            recoveredFrom_ = found.path;
        }
    }
    if (recoveredFrom_.empty()) {
        return false;
    }
    envelope_->Open(newest, data);
    return true;
}

void DataStore::FindBackupToOffer() {
    const std::wstring backup = path_ + L".bak";
    CalendarData kept;
    if (ReadDataCopy(backup, *envelope_, kept)) {
        backupToOffer_ = files::Find(backup);
    }
}

void DataStore::ClearTemporaries() const {
    for (const files::FoundFile& found : files::FindStartingWith(path_ + L".tmp")) {
        files::Remove(found.path);
    }
}

bool DataStore::KeepDamagedFile() {
    damagedCopy_ = files::CopyToNew(path_, path_ + L".damaged");
    return !damagedCopy_.empty();
}

bool DataStore::ChooseUnsavedName() {
    // Taking the name by creating the file keeps two runs from choosing the same.
    unsavedPath_ = files::ClaimNewName(path_ + L".unsaved");
    return !unsavedPath_.empty();
}

std::wstring DataStore::SaveTarget() const {
    if (outcome_ != LoadOutcome::Unreadable) {
        return path_;
    }
    const std::wstring base = path_ + L".unsaved";
    for (int n = 0; n < files::kMaxNumberedNames; ++n) {
        if (!files::Exists(files::NumberedName(base, n))) {
            return files::NumberedName(base, n);
        }
    }
    return base;
}

SaveResult DataStore::Save(const CalendarData& data) {
    return Save(envelope_->Seal(data));
}

SaveResult DataStore::Save(const Bytes& bytes) {
    if (path_.empty()) {
        return Failed(path_, ERROR_BAD_PATHNAME);
    }
    // A calendar not opened yet, or one a later version sealed, is never
    // written over; and no envelope's failure ever becomes an empty file.
    if (outcome_ == LoadOutcome::Locked || outcome_ == LoadOutcome::NewerVersion) {
        return Failed(path_, ERROR_ACCESS_DENIED);
    }
    if (bytes.empty()) {
        return Failed(path_, ERROR_INVALID_DATA);
    }
    const std::wstring temporaryBase = path_ + L".tmp";
    if (outcome_ == LoadOutcome::Unreadable) {
        // Whatever is in the file was never seen: leave it and write beside it.
        const bool claimedNow = unsavedPath_.empty();
        if (claimedNow && !ChooseUnsavedName()) {
            return Failed(path_ + L".unsaved", GetLastError());
        }
        const SaveResult result = files::ReplaceWhole(unsavedPath_, bytes, temporaryBase);
        if (result.saved) {
            if (claimedNow) {
                WriteBaseOf(unsavedPath_);
            }
            savedTo_ = unsavedPath_;
        } else if (claimedNow) {
            files::Remove(unsavedPath_);
            unsavedPath_.clear();
        }
        return result;
    }
    if (outcome_ == LoadOutcome::Damaged && damagedCopy_.empty() && files::Exists(path_) &&
        !KeepDamagedFile()) {
        return Failed(path_, GetLastError());
    }
    // Only a file that was read whole is worth keeping: a damaged one is kept as
    // ".damaged", and an older backup is better than none.
    SaveResult backup(true, ERROR_SUCCESS, std::wstring());
    if (!backupMade_ && !startBytes_.empty()) {
        backup = files::ReplaceWhole(path_ + L".bak", startBytes_, temporaryBase);
        if (backup.saved) {
            backupMade_ = true;
            startBytes_ = Bytes();
        }
    }
    SaveResult result = files::ReplaceWhole(path_, bytes, temporaryBase);
    if (!result.saved) {
        return result;
    }
    savedTo_ = path_;
    knownBytes_ = bytes;
    if (!backup.saved) {
        result.backupError = backup.error;
        result.backupFile = backup.file;
    }
    if (!temporariesCleared_) {
        ClearTemporaries();
        temporariesCleared_ = true;
    }
    return result;
}

void DataStore::WriteBaseOf(const std::wstring& copy) const {
    // Never loaded: no base is known, and the copy is offered as marks to add.
    if (knownBytes_.empty()) {
        return;
    }
    const std::wstring base = UnsavedBaseOf(copy);
    files::Remove(base);
    files::WriteNew(base, knownBytes_);
}

SaveResult DataStore::KeepUnsavedCopy(const Bytes& bytes) const {
    if (bytes.empty()) {
        return Failed(path_, ERROR_INVALID_DATA);
    }
    const std::wstring name = path_.empty() ? L"Lunabel.data" : files::NameOf(path_);
    SaveResult kept = path_.empty() ? Failed(path_, ERROR_BAD_PATHNAME)
                                    : files::WriteNew(path_ + L".unsaved", bytes);
    if (!kept.saved) {
        const std::wstring temp = files::TemporaryFolder();
        if (temp.empty()) {
            return kept;
        }
        const SaveResult elsewhere = files::WriteNew(temp + name + L".unsaved", bytes);
        if (!elsewhere.saved) {
            return kept;
        }
        kept = elsewhere;
    }
    WriteBaseOf(kept.file);
    return kept;
}

std::wstring UnsavedBaseOf(const std::wstring& copy) {
    return copy + L".base";
}

std::vector<files::FoundFile> FindUnsavedCopies(const std::wstring& dataPath) {
    if (dataPath.empty()) {
        return {};
    }
    std::vector<files::FoundFile> copies = files::FindNumbered(dataPath + L".unsaved");
    // A copy that could not be written beside the file went to the temporary
    // folder (unless that is where the file lives).
    const std::wstring temp = files::TemporaryFolder();
    const std::wstring folder = files::FolderOf(dataPath);
    const bool sameFolder = temp.size() == folder.size() && files::StartsWithName(temp, folder);
    if (!temp.empty() && !sameFolder) {
        for (files::FoundFile& found :
             files::FindNumbered(temp + files::NameOf(dataPath) + L".unsaved")) {
            copies.push_back(std::move(found));
        }
    }
    return copies;
}

std::vector<SealedCopy> FindSealedCopies(const std::wstring& dataPath) {
    std::vector<SealedCopy> sealed;
    for (const files::FoundFile& found : files::FindNumbered(dataPath + L".damaged")) {
        files::ReadResult read = files::ReadWhole(found.path, kMaxFileSize);
        if (read.status == files::ReadStatus::Read && KindOf(read.bytes) == FileKind::Sealed) {
            sealed.push_back({found, std::move(read.bytes)});
        }
    }
    return sealed;
}

std::vector<std::wstring> RewriteCopies(const std::wstring& dataPath, const DataEnvelope& from,
                                        const DataEnvelope& to) {
    std::vector<std::wstring> damaged;
    if (dataPath.empty()) {
        return damaged;
    }
    std::vector<std::wstring> copies;
    for (const files::FoundFile& found : files::FindStartingWith(dataPath + L".")) {
        if (files::StartsWithName(found.path, dataPath + L".damaged")) {
            damaged.push_back(found.path);
        } else if (!files::StartsWithName(found.path, dataPath + L".tmp")) {
            copies.push_back(found.path);
        }
    }
    // Copies that went to the temporary folder, with their bases.
    for (const files::FoundFile& found : FindUnsavedCopies(dataPath)) {
        if (!files::StartsWithName(found.path, dataPath)) {
            copies.push_back(found.path);
            copies.push_back(UnsavedBaseOf(found.path));
        }
    }
    for (const std::wstring& copy : copies) {
        const files::ReadResult read = files::ReadWhole(copy, kMaxFileSize);
        if (read.status != files::ReadStatus::Read) {
            continue;
        }
        const DataStore::Bytes rewrapped = Rewrap(read.bytes, from, to);
        if (!rewrapped.empty()) {
            files::ReplaceWhole(copy, rewrapped, dataPath + L".tmp");
        }
    }
    return damaged;
}

bool ReadDataCopy(const std::wstring& path, const DataEnvelope& envelope, CalendarData& data) {
    const files::ReadResult read = files::ReadWhole(path, kMaxFileSize);
    if (read.status != files::ReadStatus::Read) {
        return false;
    }
    // A plain copy beside a sealed calendar: one an older Lunabel wrote.
    const DataEnvelope& opener =
        KindOf(read.bytes) == FileKind::Plain ? PlainEnvelope::Shared() : envelope;
    return opener.Open(read.bytes, data) == DataEnvelope::Opened::Opened;
}

bool DeclineUnsavedCopy(const std::wstring& dataPath, const std::wstring& copy) {
    const std::wstring declined = files::MoveToNew(copy, dataPath + L".declined");
    if (declined.empty()) {
        return false;
    }
    if (files::Exists(UnsavedBaseOf(copy))) {
        files::MoveToNew(UnsavedBaseOf(copy), UnsavedBaseOf(declined));
    }
    return true;
}

void RemoveUnsavedCopy(const std::wstring& copy) {
    files::Remove(copy);
    files::Remove(UnsavedBaseOf(copy));
}
