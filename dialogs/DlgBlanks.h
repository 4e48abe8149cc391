// The stock editor: the stock rows (blanks) of one material with length,
// quantity (0: unlimited), kerf, edge trim, cost and comment.
#pragma once

#include "dialogs/DlgRowEditor.h"

class DlgBlanks : public DlgRowEditor {
public:
    explicit DlgBlanks(CWnd* parent);

    // Takes "blank" (the uid of the row to show first), "material" and
    // "field" (the field to focus, 1 to 6) and a copy of the stock rows.
    bool SetData(const DProps& params, const PropsList& rows);
};
