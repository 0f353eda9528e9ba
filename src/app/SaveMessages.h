// What Lunabel tells the user about saving her data, and what it asks her.
// Every text comes from the string table; the reasons come from the system, in
// her language.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "cycle/SaveWorker.h"

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
// Whether to add the `newMarks` marks of the copy at `copy`, last written at
// `saved`. None when the question went without an answer (the window closed).
OfferAnswer OfferUnsavedCopy(HWND owner, std::size_t newMarks, const FILETIME& saved,
                             const std::wstring& copy);
