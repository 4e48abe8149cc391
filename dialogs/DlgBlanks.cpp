#include "dialogs/DlgBlanks.h"

#include "resources/SourceData.h"

namespace {

const RowEditorSpec& BlanksSpec()
{
    static const RowEditorSpec spec = [] {
        RowEditorSpec s{};
        s.templateId = IDD_BLANKS;
        s.section = "dialog.blanks";
        s.selectParam = "blank";
        s.titleKey = "title.edit";
        s.titleDef = "Edit Blanks";
        s.deleteHint = "Delete item";
        s.okKey = "ok.edit";
        s.cancelKey = "cancel.edit";
        s.okFont = "buttNorm";
        s.noteId = IDC_BLANKS_NOTE;
        s.noteDef = "'Quantity' - restriction by number of available blanks\\r\\n"
                    "'Indent+' - add. indentation from the edge (cleavage)";
        s.keyNoteId = IDC_BLANKS_KEY_NOTE;
        s.commentEdit = IDC_BLANKS_COMMENT;
        s.placementSetting = &kSetPositionBlanks;
        s.infoKey = "info.blanks";
        s.infoDef = "Blanks";
        s.emptyDef = "No Blanks";
        s.showQuantity = false;
        s.fields = {
            {"length", IDC_BLANKS_LENGTH, IDC_BLANKS_LENGTH_TITLE, "length", "Length", "Length",
             {{"type", "double"}, {"min", "1"}, {"compact", "1"}}, RowDisplay::Length},
            // 0 bars: as many as the cutting needs.
            {"quantity", IDC_BLANKS_QUANTITY, IDC_BLANKS_QUANTITY_TITLE, "quantity", "Quantity", "Quantity",
             {{"type", "long"}, {"min", "0"}}, RowDisplay::Stored},
            // A kerf below 1 is allowed, with a warning.
            {"knife", IDC_BLANKS_KNIFE, IDC_BLANKS_KNIFE_TITLE, "knife", "Knife", "Knife",
             {{"type", "double"}, {"min", "0"}, {"min.warn", "1"}, {"compact", "1"}}, RowDisplay::Length},
            {"indent", IDC_BLANKS_INDENT, IDC_BLANKS_INDENT_TITLE, "indent", "Indent+",
             "Indentation from the edge (cleavage)",
             {{"type", "double"}, {"min", "0"}, {"compact", "1"}}, RowDisplay::Length},
            {"cost", IDC_BLANKS_COST, IDC_BLANKS_COST_TITLE, "cost", "Cost", "Cost",
             {{"type", "double"}, {"min", "0"}, {"default", "1"}}, RowDisplay::Cost},
            {"comment", IDC_BLANKS_COMMENT, IDC_BLANKS_COMMENT_TITLE, "comment", "Comment", "Comment", {},
             RowDisplay::Stored},
        };
        s.columns = {
            {60, "id", "ID"},
            {130, "length", "Length"},
            {130, "quantity", "Quantity*"},
            {130, "knife", "Knife"},
            {130, "indent", "Indent+"},
            {130, "cost", "Cost"},
            {270, "comment", "Comment"},
        };
        return s;
    }();
    return spec;
}

DlgClassPlacement s_placement;

} // namespace

DlgBlanks::DlgBlanks(CWnd* parent) : DlgRowEditor(BlanksSpec(), s_placement, parent) {}

bool DlgBlanks::SetData(const DProps& params, const PropsList& rows)
{
    return TakeRows(params, rows);
}
