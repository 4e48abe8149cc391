// The export dialog: the records a caller hands over, the field order and
// separator the user chooses, and the text they make, which the user may
// touch up and then save to a file or put on the clipboard. OK keeps the
// formatting for the next time; Close keeps the old one.
#pragma once

#include <string>

#include "dialogs/DlgDelimited.h"

class DlgExport : public DlgDelimited {
public:
    enum : int {
        kSourceCaption = IDC_EXPORT_SOURCE_TITLE,
        kFormatCaption = IDC_EXPORT_FORMAT_TITLE,
        kOutputCaption = IDC_EXPORT_OUTPUT_TITLE,
        kSaveFile = IDC_EXPORT_SAVE_FILE,
        kClipboard = IDC_EXPORT_CLIPBOARD,
    };

    explicit DlgExport(CWnd* parent);

    // The descriptor ("fields", "titles", "columns", "format",
    // "format.separator", "field.separator", "record.separator", "file",
    // "title") and a copy of the records; false, nothing taken, without
    // records.
    bool Setup(const DProps& descriptor, const PropsList& records);

    // The text of the output box.
    std::string GetOutput() const { return WholeText(kText); }

protected:
    Shell DescribeShell() const override;
    void OpenContent() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void UpdateButtons() override;
    void LayoutAbove(long top, long margin, const RECT& client) override;
    void Reparse() override;

    // After a file was written whole: the "File saved" box.
    virtual void ShowFileSaved(const std::string& path);

private:
    void SaveToFile();
    void CopyToClipboard();
};
