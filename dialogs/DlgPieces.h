// The part editor: the part rows (pieces) of one material with length,
// quantity, label and comment.
#pragma once

#include "dialogs/DlgRowEditor.h"

class DCSProject;

class DlgPieces : public DlgRowEditor {
public:
    explicit DlgPieces(CWnd* parent);

    // Takes "piece" (the uid of the row to show first), "material" and
    // "field" (1 to 4) and a copy of the material's part rows; false,
    // nothing taken, without a material.
    bool SetData(const DProps& params, DCSProject* material);
    DCSProject* GetMaterial() const { return m_project; }

private:
    DCSProject* m_project = nullptr;
};
