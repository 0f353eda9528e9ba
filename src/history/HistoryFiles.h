// The files export writes and import reads, whole, with the reason in
// Windows' words when it fails.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes `bytes` to `path` entirely or not at all: into a new file beside it
// that then replaces it, so a full disk never leaves half a file behind.
// ERROR_SUCCESS, or why it failed.
DWORD WriteWholeFile(const std::wstring& path, std::string_view bytes);

struct FileContents {
    DWORD error = ERROR_SUCCESS;
    bool tooLarge = false; // larger than the limit: nothing was read
    std::vector<std::uint8_t> bytes;
};

FileContents ReadWholeFile(const std::wstring& path, std::size_t limit);
