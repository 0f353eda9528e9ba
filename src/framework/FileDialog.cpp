#include "framework/FileDialog.h"

#include <shobjidl.h>

#include "framework/Handle.h"

namespace {

void SetTypes(IFileDialog* dialog, const std::vector<FileType>& types) {
    std::vector<COMDLG_FILTERSPEC> specs;
    for (const FileType& type : types) {
        specs.push_back({type.name.c_str(), type.pattern.c_str()});
    }
    dialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
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

} // namespace

FileDialogResult AskSavePath(HWND owner, const std::vector<FileType>& types,
                             const std::wstring& fileName, const std::wstring& defaultExtension) {
    com::Ptr<IFileSaveDialog> dialog;
    FileDialogResult failed;
    failed.status = ::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(dialog.Put()));
    if (FAILED(failed.status)) {
        return failed;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST);
    SetTypes(dialog.Get(), types);
    dialog->SetFileName(fileName.c_str());
    dialog->SetDefaultExtension(defaultExtension.c_str());
    return Run(dialog.Get(), owner);
}

FileDialogResult AskOpenPath(HWND owner, const std::vector<FileType>& types) {
    com::Ptr<IFileOpenDialog> dialog;
    FileDialogResult failed;
    failed.status = ::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(dialog.Put()));
    if (FAILED(failed.status)) {
        return failed;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST);
    SetTypes(dialog.Get(), types);
    return Run(dialog.Get(), owner);
}
