// The portable rules of the files Lunabel keeps beside one another: numbered
// names ("Lunabel.data.unsaved", "Lunabel.data.unsaved.1", ...), which names
// belong to a base, and how long a replace waits for a reader.
#pragma once

#include <string>
#include <string_view>

namespace files {

// How many numbered names (".1", ".2", ...) are tried before giving up.
inline constexpr int kMaxNumberedNames = 1000;

// Paths shorter than this need no extended form.
inline constexpr std::size_t kShortPathLimit = 260;

// `base` for 0, "base.N" after.
std::wstring NumberedName(const std::wstring& base, int n);

// Whether `name` is `base` itself or "base.N": a name NumberedName gives.
// File names compare without regard to case.
bool IsNumberedName(std::wstring_view name, std::wstring_view base);

// Whether `name` starts with `prefix`, without regard to case.
bool StartsWithName(std::wstring_view name, std::wstring_view prefix);

// "C:\folder\" of "C:\folder\file"; empty for a bare name.
std::wstring FolderOf(const std::wstring& path);
// "file" of "C:\folder\file".
std::wstring NameOf(const std::wstring& path);

// The form without the length limit ("\\?\C:\...", "\\?\UNC\server\...") for a
// path too long for the plain one; shorter paths stay as they are.
std::wstring ExtendedPath(const std::wstring& path);

// A reader of the target (a virus scanner, an indexer, a backup) keeps the
// system from renaming over it, and mostly lets go within moments. The pause
// in milliseconds before try `attempt` + 1 (10, 20, ... 320, then 500: about
// two seconds in all), or 0 when `attempt` was the last.
unsigned ReplaceRetryPause(int attempt);

} // namespace files
