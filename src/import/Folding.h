// Text as words are compared: trimmed, lower case and without diacritics, so
// that "STÄRKE", "Stärke" and "Starke" or "Październik" and "pazdziernik" meet.
#pragma once

#include <string>
#include <string_view>

namespace imports {

// Without the spaces, tabs and no-break spaces around it.
std::string_view TrimSpace(std::string_view text);

// UTF-8 in, UTF-8 out: ASCII and the Latin-1 and Latin Extended-A letters
// lower-cased and reduced to their base letter (ß to "ss"), a no-break space
// to a space; anything else is kept as it is. Trimmed.
std::string FoldText(std::string_view text);

} // namespace imports
