// The standard Save As and Open dialogs (the common item dialogs), modal to
// an owner window. COM must be initialised on the calling thread.
//
//   const FileDialogResult chosen = AskSavePath(owner, {{L"CSV", L"*.csv"}}, L"cycles", L"csv");
//   if (chosen.Chosen()) { ...write chosen.path... }
//   else if (!chosen.Cancelled()) { ...tell her chosen.status... }
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FileType {
    std::wstring name;    // as she reads it: "Spreadsheet (CSV)"
    std::wstring pattern; // "*.csv"
};

struct FileDialogResult {
    // S_OK with a path, HRESULT_FROM_WIN32(ERROR_CANCELLED) when she closed
    // the dialog without one, or why the dialog could not be shown.
    HRESULT status = E_FAIL;
    std::wstring path;
    UINT typeIndex = 0; // of `types`, from 1

    bool Chosen() const { return status == S_OK; }
    bool Cancelled() const { return status == HRESULT_FROM_WIN32(ERROR_CANCELLED); }
};

// `defaultExtension` (without the dot) is added to a name typed without one.
FileDialogResult AskSavePath(HWND owner, const std::vector<FileType>& types,
                             const std::wstring& fileName, const std::wstring& defaultExtension);
FileDialogResult AskOpenPath(HWND owner, const std::vector<FileType>& types);
