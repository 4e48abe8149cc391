#include "dialogs/DlgPieces.h"

#include "document/DCSProject.h"
#include "resources/SourceData.h"

namespace {

const RowEditorSpec& PiecesSpec()
{
    static const RowEditorSpec spec = {
        IDD_PIECES,
        "dialog.pieces",
        "piece",
        "title",
        "Edit Pieces",
        "Delete selected piece",
        "ok",
        "cancel",
        "buttBold",
        1155,
        "",
        1128,
        1063,
        "position.pieces",
        "info.pieces",
        "Parts",
        "No Parts specified",
        true,
        {
            {"length", 1061, 1047, "length", "Length", "Length",
             {{"type", "double"}, {"min", "1"}, {"compact", "1"}}, RowDisplay::Length},
            {"quantity", 1062, 1052, "quantity", "Quantity", "Quantity",
             {{"type", "long"}, {"min", "1"}}, RowDisplay::Stored},
            {"label", 1064, 1053, "label", "Label", "Identification Label", {}, RowDisplay::Stored, true},
            {"comment", 1063, 1054, "comment", "Comment", "Description of the part", {}, RowDisplay::Stored},
        },
        {
            {60, "id", "ID"},
            {120, "length", "Length"},
            {120, "quantity", "Quantity"},
            {120, "label", "Label"},
            {420, "comment", "Comment"},
        },
    };
    return spec;
}

DlgClassPlacement s_placement;

} // namespace

DlgPieces::DlgPieces(CWnd* parent) : DlgRowEditor(PiecesSpec(), s_placement, parent) {}

bool DlgPieces::SetData(const DProps& params, DCSProject* material)
{
    if (!material)
        return false;
    m_project = material;
    return TakeRows(params, material->GetPieceRows());
}
