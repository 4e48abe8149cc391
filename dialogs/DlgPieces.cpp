#include "dialogs/DlgPieces.h"

#include "document/DCSProject.h"
#include "resources/SourceData.h"

namespace {

const RowEditorSpec& PiecesSpec()
{
    static const RowEditorSpec spec = [] {
        RowEditorSpec s{};
        s.templateId = IDD_PIECES;
        s.section = "dialog.pieces";
        s.selectParam = "piece";
        s.titleKey = "title";
        s.titleDef = "Edit Pieces";
        s.deleteHint = "Delete selected piece";
        s.okKey = "ok";
        s.cancelKey = "cancel";
        s.okFont = "buttBold";
        s.noteId = IDC_PIECES_NOTE;
        s.noteDef = "";
        s.keyNoteId = IDC_PIECES_KEY_NOTE;
        s.commentEdit = IDC_PIECES_COMMENT;
        s.placementSetting = &kSetPositionPieces;
        s.infoKey = "info.pieces";
        s.infoDef = "Parts";
        s.emptyDef = "No Parts specified";
        s.showQuantity = true;
        s.fields = {
            {"length", IDC_PIECES_LENGTH, IDC_PIECES_LENGTH_TITLE, "length", "Length", "Length",
             {{"type", "double"}, {"min", "1"}, {"compact", "1"}}, RowDisplay::Length},
            {"quantity", IDC_PIECES_QUANTITY, IDC_PIECES_QUANTITY_TITLE, "quantity", "Quantity", "Quantity",
             {{"type", "long"}, {"min", "1"}}, RowDisplay::Stored},
            {"label", IDC_PIECES_LABEL, IDC_PIECES_LABEL_TITLE, "label", "Label", "Identification Label", {},
             RowDisplay::Stored, true},
            {"comment", IDC_PIECES_COMMENT, IDC_PIECES_COMMENT_TITLE, "comment", "Comment", "Description of the part",
             {}, RowDisplay::Stored},
        };
        s.columns = {
            {60, "id", "ID"},
            {120, "length", "Length"},
            {120, "quantity", "Quantity"},
            {120, "label", "Label"},
            {420, "comment", "Comment"},
        };
        return s;
    }();
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
