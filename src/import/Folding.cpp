#include "import/Folding.h"

#include <cstdint>

namespace imports {
namespace {

// Base letters of U+00C0-U+00FF, capitals and small letters alike ('\0' for
// × and ÷). The last place is ÿ; ß is read apart.
constexpr char kLatin1Base[] = "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";

struct BaseRange {
    char32_t first;
    char32_t last;
    char base;
};

// Latin Extended-A, U+0100-U+017F, by runs of one base letter.
constexpr BaseRange kExtendedA[] = {
    {0x100, 0x105, 'a'}, {0x106, 0x10D, 'c'}, {0x10E, 0x111, 'd'}, {0x112, 0x11B, 'e'},
    {0x11C, 0x123, 'g'}, {0x124, 0x127, 'h'}, {0x128, 0x133, 'i'}, {0x134, 0x135, 'j'},
    {0x136, 0x138, 'k'}, {0x139, 0x142, 'l'}, {0x143, 0x14B, 'n'}, {0x14C, 0x153, 'o'},
    {0x154, 0x159, 'r'}, {0x15A, 0x161, 's'}, {0x162, 0x167, 't'}, {0x168, 0x173, 'u'},
    {0x174, 0x175, 'w'}, {0x176, 0x178, 'y'}, {0x179, 0x17E, 'z'}, {0x17F, 0x17F, 's'},
};

char BaseLetter(char32_t code) {
    if (code >= 0xC0 && code <= 0xFF) {
        return code == 0xDF ? 's' : kLatin1Base[(code - 0xC0) % 32];
    }
    for (const BaseRange& range : kExtendedA) {
        if (code >= range.first && code <= range.last) {
            return range.base;
        }
    }
    return '\0';
}

} // namespace

std::string_view TrimSpace(std::string_view text) {
    const auto isSpace = [](std::string_view rest) -> std::size_t {
        if (rest.starts_with(' ') || rest.starts_with('\t')) {
            return 1;
        }
        return rest.starts_with("\xC2\xA0") ? 2 : 0;
    };
    while (const std::size_t size = isSpace(text)) {
        text.remove_prefix(size);
    }
    for (;;) {
        if (text.ends_with(' ') || text.ends_with('\t')) {
            text.remove_suffix(1);
        } else if (text.ends_with("\xC2\xA0")) {
            text.remove_suffix(2);
        } else {
            return text;
        }
    }
}

std::string FoldText(std::string_view text) {
    text = TrimSpace(text);
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte >= 'A' && byte <= 'Z') {
            folded += static_cast<char>(byte - 'A' + 'a');
            continue;
        }
        // Only two-byte sequences hold the letters folded here.
        const bool twoBytes = (byte & 0xE0) == 0xC0 && i + 1 < text.size() &&
                              (static_cast<std::uint8_t>(text[i + 1]) & 0xC0) == 0x80;
        if (!twoBytes) {
            folded += text[i];
            continue;
        }
        const char32_t code =
            (byte & 0x1Fu) << 6 | (static_cast<std::uint8_t>(text[i + 1]) & 0x3Fu);
        if (code == 0xA0) {
            folded += ' ';
        } else if (const char base = BaseLetter(code)) {
            folded += base;
            if (code == 0xDF) {
                folded += 's';
            }
        } else {
            folded.append(text.substr(i, 2));
        }
        ++i;
    }
    return folded;
}

} // namespace imports
