// What became of one write of a whole file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

struct SaveResult {
    SaveResult() = default;
    SaveResult(bool wasSaved, std::uint32_t why, std::wstring name)
        : saved(wasSaved), error(why), file(std::move(name)) {}

    bool saved = false;
    // The system's error code when nothing was saved.
    std::uint32_t error = 0;
    // The file written, or the one that could not be.
    std::wstring file;
    // Saved, but the copy kept beside it as the run found it could not be
    // updated: why, and its name.
    std::uint32_t backupError = 0;
    std::wstring backupFile;
};
