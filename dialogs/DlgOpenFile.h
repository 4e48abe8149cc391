// The "File saved" box: names the file the program has just written and
// offers to open it, to open its folder, or to go on.
#pragma once

#include "dialogs/DlgFrame.h"

class DlgOpenFile : public DlgFrame {
public:
    // Results of the box.
    static constexpr INT_PTR OpenedFile = 1;
    static constexpr INT_PTR OpenedFolder = 2;
    static constexpr INT_PTR Continued = 0;

    explicit DlgOpenFile(CWnd* parent);

    // Takes "file" (the saved file), "path" (the folder to open; the file's
    // folder when absent), "text" ("1": a file type without a program opens
    // in the text editor) and "title" (the caption). True when the file or
    // the folder exists; the box is shown only then.
    bool SetParams(const DProps& params);

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
