// What Lunabel tells the user about saving her data, and what it asks her.
// Every text comes from the string table; the reasons come from the system, in
// her language.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "cycle/SaveWorker.h"
#include "cycle/SessionChanges.h"

// While she works: a save failed (the first of a run of failures).
void TellSaveFailed(HWND owner, const SaveResult& result);

enum class ExitChoice { TryAgain, CloseWithoutSaving, GoBack };
// At exit, when the data could not be saved.
ExitChoice AskAtExit(HWND owner, const SaveResult& result);

// Where the copy of her changes went; `besideDataFile` when the next start offers it back.
void TellChangesKept(HWND owner, const SaveResult& copy, bool besideDataFile);
// Not even a copy could be written: close all the same?
bool AskToCloseAnyway(HWND owner, const SaveResult& copy);

// At start: the data file could not be read; the changes go to `target`.
void TellUnreadable(HWND owner, const std::wstring& path, std::uint32_t error,
                    const std::wstring& target);

enum class OfferAnswer { Add, Decline, None };
// Whether to apply the changes of the copy at `copy`, last written at `saved`.
// None when the question went without an answer (the window closed).
OfferAnswer OfferUnsavedCopy(HWND owner, const SessionChanges& changes, const FILETIME& saved,
                             const std::wstring& copy);

// At start: the data file was damaged and is kept as `damagedCopy` (empty when
// no copy could be made); the calendar is empty.
void TellDamaged(HWND owner, const std::wstring& path, const std::wstring& damagedCopy);
// The same, with a readable backup written at `saved`: whether to restore it.
bool OfferBackup(HWND owner, const std::wstring& path, const std::wstring& damagedCopy,
                 const FILETIME& saved, std::size_t periodStarts);
// At start: a save cut short was finished from the temporary file it left.
void TellRecoveredSave(HWND owner, const std::wstring& damagedCopy);

// Another program holds the data file; saving goes on trying. `shown` holds
// the message's window while it shows, for CloseFileHeld.
void TellFileHeld(HWND owner, const SaveResult& result, HWND& shown);
// Takes the message away once a save went through after all.
void CloseFileHeld(HWND shown);

// The data file was saved but its backup could not be updated.
void TellBackupFailed(HWND owner, const SaveResult& result);

// At start: a protected copy an older Lunabel set aside, written at `saved`:
// whether to open it with its password and add its marks.
bool OfferProtectedCopy(HWND owner, const FILETIME& saved, const std::wstring& copy);
