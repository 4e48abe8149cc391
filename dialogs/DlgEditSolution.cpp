#include "dialogs/DlgEditSolution.h"

#include "appsvc/OXRApp.h"
#include "dialogs/DialogIds.h"
#include "document/DCSSolution.h"
#include "foundation/StrUtil.h"

namespace {

const COLORREF kNoteColour = RGB(196, 0, 0);
const long kTextMax = 1023;

// The place of each control at opening, so a resize can move them from there.
struct Anchor {
    int id;
    bool stretchWidth;   // follows the right edge
    bool stretchHeight;  // the description grows with the dialog
    bool moveDown;       // below the description: follows the bottom edge
    bool moveRight;      // the buttons keep to the right
};

const Anchor kAnchors[] = {
    {IDC_NAME_LABEL, true, false, false, false},     {IDC_NAME_EDIT, true, false, false, false},
    {IDC_DESC_LABEL, true, false, false, false},     {IDC_DESC_EDIT, true, true, false, false},
    {IDC_MATERIAL_LABEL, true, false, true, false},  {IDC_MATERIAL_EDIT, true, false, true, false},
    {IDC_RULE, true, false, true, false},            {IDC_NOTE, false, false, true, false},
    {IDOK, false, false, true, true},                {IDCANCEL, false, false, true, true},
};

std::string Trimmed(std::string text)
{
    if (text.size() > static_cast<size_t>(kTextMax))
        text.resize(static_cast<size_t>(kTextMax));
    StrTrim(text);
    return text;
}

} // namespace

DlgEditSolution::DlgEditSolution(UINT templateId, CWnd* parent)
    : DlgFrame(templateId, parent, "dialog.editsolution", IDI_DIALOGS)
{
}

bool DlgEditSolution::SetParams(const DProps& params)
{
    CopyParams(params);
    return true;
}

BOOL DlgEditSolution::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    m_create = DProps::GetLong(m_params, "mode", 0) != 0;
    ::SetWindowTextA(m_hWnd,
                     (m_create ? Text("title.new", "Create") : Text("title.edit", "Edit")).c_str());
    SetFont(IDC_NAME_LABEL, "group");
    SetFont(IDC_NAME_EDIT, "calc");
    SetFont(IDC_DESC_LABEL, "group");
    SetFont(IDC_DESC_EDIT, "calc");
    SetFont(IDC_NOTE, "note");
    SetFont(IDOK, "buttBold");
    SetFont(IDCANCEL, "buttNorm");
    SetItemText(IDC_NAME_LABEL, Text("name", "Name"));
    SetItemText(IDC_DESC_LABEL, Text("desc", "Description"));
    SetItemText(IDOK, Text("ok", "OK"));
    SetItemText(IDCANCEL, Text("cancel", "Cancel"));
    if (m_create) {
        SetFont(IDC_MATERIAL_LABEL, "group");
        SetFont(IDC_MATERIAL_EDIT, "calc");
        SetItemText(IDC_MATERIAL_LABEL, Text("material", "Material"));
    }
    SetTextColour(IDC_NOTE, kNoteColour);
    // The texts are kept to their first 1023 characters: the edits take no
    // more, so nothing typed is dropped without the user seeing it.
    for (int id : {IDC_NAME_EDIT, IDC_DESC_EDIT, IDC_MATERIAL_EDIT})
        ::SendDlgItemMessageA(m_hWnd, id, EM_SETLIMITTEXT, kTextMax, 0);

    SetItemText(IDC_NAME_EDIT, DProps::GetString(m_params, "name", ""));
    SetItemText(IDC_DESC_EDIT, DProps::GetString(m_params, "desc", ""));
    if (m_create)
        SetItemText(IDC_MATERIAL_EDIT, DProps::GetString(m_params, "material", ""));
    SetItemText(IDC_NOTE, "");

    // The layout works from where the template put the controls.
    auto& origins = m_origins;
    origins.clear();
    ::GetClientRect(m_hWnd, &m_client0);
    for (const Anchor& a : kAnchors) {
        RECT rect = {0, 0, 0, 0};
        if (WinGetRectInParent(GetDlgItem(a.id), &rect))
            origins[a.id] = rect;
    }
    RECT name = {0, 0, 0, 0};
    WinGetRectInParent(GetDlgItem(IDC_NAME_EDIT), &name);

    Validate();
    if (HWND rule = GetDlgItem(IDC_RULE)) {
        RECT line = origins[IDC_RULE];
        ::MoveWindow(rule, 0, line.top, m_client0.right, 1, TRUE);
        origins[IDC_RULE] = RECT{0, line.top, m_client0.right, line.top + 1};
    }
    UseMinimumSize(name.left);
    HWND edit = GetDlgItem(IDC_NAME_EDIT);
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    return FALSE;
}

