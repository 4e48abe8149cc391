#include "dialogs/DlgMaterial.h"

#include "appsvc/OXRApp.h"
#include "dialogs/DialogIds.h"
#include "document/DCSSolution.h"
#include "foundation/StrUtil.h"

namespace {

const COLORREF kMessageColour = RGB(196, 0, 0);

} // namespace

DlgMaterial::DlgMaterial(CWnd* parent) : DlgFrame(IDD_MATERIAL, parent, "dialog.material", IDI_DIALOGS) {}

bool DlgMaterial::SetParams(const DProps& params)
{
    CopyParams(params);
    m_initialName = DProps::GetString(m_params, "material", "");
    return true;
}

BOOL DlgMaterial::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    OXRApp& app = App();
    const std::string titleKey = DProps::GetString(m_params, "title", "");
    const std::string word = app.GetGlobalText("material", "Material");
    ::SetWindowTextA(m_hWnd, (titleKey.empty() ? word : Text(titleKey.c_str(), word.c_str())).c_str());

    SetFont(IDC_MATERIAL_LABEL, "group");
    SetFont(IDC_MATERIAL_EDIT, "calc");
    SetFont(IDC_MATERIAL_MESSAGE, "text");
    SetFont(IDOK, "buttBold");
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDC_MATERIAL_LABEL, Text("material", "Material"));
    SetItemText(IDC_MATERIAL_EDIT, DProps::GetString(m_params, "material", ""));
    SetItemText(IDOK, Text("ok", "OK"));
    SetItemText(IDCANCEL, Text("cancel", "Cancel"));
    SetTextColour(IDC_MATERIAL_MESSAGE, kMessageColour);

    HWND edit = GetDlgItem(IDC_MATERIAL_EDIT);
    RECT rect = {0, 0, 0, 0};
    WinGetRectInParent(edit, &rect);
    const long margin = rect.left;
    if (HWND rule = GetDlgItem(IDC_RULE)) {
        RECT client = {0, 0, 0, 0};
        ::GetClientRect(m_hWnd, &client);
        RECT line = {0, 0, 0, 0};
        WinGetRectInParent(rule, &line);
        ::MoveWindow(rule, 0, line.top - margin, client.right, 1, TRUE);
    }
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    ValidateName();
    return FALSE;
}

BOOL DlgMaterial::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDC_MATERIAL_EDIT && HIWORD(wParam) == EN_CHANGE) {
        ValidateName();
        ::RedrawWindow(GetDlgItem(IDC_MATERIAL_EDIT), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return TRUE;
    }
    return DlgFrame::OnCommand(wParam, lParam);
}

void DlgMaterial::ValidateName()
{
    m_message.clear();
    m_nameValid = true;
    std::string name = GetItemText(IDC_MATERIAL_EDIT, 1024, false);
    StrTrim(name);
    if (name.empty()) {
        m_nameValid = false;
        if (!m_initialName.empty())
            m_message = Text("empty", "Material name is empty");
    } else if (App().Document().FindMaterial(name.c_str())) {
        m_nameValid = false;
        if (name != m_initialName)
            m_message = Text("exist", "This material exists in project, please use different name");
    } else if (!DCSSolution::MaterialNameFitsFile(name.c_str())) {
        // The project file keeps each material in a block named after it:
        // a name that would break the block could never be read back.
        m_nameValid = false;
        m_message = Text("invalid", "This name cannot be used for a material");
    }
    SetItemText(IDC_MATERIAL_MESSAGE, LocaleLineBreaks(m_message));
    UpdateButtons();
}

void DlgMaterial::UpdateButtons()
{
    HWND ok = GetDlgItem(IDOK);
    if (ok && (::IsWindowEnabled(ok) != FALSE) != m_nameValid)
        WinEnable(m_nameValid, ok);
}

void DlgMaterial::OnOK()
{
    if (!m_nameValid) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    std::string name = GetItemText(IDC_MATERIAL_EDIT, 1024, false);
    StrTrim(name);
    m_params.Set("material", name.c_str());
    EndDialog(Accepted);
}
