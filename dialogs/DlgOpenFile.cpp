#include "dialogs/DlgOpenFile.h"

#include "appsvc/OXRApp.h"
#include "foundation/DParser.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "resources/SourceData.h"

namespace {

enum : int {
    kMessage = IDC_FILESAVED_MESSAGE,
    kOpenFile = IDC_FILESAVED_OPEN_FILE,
    kOpenFolder = IDC_FILESAVED_OPEN_FOLDER,
};

} // namespace

DlgOpenFile::DlgOpenFile(CWnd* parent) : DlgFrame(IDD_FILESAVED, parent, "dialog.saved") {}

bool DlgOpenFile::SetParams(const DProps& params)
{
    CopyParams(params);
    const std::string file = DProps::GetString(m_params, "file", "");
    if (m_params.IndexOf("path") < 0 && !file.empty()) {
        char folder[Helper::PathBufferSize] = "";
        if (Helper::SplitPath(file.c_str(), folder, nullptr, nullptr))
            m_params.Set("path", folder);
    }
    const std::string path = DProps::GetString(m_params, "path", "");
    return (!file.empty() && Helper::CheckFile(file.c_str()) == 1) ||
           (!path.empty() && Helper::CheckFile(path.c_str()) == 2);
}

BOOL DlgOpenFile::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    const std::string title = m_params.IndexOf("title") >= 0 ? DProps::GetString(m_params, "title", "")
                                                             : Text("title", "File");
    ::SetWindowTextA(m_hWnd, title.c_str());
    SetFont(kMessage, "body");
    for (int id : {static_cast<int>(kOpenFile), static_cast<int>(kOpenFolder), static_cast<int>(IDCANCEL)})
        SetFont(id, "buttNorm");
    // Every parameter is a variable of the message; a name the caller did
    // not pass reads as nothing.
    SetItemText(kMessage, ExpandVariables(Text("message", "File ${file} has been saved.").c_str(), m_params));
    SetItemText(kOpenFile, Text("open.file", "Open File"));
    SetItemText(kOpenFolder, Text("open.path", "Open Folder"));
    SetItemText(IDCANCEL, Text("cancel", "Continue"));
    return TRUE;
}

BOOL DlgOpenFile::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kOpenFile:
            App().OpenDocument(DProps::GetString(m_params, "file", "").c_str(),
                               DProps::GetLong(m_params, "text") == 1);
            EndDialog(OpenedFile);
            return TRUE;
        case kOpenFolder:
            App().OpenDocument(DProps::GetString(m_params, "path", "").c_str(), false);
            EndDialog(OpenedFolder);
            return TRUE;
        default:
            break;
        }
    }
    return DlgFrame::OnCommand(wParam, lParam);
}
