#include "dialogs/DlgBlanks.h"

#include "resources/SourceData.h"

namespace {

const RowEditorSpec& BlanksSpec()
{
    static const RowEditorSpec spec = {
        IDD_BLANKS,
        "dialog.blanks",
        "blank",
        "title.edit",
        "Edit Blanks",
        "Delete item",
        "ok.edit",
        "cancel.edit",
        "buttNorm",
        1051,
        "'Quantity' - restriction by number of available blanks\\r\\n"
        "'Indent+' - add. indentation from the edge (cleavage)",
        1055,
        1070,
        "position.blanks",
        "info.blanks",
        "Blanks",
        "No Blanks",
        false,
        {
            {"length", 1061, 1047, "length", "Length", "Length",
             {{"type", "double"}, {"min", "1"}, {"compact", "1"}}, RowDisplay::Length},
            // 0 bars: as many as the cutting needs.
            {"quantity", 1062, 1052, "quantity", "Quantity", "Quantity",
             {{"type", "long"}, {"min", "0"}}, RowDisplay::Stored},
            // A kerf below 1 is allowed, with a warning.
            {"knife", 1064, 1053, "knife", "Knife", "Knife",
             {{"type", "double"}, {"min", "0"}, {"min.warn", "1"}, {"compact", "1"}}, RowDisplay::Length},
            {"indent", 1066, 1079, "indent", "Indent+", "Indentation from the edge (cleavage)",
             {{"type", "double"}, {"min", "0"}, {"compact", "1"}}, RowDisplay::Length},
            {"cost", 1063, 1054, "cost", "Cost", "Cost",
             {{"type", "double"}, {"min", "0"}, {"default", "1"}}, RowDisplay::Cost},
            {"comment", 1070, 1056, "comment", "Comment", "Comment", {}, RowDisplay::Stored},
        },
        {
            {60, "id", "ID"},
            {130, "length", "Length"},
            {130, "quantity", "Quantity*"},
            {130, "knife", "Knife"},
            {130, "indent", "Indent+"},
            {130, "cost", "Cost"},
            {270, "comment", "Comment"},
        },
    };
    return spec;
}

DlgClassPlacement s_placement;

} // namespace

DlgBlanks::DlgBlanks(CWnd* parent) : DlgRowEditor(BlanksSpec(), s_placement, parent) {}

bool DlgBlanks::SetData(const DProps& params, const PropsList& rows)
{
    return TakeRows(params, rows);
}
