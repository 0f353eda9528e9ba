// What became of one write of a whole file.
#pragma once

#include <cstdint>
#include <string>

struct SaveResult {
    bool saved = false;
    // The system's error code when nothing was saved.
    std::uint32_t error = 0;
    // The file written, or the one that could not be.
    std::wstring file;
};
