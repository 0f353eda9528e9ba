#include "import/TextDecoder.h"

#include <algorithm>

namespace imports {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kLongestBom = 3;

// 0x80-0xFF; U+FFFD where the code page has no character.
constexpr char16_t kWindows1252[128] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

constexpr char16_t kWindows1250[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// The length of the UTF-8 sequence that starts at `bytes` and whether it is
// well formed as far as it goes; 0 for a byte that starts none.
struct Utf8Sequence {
    std::size_t length = 0;    // what the lead byte announces
    std::size_t available = 0; // of them, in `bytes`
    bool valid = false;        // every available byte fits
};

Utf8Sequence InspectUtf8(std::span<const std::uint8_t> bytes) {
    const std::uint8_t lead = bytes[0];
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    Utf8Sequence sequence;
    if (lead >= 0xC2 && lead <= 0xDF) {
        sequence.length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        sequence.length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        sequence.length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return sequence;
    }
    sequence.available = std::min(sequence.length, bytes.size());
    sequence.valid = true;
    for (std::size_t i = 1; i < sequence.available; ++i) {
        const std::uint8_t limitLow = i == 1 ? low : 0x80;
        const std::uint8_t limitHigh = i == 1 ? high : 0xBF;
        sequence.valid = sequence.valid && bytes[i] >= limitLow && bytes[i] <= limitHigh;
    }
    return sequence;
}

bool IsValidUtf8(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = InspectUtf8(bytes.subspan(i));
        if (!sequence.valid) {
            return false;
        }
        i += sequence.available;
    }
    return true;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

} // namespace

void AppendUtf8(char32_t code, std::string& text) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

TextDecoder::TextDecoder(unsigned codePage)
    : upperHalf_(codePage == 1250 ? kWindows1250 : kWindows1252) {}

void TextDecoder::Decode(std::span<const std::uint8_t> chunk, std::string& text) {
    if (encoding_ == Encoding::Undecided) {
        // A BOM may come a byte at a time.
        carry_.append(reinterpret_cast<const char*>(chunk.data()), chunk.size());
        if (carry_.size() < kLongestBom) {
            return;
        }
        const std::string head = std::move(carry_);
        carry_.clear();
        Decide(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()), text);
        return;
    }
    if (!carry_.empty()) {
        // Complete the cut sequence with the first bytes of this chunk.
        const std::size_t carried = carry_.size();
        const std::size_t taken = std::min(chunk.size(), std::size_t{4});
        carry_.append(reinterpret_cast<const char*>(chunk.data()), taken);
        const std::size_t used = DecodeRun(
            std::span(reinterpret_cast<const std::uint8_t*>(carry_.data()), carry_.size()), false,
            text);
        if (used < carried) {
            carry_.erase(0, used);
            return;
        }
        carry_.clear();
        chunk = chunk.subspan(used - carried);
    }
    const std::size_t used = DecodeRun(chunk, false, text);
    carry_.assign(reinterpret_cast<const char*>(chunk.data()) + used, chunk.size() - used);
}

void TextDecoder::Decide(std::span<const std::uint8_t> head, std::string& text) {
    if (StartsWith(head, {0xEF, 0xBB, 0xBF})) {
        encoding_ = Encoding::Utf8;
        head = head.subspan(3);
    } else if (StartsWith(head, {0xFF, 0xFE})) {
        encoding_ = Encoding::Utf16LE;
        head = head.subspan(2);
    } else if (StartsWith(head, {0xFE, 0xFF})) {
        encoding_ = Encoding::Utf16BE;
        head = head.subspan(2);
    } else {
        encoding_ = IsValidUtf8(head) ? Encoding::Utf8 : Encoding::CodePage;
    }
    const std::size_t used = DecodeRun(head, false, text);
    carry_.assign(reinterpret_cast<const char*>(head.data()) + used, head.size() - used);
}

void TextDecoder::Finish(std::string& text) {
    if (encoding_ == Encoding::Undecided) {
        const std::string head = std::move(carry_);
        carry_.clear();
        Decide(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()), text);
    }
    DecodeRun(std::span(reinterpret_cast<const std::uint8_t*>(carry_.data()), carry_.size()), true,
              text);
    carry_.clear();
}

std::size_t TextDecoder::DecodeRun(std::span<const std::uint8_t> bytes, bool final,
                                   std::string& text) const {
    switch (encoding_) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return DecodeUtf16(bytes, final, text);
    case Encoding::CodePage:
        for (const std::uint8_t byte : bytes) {
            AppendCodePage(byte, text);
        }
        return bytes.size();
    case Encoding::Undecided:
    case Encoding::Utf8:
        break;
    }
    return DecodeUtf8(bytes, final, text);
}

std::size_t TextDecoder::DecodeUtf8(std::span<const std::uint8_t> bytes, bool final,
                                    std::string& text) const {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t ascii = i;
        while (ascii < bytes.size() && bytes[ascii] < 0x80) {
            ++ascii;
        }
        text.append(reinterpret_cast<const char*>(bytes.data()) + i, ascii - i);
        i = ascii;
        if (i == bytes.size()) {
            break;
        }
        const Utf8Sequence sequence = InspectUtf8(bytes.subspan(i));
        if (sequence.valid && sequence.available < sequence.length && !final) {
            return i; // cut by the chunk's end
        }
        if (sequence.valid && sequence.available == sequence.length) {
            text.append(reinterpret_cast<const char*>(bytes.data()) + i, sequence.length);
            i += sequence.length;
        } else {
            // Not UTF-8 after all: a stray byte of her code page.
            AppendCodePage(bytes[i], text);
            ++i;
        }
    }
    return i;
}

std::size_t TextDecoder::DecodeUtf16(std::span<const std::uint8_t> bytes, bool final,
                                     std::string& text) const {
    const bool bigEndian = encoding_ == Encoding::Utf16BE;
    const auto unitAt = [&](std::size_t at) -> char32_t {
        return bigEndian ? (bytes[at] << 8 | bytes[at + 1]) : (bytes[at] | bytes[at + 1] << 8);
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const char32_t unit = unitAt(i);
        if (unit < 0xD800 || unit > 0xDFFF) {
            AppendUtf8(unit, text);
            i += 2;
            continue;
        }
        if (unit <= 0xDBFF && i + 3 >= bytes.size() && !final) {
            return i; // the pair is cut by the chunk's end
        }
        const char32_t next = i + 3 < bytes.size() ? unitAt(i + 2) : 0;
        if (unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), text);
            i += 4;
        } else {
            AppendUtf8(kReplacement, text);
            i += 2;
        }
    }
    if (i < bytes.size() && final) {
        AppendUtf8(kReplacement, text);
        return bytes.size();
    }
    return i;
}

void TextDecoder::AppendCodePage(std::uint8_t byte, std::string& text) const {
    AppendUtf8(byte < 0x80 ? byte : upperHalf_[byte - 0x80], text);
}

} // namespace imports
