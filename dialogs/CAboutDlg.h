// The About box: the program's name, its build and the Windows it runs on.
#pragma once

#include <string>

#include "dialogs/DlgFrame.h"

class UPairList;

class CAboutDlg : public DlgFrame {
public:
    // No parent: the modal loop takes the main window as owner.
    CAboutDlg();

    // The version block of a system information list: "name text\r\n" per
    // entry, up to the first entry whose name is blank.
    static std::string VersionBlock(const UPairList& info);

protected:
    BOOL OnInitDialog() override;
    // The class library's own results: IDOK and IDCANCEL.
    void OnOK() override { CDialog::OnOK(); }
    void OnCancel() override { CDialog::OnCancel(); }
};
