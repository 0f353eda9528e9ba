// Bytes of a text file to UTF-8, chunk by chunk: UTF-8 with or without a BOM,
// UTF-16 with a BOM, or else her ANSI code page. A chunk may end anywhere,
// inside a UTF-8 sequence or a surrogate pair.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace imports {

class TextDecoder {
public:
    // 1250 (Central European) or 1252 (Western); any other is read as 1252.
    explicit TextDecoder(unsigned codePage);

    // Appends the text of `chunk` to `text`. The first chunk (with at least
    // three bytes in it) settles the encoding: a BOM, else UTF-8 when it is
    // valid UTF-8, else the code page.
    void Decode(std::span<const std::uint8_t> chunk, std::string& text);
    // Appends what an unfinished sequence at the end stands for.
    void Finish(std::string& text);

private:
    enum class Encoding : std::uint8_t { Undecided, Utf8, Utf16LE, Utf16BE, CodePage };

    void Decide(std::span<const std::uint8_t> head, std::string& text);
    // Decodes from the front of `bytes` and returns how many were used: all,
    // unless `final` is false and a sequence is cut at the end.
    std::size_t DecodeRun(std::span<const std::uint8_t> bytes, bool final, std::string& text) const;
    std::size_t DecodeUtf8(std::span<const std::uint8_t> bytes, bool final,
                           std::string& text) const;
    std::size_t DecodeUtf16(std::span<const std::uint8_t> bytes, bool final,
                            std::string& text) const;
    void AppendCodePage(std::uint8_t byte, std::string& text) const;

    const char16_t* upperHalf_; // the code page's characters for 0x80-0xFF
    Encoding encoding_ = Encoding::Undecided;
    std::string carry_; // the start of a sequence cut by the end of a chunk
};

// Appends a code point as UTF-8.
void AppendUtf8(char32_t code, std::string& text);

} // namespace imports
