#include "dialogs/CAboutDlg.h"

#include "appsvc/OXRApp.h"
#include "dialogs/DialogIds.h"
#include "foundation/StrUtil.h"
#include "foundation/UPairList.h"

CAboutDlg::CAboutDlg() : DlgFrame(IDD_ABOUTBOX, nullptr, "dialog.about") {}

std::string CAboutDlg::VersionBlock(const UPairList& info)
{
    std::string block;
    for (long i = 0; i < info.Count(); ++i) {
        std::string name = info.KeyAt(i).GetText();
        std::string trimmed = name;
        StrTrim(trimmed);
        if (trimmed.empty())
            break;
        block += name + " " + info.ValueAt(i, "").GetText() + "\r\n";
    }
    return block;
}

BOOL CAboutDlg::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    ::SetWindowTextA(m_hWnd, Text("title", "About KORVA Bravik").c_str());
    SetFont(IDC_ABOUT_NAME, "head");
    SetFont(IDC_ABOUT_VERSION_LABEL, "text");
    SetFont(IDC_ABOUT_VERSION, "text");
    SetFont(IDOK, "buttNorm");
    if (HWND separator = GetDlgItem(IDC_ABOUT_SEPARATOR)) {
        RECT window = {0, 0, 0, 0};
        RECT line = {0, 0, 0, 0};
        ::GetWindowRect(m_hWnd, &window);
        WinGetRectInParent(separator, &line);
        ::MoveWindow(separator, line.left, line.top, window.right - window.left, line.bottom - line.top, TRUE);
    }
    OXRApp* app = GetApp();
    SetItemText(IDC_ABOUT_NAME, kAppName);
    SetItemText(IDC_ABOUT_VERSION, app ? VersionBlock(app->SystemInfo()) : std::string());
    SetItemText(IDC_ABOUT_VERSION_LABEL, Text("version", "Version Info"));
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    WinCenter(owner, m_hWnd);
    return TRUE;
}
