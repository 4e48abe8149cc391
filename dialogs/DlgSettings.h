// The application's settings: how numbers are written (list and decimal
// separators, the units after counts, lengths and costs, their digits and
// trailing zeroes) and which system printers the program leaves out. The
// formats travel in the parameter bag as choice indexes; the printer
// exclusions are applied to the application when the user accepts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/DlgFrame.h"
#include "foundation/StrList.h"

class DlgSettings : public DlgFrame {
public:
    // Rebuilds the application's printer list, showing its progress in the
    // status window given (null: nowhere). The printers live in a layer
    // above the dialogs, so the opener hands the rebuild in.
    using PrinterRefresh = std::function<void(HWND status)>;

    explicit DlgSettings(CWnd* parent, PrinterRefresh refreshPrinters = nullptr);

    // The excluded printers as the setting keeps them: each name in double
    // quotes, joined by ", ". The application's list at opening, the
    // accepted one after OK.
    const std::string& GetExclusionText() const { return m_exclusionText; }

    // Whether a format or a printer check box differs from the opening state.
    bool HasChanges();

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // Replaces the application's exclusions by the unchecked printers and,
    // when they changed, rebuilds the printer list under the banner.
    void OnOK() override;

private:
    // The steps of OnInitDialog: the controls' fonts; the format labels and
    // choice lists; the stored formats selected; the printer list's column,
    // title and note.
    void ApplyFonts();
    void FillFormatChoices();
    void ShowStoredFormats();
    void SetUpPrinterList();
    // The control's text from the locale, def when it has none.
    void SetLabel(int id, const char* key, const char* def);
    void FillChoiceList(int listId, const char* menuKey, const char* const* builtIn, size_t builtInCount);
    void UpdateDecimalNote();
    void FillPrinterList();
    // The unchecked printers into target (emptied first); their names
    // joined the way the setting keeps them.
    std::string CollectUncheckedPrinters(UStringList& target) const;
    void UpdateOkButton();

    PrinterRefresh m_refreshPrinters;
    HWND m_printerList = nullptr;
    std::string m_exclusionText;
    bool m_ready = false;
    unsigned long m_initialChecksum = 0;
};
