// What the import and the export dialog share: a descriptor of the fields on
// offer, the field order the user builds from them (Insert, Append, Remove,
// Move Up, Move Down, format files), the field separator, a list of records
// and the layout around them. After every change the export regenerates its
// text and the import parses its text again.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "dialogs/DFieldFormat.h"
#include "dialogs/DlgFrame.h"
#include "foundation/DData.h"
#include "resources/SourceData.h"

class ICList;

class DlgDelimited : public DlgFrame {
public:
    // Control ids the two templates share.
    enum : int {
        kList = IDC_DELIMITED_LIST,
        kFormatList = IDC_DELIMITED_FORMAT_LIST,
        kInsert = IDC_DELIMITED_INSERT,
        kAppend = IDC_DELIMITED_APPEND,
        kRemove = IDC_DELIMITED_REMOVE,
        kFormatFile = IDC_DELIMITED_FORMAT_FILE,
        kMoveUp = IDC_DELIMITED_MOVE_UP,
        kMoveDown = IDC_DELIMITED_MOVE_DOWN,
        kText = IDC_DELIMITED_TEXT,
        kSeparatorLabel = IDC_DELIMITED_SEPARATOR_TITLE,
        kSeparator = IDC_DELIMITED_SEPARATOR,
    };
    // Commands of the format-file menu.
    enum : long { kLoadFormat = 1, kSaveFormat = 2 };

    DlgDelimited(UINT templateId, CWnd* parent, const char* section, UINT iconId,
                 DlgClassPlacement& placement);
    ~DlgDelimited() override;

    // The parameters with the user's choices ("field.separator", "format").
    const DProps& GetParams() const { return m_params; }
    DData& GetTable() { return m_table; }
    const DFieldFormat& GetFormat() const { return m_format; }
    long GetSelectedEntry() const { return m_selected; }

protected:
    // What the two dialogs' openings differ in.
    struct Shell {
        const char* defaultTitle;
        const char* separatorHint;
        // The group captions drawn by us, under the locale keys "source",
        // "format" and "output".
        int sourceCaption;
        int formatCaption;
        int outputCaption;
        // The buttons beside the text.
        std::vector<ButtonText> buttons;
        const char* okHint;
        const char* cancelHint;
    };

    // Copies the descriptor and splits it into fields, titles, widths and
    // field order.
    void TakeDescriptor(const DProps& descriptor);

    // Opens the shell the dialog describes, then its own controls; the
    // buttons' states and the layout follow.
    BOOL OnInitDialog() final;
    virtual Shell DescribeShell() const = 0;
    virtual void OpenContent() = 0;
    // OK and Cancel at the bottom right, then what stands above them.
    void LayoutControls() final;
    // The dialog's own controls above OK and Cancel, whose top is given.
    virtual void LayoutAbove(long top, long margin, const RECT& client) = 0;
    // The list across the width between the margins, down to bottom (its own
    // bottom when negative); the last column takes what the others leave.
    void StretchList(long bottom);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A list of owner data asks for the texts of the rows it shows.
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // The records in the list, one column per field.
    void ShowRecords();
    // The format list box from the chosen keys, the remembered entry selected.
    void FillFormatList();
    // The separator entries, the one that params "field.separator" begins with selected.
    void FillSeparators();
    // The first character of the chosen separator and the field order into params.
    void StoreChoices();
    // The format list refilled, then the text regenerated or parsed again.
    void RefreshFormatList();
    // Regenerates the output (export) or parses the source again (import).
    virtual void Reparse() = 0;
    // Remove, Move Up and Move Down by the selected entry.
    void UpdateFormatButtons();

    // The user's pick from a pop-up menu at the cursor: its command, 0 when
    // dismissed. Tests stand in for the user here.
    virtual long TrackMenu(const std::vector<std::pair<long, std::string>>& items);
    // A path from the system's open or save dialog; empty when cancelled.
    std::string ChooseFile(bool save, const char* proposed, const char* filter);

    // The whole text of an edit, however long.
    std::string WholeText(int id) const;
    // Reports a file the program could not write.
    void ReportWriteFailure(const std::string& path);

    DData m_table;
    DFieldFormat m_format;
    std::vector<std::string> m_separators;
    long m_selected = 0;
    ICList* m_list = nullptr;
    std::vector<long> m_widths;

private:
    // Caption, texts, hints and fonts of the shared controls, the list's
    // columns and the placement.
    void OpenShared(const char* defaultTitle, const char* separatorHint);
    // The group captions (id, locale key), drawn by us.
    void OpenCaptions(const std::vector<std::pair<int, const char*>>& captions);
    // OK and Cancel ("Close") with their texts and hints.
    void OpenOkCancel(const char* okHint, const char* cancelHint);
    // OK and Cancel at the bottom right; returns their top.
    long PlaceOkCancel();

    void InsertOrAppend(bool insert);
    void RemoveEntry();
    void MoveEntry(bool up);
    void FormatFileMenu();

    DlgClassPlacement& m_placement;
};
