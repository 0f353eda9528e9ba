// What the JSON and XML tokenizers share: the longest token they keep, and
// code points written as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace imports {

// A longer string, number or tag is not kept: no date or flow is that long,
// and memory must not follow a file's bytes.
constexpr std::size_t kTokenCap = 64 * 1024;

// Surrogates and values past U+10FFFF come out as U+FFFD.
inline std::string Utf8Of(std::uint32_t code) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        code = 0xFFFD;
    }
    std::string utf8;
    if (code < 0x80) {
        utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
        utf8 += static_cast<char>(0xC0 | code >> 6);
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        utf8 += static_cast<char>(0xE0 | code >> 12);
        utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | code >> 18);
        utf8 += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    return utf8;
}

} // namespace imports