BOOL DlgEditSolution::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == EN_CHANGE && (id == IDC_NAME_EDIT || (m_create && id == IDC_MATERIAL_EDIT))) {
        Validate();
        return TRUE;
    }
    return DlgFrame::OnCommand(wParam, lParam);
}

void DlgEditSolution::Validate()
{
    std::string nameMessage;
    std::string materialMessage;
    const std::string name = Trimmed(GetItemText(IDC_NAME_EDIT, kTextMax + 1));
    m_nameValid = !name.empty();
    if (!m_nameValid)
        nameMessage = Text("error.name.empty", "Name is not specified");
    m_materialValid = true;
    if (m_create) {
        const std::string material = Trimmed(GetItemText(IDC_MATERIAL_EDIT, kTextMax + 1));
        if (material.empty()) {
            m_materialValid = false;
            materialMessage = Text("error.mat.empty", "Material is not specified");
        } else if (!DCSSolution::MaterialNameFitsFile(material.c_str())) {
            // The first material's name becomes a block name of the project
            // file; a name that breaks the block could never be read back.
            m_materialValid = false;
            materialMessage = Text("error.mat.invalid", "This name cannot be used for a material");
        }
    }
    m_note = nameMessage;
    if (!nameMessage.empty() && !materialMessage.empty())
        m_note += "\r\n";
    m_note += materialMessage;
    m_note = LocaleLineBreaks(m_note);
    SetItemText(IDC_NOTE, m_note);
    UpdateButtons();
}

void DlgEditSolution::UpdateButtons()
{
    const bool valid = m_nameValid && m_materialValid;
    HWND ok = GetDlgItem(IDOK);
    if (ok && (::IsWindowEnabled(ok) != FALSE) != valid)
        WinEnable(valid, ok);
}

void DlgEditSolution::OnOK()
{
    if (!m_nameValid || !m_materialValid) {
        ::MessageBeep(MB_ICONWARNING);
        return;
    }
    m_params.Set("name", Trimmed(GetItemText(IDC_NAME_EDIT, kTextMax + 1)).c_str());
    m_params.Set("desc", Trimmed(GetItemText(IDC_DESC_EDIT, kTextMax + 1)).c_str());
    if (m_create)
        m_params.Set("material", Trimmed(GetItemText(IDC_MATERIAL_EDIT, kTextMax + 1)).c_str());
    EndDialog(Accepted);
}

void DlgEditSolution::LayoutControls()
{
    auto& origins = m_origins;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const long dx = (client.right - m_client0.right);
    const long dy = (client.bottom - m_client0.bottom);
    for (const Anchor& a : kAnchors) {
        HWND item = GetDlgItem(a.id);
        auto found = origins.find(a.id);
        if (!item || found == origins.end())
            continue;
        RECT r = found->second;
        if (a.moveRight)
            ::OffsetRect(&r, dx, 0);
        else if (a.stretchWidth)
            r.right += dx;
        if (a.moveDown)
            ::OffsetRect(&r, 0, dy);
        else if (a.stretchHeight)
            r.bottom += dy;
        ::MoveWindow(item, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
}
