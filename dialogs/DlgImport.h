// The import dialog: text typed, pasted, or loaded from a file or the
// clipboard, read into records under the field order and separator the user
// chooses, shown at once in the result list. OK hands the records and the
// formatting to the caller.
#pragma once

#include <string>

#include "dialogs/DlgDelimited.h"

class DlgImport : public DlgDelimited {
public:
    enum : int {
        kOutputCaption = IDC_IMPORT_RESULT_TITLE,
        kFormatCaption = IDC_IMPORT_FORMAT_TITLE,
        kSourceCaption = IDC_IMPORT_SOURCE_TITLE,
        kNote = IDC_IMPORT_NOTE,
        kOpenFile = IDC_IMPORT_OPEN_FILE,
        kClipboard = IDC_IMPORT_CLIPBOARD,
        kCompact = IDC_IMPORT_COMPACT,
    };

    explicit DlgImport(CWnd* parent);

    // The descriptor (as the export dialog's, plus "compact") and a text to
    // start with; keys of "format" that are no field become the empty
    // field. True.
    bool Setup(const DProps& descriptor, const std::string& startText);

    // The import dialog's detection: the candidates, then one field per line
    // when the text has more than three line breaks.
    std::string DetectSeparator(const std::string& text) const;

    // Why OK cannot take the text as it stands ("" when it can): a line
    // without the chosen separator while the format asks for more than one
    // field.
    std::string RefusalOfText() const;

protected:
    Shell DescribeShell() const override;
    void OpenContent() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void UpdateButtons() override;
    void LayoutAbove(long top, long margin, const RECT& client) override;
    void Reparse() override;

private:
    void FillControls();
    void LoadFile();
    void LoadClipboard();
    // A text from outside into the source box, then its separator.
    void TakeText(std::string text, const std::string& separator);
    // The source text into the box: whole, or its beginning when long.
    void ShowSource();

    std::string m_source;
    bool m_settingText = false;
    // The box shows the beginning of the source text only.
    bool m_shownInPart = false;
};
