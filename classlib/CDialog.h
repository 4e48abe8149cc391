// A dialog built from a template of the executable's resources: modeless
// (Create) or modal (DoModal) through the library's own modal loop, so the
// application's message filter sees every message of it.
#pragma once

#include "classlib/CWnd.h"

#include <string>

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent = nullptr);
    CDialog(const char* templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // Modeless: creates the dialog from its template with the given parent
    // (none: the parent given to the constructor). A template with
    // WS_VISIBLE shows at once. False when the window was not created.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(const char* templateName, CWnd* parent = nullptr);

    // Runs the dialog modally and returns the result given to EndDialog;
    // -1 when the dialog could not be created, 0 when a WM_QUIT ended the
    // loop (the quit is posted again for the loops outside). The owner is the
    // parent's top-level window, else the application's main window; it is
    // disabled while the dialog runs, then enabled and activated again.
    // The dialog is shown after OnInitDialog unless it has hidden itself
    // (ShowWindow(SW_HIDE) through the object) or ended.
    virtual INT_PTR DoModal();
    // Ends a modal dialog with the result; hides a modeless one.
    void EndDialog(INT_PTR result);

    // WM_INITDIALOG: the object is bound by then. The answer says whether
    // the dialog manager sets the focus (TRUE) or the dialog did (FALSE).
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Command routing: own handlers (with IDOK to OnOK and IDCANCEL to
    // OnCancel), then, for menu command ids (0x8000 to 0xEFFF, notification
    // code 0 or 1), the parent window's handlers, then the application's.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnCmdMsg(UINT id, UINT code, WPARAM wParam, LPARAM lParam) override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL ShowWindow(int command) override;
    // Creation (modal or modeless) goes to this owner window instead of the
    // parent object's window.
    void SetOwnerWindow(HWND owner) { m_ownerWindow = owner; }
    CWnd* GetParentObject() const { return m_parent; }
    bool IsModal() const { return m_modal; }
    UINT GetTemplateId() const { return m_templateId; }

protected:
    UINT m_templateId = 0;
    std::string m_templateName;
    CWnd* m_parent = nullptr;

private:
    // The dialog inside this one that owns the control of a click, null
    // when the control is this dialog's own (or the command is no click).
    HWND InnerDialogOf(HWND control, UINT id, UINT code) const;
    const char* TemplateResource() const;
    HWND OwnerForCreation(CWnd* parent) const;
    // Creates the window from the template; hidden forces WS_VISIBLE off.
    BOOL CreateFromTemplate(HWND owner, bool hidden);
    void RunModalLoop();
    static INT_PTR CALLBACK ClassDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_ownerWindow = nullptr;
    bool m_modal = false;
    bool m_ended = false;
    bool m_keepHidden = false;
    bool m_quit = false;
    WPARAM m_quitCode = 0;
    INT_PTR m_result = 0;
};
