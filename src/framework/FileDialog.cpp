#include "framework/FileDialog.h"

#include <shobjidl.h>

#include "framework/Handle.h"

namespace {

void SetTypes(IFileDialog* dialog, const std::vector<FileType>& types) {
    std::vector<COMDLG_FILTERSPEC> filters;
    for (const FileType& type : types) {
        filters.push_back({type.name.c_str(), type.pattern.c_str()});
    }
    dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
}

// Shows the dialog and reads what she chose.
FileDialogResult Run(IFileDialog* dialog, HWND owner) {
    FileDialogResult result;
    result.status = dialog->Show(owner);
    if (FAILED(result.status)) {
        return result;
    }
    com::Ptr<IShellItem> item;
    com::TaskMemory<wchar_t> path;
    result.status = dialog->GetResult(item.Put());
    if (SUCCEEDED(result.status)) {
        result.status = item->GetDisplayName(SIGDN_FILESYSPATH, path.Put());
    }
    if (FAILED(result.status)) {
        return result;
    }
    result.status = S_OK;
    result.path = path.Get();
    dialog->GetFileTypeIndex(&result.typeIndex);
    return result;
}

// Makes the dialog with the file system and the given types, adding `options`
// to the ones it has already.
template <typename Dialog>
HRESULT MakeDialog(REFCLSID kind, FILEOPENDIALOGOPTIONS options, const std::vector<FileType>& types,
                   com::Ptr<Dialog>& dialog) {
    const HRESULT status =
        ::CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dialog.Put()));
    if (FAILED(status)) {
        return status;
    }
    FILEOPENDIALOGOPTIONS current = 0;
    dialog->GetOptions(&current);
    dialog->SetOptions(current | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | options);
    SetTypes(dialog.Get(), types);
    return S_OK;
}

} // namespace

FileDialogResult AskSavePath(HWND owner, const std::vector<FileType>& types,
                             const std::wstring& fileName, const std::wstring& defaultExtension) {
    com::Ptr<IFileSaveDialog> dialog;
    FileDialogResult failed;
    failed.status = MakeDialog(CLSID_FileSaveDialog, FOS_OVERWRITEPROMPT, types, dialog);
    if (FAILED(failed.status)) {
        return failed;
    }
    dialog->SetFileName(fileName.c_str());
    dialog->SetDefaultExtension(defaultExtension.c_str());
    return Run(dialog.Get(), owner);
}

FileDialogResult AskOpenPath(HWND owner, const std::vector<FileType>& types) {
    com::Ptr<IFileOpenDialog> dialog;
    FileDialogResult failed;
    failed.status = MakeDialog(CLSID_FileOpenDialog, FOS_FILEMUSTEXIST, types, dialog);
    if (FAILED(failed.status)) {
        return failed;
    }
    return Run(dialog.Get(), owner);
}
