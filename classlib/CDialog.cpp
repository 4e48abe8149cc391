#include "classlib/CDialog.h"

#include "classlib/CWinApp.h"

#include <cstring>
#include <vector>

namespace {

// Menu command ids travel past the dialog to its parent and the application;
// control ids stay with the dialog that owns the control.
bool IsRoutedCommand(UINT id, UINT code)
{
    return code <= 1 && id >= 0x8000 && id < 0xF000;
}

} // namespace

HWND CDialog::InnerDialogOf(HWND control, UINT id, UINT code) const
{
    // Enter on a focused button reaches the outermost dialog as that
    // button's click (the dialog manager sends every key's command there);
    // a button of a dialog inside it, such as a panel, is the inner
    // dialog's, which must hear the click as a mouse click would tell it.
    if (code != BN_CLICKED || !control || !m_hWnd || !::IsWindow(control) ||
        static_cast<UINT>(::GetDlgCtrlID(control)) != id)
        return nullptr;
    HWND owner = ::GetParent(control);
    if (!owner || owner == m_hWnd || !::IsChild(m_hWnd, owner))
        return nullptr;
    return owner;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::CDialog(const char* templateName, CWnd* parent)
    : m_templateName(templateName ? templateName : ""), m_parent(parent)
{
}

CDialog::~CDialog() = default;

const char* CDialog::TemplateResource() const
{
    if (m_templateName.empty()) {
        return MAKEINTRESOURCEA(m_templateId);
    }
    return m_templateName.c_str();
}

HWND CDialog::OwnerForCreation(CWnd* parent) const
{
    if (m_ownerWindow && ::IsWindow(m_ownerWindow)) {
        return m_ownerWindow;
    }
    if (!parent) {
        parent = m_parent;
    }
    return parent ? parent->m_hWnd : nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_templateId = templateId;
    m_templateName.clear();
    return CreateFromTemplate(OwnerForCreation(parent), false);
}

BOOL CDialog::Create(const char* templateName, CWnd* parent)
{
    m_templateName = templateName ? templateName : "";
    return CreateFromTemplate(OwnerForCreation(parent), false);
}

BOOL CDialog::CreateFromTemplate(HWND owner, bool hidden)
{
    if (m_hWnd) {
        return FALSE;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, TemplateResource(), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = found ? SizeofResource(instance, found) : 0;
    if (!data || size < sizeof(DLGTEMPLATE) || size > 0x1000000) {
        return FALSE;
    }
    // A copy, so a modal dialog can be created hidden whatever its template
    // says and shown only once it has not asked to stay hidden.
    std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    memcpy(copy.data(), data, size);
    const WORD* head = reinterpret_cast<const WORD*>(copy.data());
    bool extended = head[0] == 1 && head[1] == 0xFFFF;
    DWORD* style = extended ? &copy[3] : &copy[0];
    if (hidden) {
        *style &= ~static_cast<DWORD>(WS_VISIBLE);
    }
    HWND window = CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()),
                                             owner, &CDialog::ClassDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    return window && m_hWnd == window;
}

INT_PTR CALLBACK CDialog::ClassDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Everything after WM_INITDIALOG reaches the object through its window
    // procedure; everything before it belongs to the dialog manager.
    if (message != WM_INITDIALOG || CWnd::FromHandle(window)) {
        return FALSE;
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog || dialog->m_hWnd) {
        return FALSE;
    }
    dialog->Subclass(window);
    return dialog->Dispatch(message, wParam, lParam);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG && !GetMessageMap()->FindMessage(message)) {
        return OnInitDialog();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam)
{
    if (CWnd::OnCmdMsg(id, code, wParam, lParam)) {
        return TRUE;
    }
    if (code <= 1 && id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (code <= 1 && id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    if (HWND owner = InnerDialogOf(reinterpret_cast<HWND>(lParam), id, code)) {
        ::SendMessageA(owner, WM_COMMAND, wParam, lParam);
        return TRUE;
    }
    if (OnCmdMsg(id, code, wParam, lParam)) {
        return TRUE;
    }
    if (!IsRoutedCommand(id, code)) {
        return FALSE;
    }
    CWnd* parent = CWnd::FromHandle(::GetParent(m_hWnd));
    if (!parent) {
        parent = m_parent;
    }
    if (parent && parent != this && parent->OnCmdMsg(id, code, wParam, lParam)) {
        return TRUE;
    }
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code, wParam, lParam);
}

BOOL CDialog::ShowWindow(int command)
{
    if (m_modal) {
        m_keepHidden = command == SW_HIDE;
    }
    return CWnd::ShowWindow(command);
}

void CDialog::EndDialog(INT_PTR result)
{
    m_result = result;
    if (m_modal) {
        m_ended = true;
        // Wakes the loop, which may be waiting for a message.
        if (m_hWnd) {
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
        }
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

void CDialog::RunModalLoop()
{
    HWND window = m_hWnd;
    while (!m_ended && ::IsWindow(window)) {
        MSG msg;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            m_quit = true;
            m_quitCode = msg.wParam;
            m_result = 0;
            break;
        }
        CWinApp::PumpMessage(msg, MSGF_DIALOGBOX);
    }
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd || m_modal) {
        return -1;
    }
    HWND owner = OwnerForCreation(nullptr);
    if (!owner) {
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd->IsWindow()) {
            owner = app->m_pMainWnd->m_hWnd;
        }
    }
    HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    bool disabled = false;
    if (top && IsWindowEnabled(top)) {
        EnableWindow(top, FALSE);
        disabled = true;
    }
    m_modal = true;
    m_ended = false;
    m_keepHidden = false;
    m_quit = false;
    m_quitCode = 0;
    m_result = 0;
    if (!CreateFromTemplate(owner, true)) {
        if (disabled) {
            EnableWindow(top, TRUE);
        }
        m_modal = false;
        return -1;
    }
    HWND window = m_hWnd;
    if (!m_ended && !m_keepHidden && ::IsWindow(window)) {
        ::ShowWindow(window, SW_SHOWNORMAL);
    }
    RunModalLoop();
    // The owner is enabled before the dialog goes, so activation returns to it
    // and not to some other program's window.
    if (disabled && ::IsWindow(top)) {
        EnableWindow(top, TRUE);
    }
    if (::IsWindow(window)) {
        bool visible = IsWindowVisible(window) != FALSE;
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (visible && top && IsWindowVisible(top)) {
            SetActiveWindow(top);
        }
        ::DestroyWindow(window);
    }
    m_modal = false;
    if (m_quit) {
        PostQuitMessage(static_cast<int>(m_quitCode));
    }
    return m_result;
}
