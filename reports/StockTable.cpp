// The stock table of both layout classes: one row per stock length with
// its use, going on over pages.
#include <cmath>
#include <string>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "reports/ReportTables.h"

using namespace ReportTables;

namespace {

const DProps* RowWith(const PropsList& rows, const char* key, const std::string& value)
{
    for (const DProps& row : rows)
        if (row.IndexOf(key) >= 0 && DProps::GetString(row, key, "") == value)
            return &row;
    return nullptr;
}

// The table's style, its column headers and its title ("(continued)" added
// on the pages after the first).
void StartStockTable(const StockTable& st, MTable& table, bool html, bool continued)
{
    OXRLayout& layout = st.layout;
    UPairList overrides;
    // The base layout's HTML tables are always plain.
    TableOverrides(layout, overrides, st.headColor, st.base && html);
    LoadTableStyle(layout, table, "table.blanks", overrides);
    static const struct {
        const char* key;
        int unit;
    } kColumns[] = {{"Blank", -1}, {"Length", 0}, {"Used", 1},     {"Pieces", 1},
                    {"Waste", -1}, {"Shifts", -1}, {"Remnants", 0}, {"Cost", 2}};
    for (const auto& column : kColumns)
        table.AddHeader(0, st.base ? TextCell(layout.LocaleText(column.key, column.key).GetText(), false)
                                   : TextCell(HeaderText(layout, column.key, column.unit).GetText(), true));
    UString title = layout.LocaleText(layout.Params().Get("table.blanks.name").GetText(), "Blanks");
    if (continued)
        title.Append(" ").Append(layout.LocaleText("continued", "(continued)").GetText());
    table.SetBaseCell(TitleCell(layout, title, "h2"));
}

// The cells of one stock length: its label, length, use and, when it was
// used, the summary's figures; no is the locale's number sign.
void AddStockRow(const StockTable& st, MTable& table, const std::string& id, const DProps& stock,
                 const DProps& summary, const std::string& no, bool remnants)
{
    const std::string comment = DProps::GetString(stock, "comment", "");
    std::string label = comment.empty() ? no + id : no + id + " " + comment;
    if (st.base)
        label = comment.empty() ? "#" + id : "#" + id + ": " + comment;
    table.AddRow(0, TextCell(label.c_str(), true));
    const std::string length = DProps::GetString(stock, "length", "");
    if (st.base)
        table.AddRow(0, TextCell(length.c_str(), false));
    else
        table.AddRow(0, TextCell(length.empty() ? "-" : FormatLengthText(length.c_str(), false).c_str(), false));
    const std::string used = SummaryValue(summary, "used", "0");
    table.AddRow(0, TextCell(used.c_str(), false));
    if (used == "0") {
        for (int k = 0; k < 5; ++k)
            table.AddRow(0, TextCell("-", false));
        return;
    }
    table.AddRow(0, TextCell(SummaryValue(summary, "pieces", "-").c_str(), false));
    table.AddRow(0, TextCell(WasteText(summary).c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(summary, "shifts", "-").c_str(), false));
    table.AddRow(0, TextCell(remnants ? FormatLengthText(SummaryValue(summary, "remnants", "0").c_str(), false).c_str()
                                      : "-",
                             false));
    const std::string cost = SummaryValue(summary, st.base ? "cost.ppu" : "cost.sum", "-");
    table.AddRow(0, TextCell(cost == "-" ? "-" : FormatCostText(cost.c_str(), false).c_str(), false));
}

// The stock table from row first on, at most maxRows rows; with pageCheck
// it stops after the row that reaches the page's lower limit (full set).
int FillBlanks(StockTable& st, MTable& table, OXRRenderContext& ctx, int first, int maxRows, bool pageCheck,
               bool& full)
{
    DCSProject* m_material = st.material;
    int& m_rowHeight = st.rowHeight;
    full = false;
    StartStockTable(st, table, ctx.kind == OXRRenderContext::kHtml, first != 0);

    const bool drawing = ctx.kind == OXRRenderContext::kDraw && ctx.draw;
    const std::string no = App().GetGlobalText("no", "");
    const std::string option = m_material->GetProperty("remnants", "");
    const bool remnants =
        st.base ? StrToLong(option.c_str()) != 0 : std::fabs(StrToDouble(option.c_str())) >= 1e-7;
    const long spacing = table.Style().GetInherited("spacing").ToLong();
    int added = 0;
    for (int i = first; added < maxRows; ++i) {
        const std::string id = StrFromLong(i + 1);
        const DProps* summary = RowWith(m_material->GetSummaryRows(), "blank", id);
        const DProps* stock = RowWith(m_material->GetBlankRows(), "id", id);
        if (!summary || !stock)
            break;
        if (drawing && m_rowHeight == 0) {
            table.Measure(ctx.draw);
            m_rowHeight = -Height(table.GetRect());
        }
        AddStockRow(st, table, id, *stock, *summary, no, remnants);
        ++added;
        if (!drawing)
            continue;
        table.Measure(ctx.draw);
        const int height = Height(table.GetRect());
        if (m_rowHeight <= 0)
            m_rowHeight += height + static_cast<int>(spacing);
        if (pageCheck && ctx.y + height > Height(ctx.draw->GetRect()) - 1.5 * m_rowHeight) {
            full = true;
            break;
        }
    }
    return added;
}

} // namespace

namespace ReportTables {

bool PaintStockTable(StockTable st, OXRRenderContext& ctx, bool firstOnPage)
{
    DCSProject* m_material = st.material;
    int& m_blanksResume = st.resume;
    const int first = m_blanksResume;
    MTable table;
    bool full = false;
    if (ctx.kind == OXRRenderContext::kHtml) {
        m_blanksResume += FillBlanks(st, table, ctx, first, INT_MAX, false, full);
        FormatHtml(table, ctx, true);
        return true;
    }
    if (!ctx.draw)
        return false;
    int rows = FillBlanks(st, table, ctx, first, INT_MAX, true, full);
    if (!table.HasColumns())
        return false;
    RECT area = {0, 0, 0, 0};
    // A table that declines keeps its rows for the next page: fewer rows are
    // tried first, and a table first on its page draws at least one row, so
    // no row is lost and every page makes progress.
    while (table.Draw(ctx.draw, ctx.x, ctx.y, &area, false)) {
        if (rows <= 1) {
            if (!firstOnPage)
                return true;
            rows = FillBlanks(st, table, ctx, first, 1, false, full);
            table.Draw(ctx.draw, ctx.x, ctx.y, &area, true);
            full = true;
            break;
        }
        rows = FillBlanks(st, table, ctx, first, rows - 1, false, full);
        full = true;
    }
    m_blanksResume = first + rows;
    if (full && RowWith(m_material->GetSummaryRows(), "blank", StrFromLong(m_blanksResume + 1)) &&
        RowWith(m_material->GetBlankRows(), "id", StrFromLong(m_blanksResume + 1)))
        return true;
    ctx.y += Height(table.GetRect());
    Join(ctx.rect, area);
    return false;
}

} // namespace ReportTables
