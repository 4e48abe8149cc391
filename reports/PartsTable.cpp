// The parts tables of both layout classes: every part row of the material
// with its length and how many of its pieces the solution placed, laid out
// in two or three parallel blocks of columns and continued over pages.
#include <algorithm>
#include <string>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "reports/MTable.h"
#include "reports/OXRLayoutBaseCutting.h"
#include "reports/OXRLayoutSolution.h"
#include "reports/ReportTables.h"

using namespace ReportTables;

namespace {

// What a parts table is drawn with: the layout, its material and progress,
// and which form it takes.
struct PartsTable {
    OXRLayout& layout;
    DCSProject* material;
    int headColor;
    int& resume;
    int rowHeight;
    // Parts side by side in one table row: 2, or 3 for the list form.
    int blocks;
    bool base;
};

// Part rows are numbered in row order, so the row at id - 1 is nearly
// always the one; the search covers rows whose numbers were changed.
const DProps* PartRow(const PropsList& rows, long id)
{
    const std::string text = StrFromLong(id);
    if (id >= 1 && static_cast<size_t>(id) <= rows.size()) {
        const DProps& row = rows[static_cast<size_t>(id - 1)];
        if (row.IndexOf("id") >= 0 && DProps::GetString(row, "id", "") == text)
            return &row;
    }
    for (const DProps& row : rows)
        if (row.IndexOf("id") >= 0 && DProps::GetString(row, "id", "") == text)
            return &row;
    return nullptr;
}

std::string Stored(const DProps& row, const char* key, const char* def)
{
    return row.IndexOf(key) >= 0 ? DProps::GetString(row, key, "") : std::string(def);
}

int Count(const PartsTable& t) { return static_cast<int>(t.material->GetPieceRows().size()); }

int RowsFor(int parts, int blocks) { return parts > 0 ? (parts + blocks - 1) / blocks : 0; }

void AddPart(const PartsTable& t, MTable& table, const DProps& row, const std::string& id, const std::string& no,
             bool& unplacedShown)
{
    const std::string label = Stored(row, "label", "");
    const std::string comment = Stored(row, "comment", "");
    std::string name;
    if (t.base) {
        name = "#" + id;
        if (!label.empty())
            name += " " + label;
        if (!comment.empty())
            name += " " + comment;
    } else {
        name = no + id;
        if (!label.empty())
            name += " " + label;
        if (!comment.empty() && t.blocks == 2)
            name += ": " + comment;
    }
    table.AddRow(0, TextCell(name.c_str(), false));

    const std::string length = Stored(row, "length", "");
    if (t.base)
        table.AddRow(0, TextCell(length.c_str(), false));
    else
        table.AddRow(0, TextCell(length.empty() ? "-" : FormatLengthText(length.c_str(), false).c_str(), false));

    if (t.base) {
        table.AddRow(0, TextCell(Stored(row, "quantity", "-").c_str(), false));
        return;
    }
    if (t.material->GetOrphans(id.c_str()) != 0) {
        unplacedShown = true;
        const std::string placed = t.material->QuantityText(id.c_str(), false);
        TCell cell;
        if (UString(placed.c_str()).HasText(true)) {
            cell.SetText(TText(nullptr, TText::kNormal, placed.c_str()), -1, false);
            cell.AddText(TText(t.layout.GetFont("tiny"), TText::kSuperscript, "1"), false);
        } else {
            cell.SetText(TText(nullptr, TText::kNormal, "-"), -1, false);
        }
        table.AddRow(0, cell);
        return;
    }
    const std::string quantity =
        t.blocks == 2 ? t.material->QuantityText(id.c_str(), true) : Stored(row, "quantity", "-");
    table.AddRow(0, TextCell(quantity.c_str(), false));
}

// The table of rows table rows from the resume index on; the parts it holds
// go to placed, and ended tells that the list stopped at a missing part row.
void Fill(const PartsTable& t, MTable& table, bool html, int rows, int& placed, bool& ended)
{
    UPairList overrides;
    // The base layout's HTML tables are always plain.
    TableOverrides(t.layout, overrides, t.headColor, t.base && html);
    LoadTableStyle(t.layout, table, "table.pieces", overrides);

    static const struct {
        const char* key;
        int unit;
    } kColumns[] = {{"Piece", -1}, {"Length", 0}, {"Quantity", 1}};
    for (int b = 0; b < t.blocks; ++b)
        for (const auto& column : kColumns)
            table.AddHeader(0, t.base ? TextCell(t.layout.LocaleText(column.key, column.key).GetText(), false)
                                      : TextCell(HeaderText(t.layout, column.key, column.unit).GetText(), true));
    UString title = t.layout.LocaleText(t.layout.Params().Get("table.pieces.name").GetText(), "Pieces");
    if (t.resume != 0)
        title.Append(" ").Append(t.layout.LocaleText("continued", "(continued)").GetText());
    table.SetBaseCell(TitleCell(t.layout, title, "h2"));

    const PropsList& parts = t.material->GetPieceRows();
    const std::string no = t.base ? std::string() : App().GetGlobalText("no", "");
    const int s = t.resume;
    bool unplacedShown = false;
    placed = 0;
    ended = false;
    for (int j = 0; j < rows; ++j) {
        if (!PartRow(parts, s + j + 1)) {
            ended = true;
            break;
        }
        for (int b = 0; b < t.blocks; ++b) {
            const long id = static_cast<long>(s) + j + static_cast<long>(b) * rows + 1;
            const DProps* row = PartRow(parts, id);
            if (!row) {
                for (int k = 0; k < 3; ++k)
                    table.AddRow(0, TextCell("", false));
                continue;
            }
            AddPart(t, table, *row, StrFromLong(id), no, unplacedShown);
            ++placed;
        }
    }
    if (unplacedShown) {
        const std::string note = App().GetMessageText("calc.incomplete", "Not all parts are placed");
        table.AddNote(-1, TextCell(StrFormatStatic("[1] %s", note.c_str()).c_str(), false));
    }
}

bool Fits(MTable& table, const OXRRenderContext& ctx)
{
    table.Measure(ctx.draw);
    return ctx.y + Height(table.GetRect()) <= Height(ctx.draw->GetRect());
}

// Of the rows left, those the page is planned to take: by the row height a
// stock table measured, else by one row's own height; -1 when the table
// should start on the next page.
int PlannedRows(const PartsTable& t, const OXRRenderContext& ctx, int rows, bool firstOnPage)
{
    const int h = t.rowHeight;
    if (h > 0) {
        const bool reserve = !t.base && t.material->GetOrphans("") != 0;
        int avail = (Height(ctx.draw->GetRect()) - ctx.y - 2 * h - (reserve ? h : 0)) / h;
        if (avail < 2) {
            // A table that starts its page takes what room there is: asking
            // for the next page would meet the same page again.
            if (!firstOnPage)
                return -1;
            avail = std::max(avail, 1);
        }
        return std::min(avail, rows);
    }
    if (rows > 1) {
        // No stock table measured a row yet: the table takes the whole list
        // when it fits, and never more rows than one row's height allows.
        MTable one;
        int placed = 0;
        bool ended = false;
        Fill(t, one, false, 1, placed, ended);
        one.Measure(ctx.draw);
        const int rowHeight =
            Height(one.Data().rect) + static_cast<int>(one.Style().GetInherited("spacing").ToLong());
        if (rowHeight > 0)
            rows = std::min(rows, std::max(1, (Height(ctx.draw->GetRect()) - ctx.y) / rowHeight));
    }
    return rows;
}

// The most rows, up to most, that fit below the context's position.
int MostRowsThatFit(const PartsTable& t, const OXRRenderContext& ctx, int most)
{
    int lo = 0;
    int hi = most;
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        MTable probe;
        int placed = 0;
        bool ended = false;
        Fill(t, probe, false, mid, placed, ended);
        if (Fits(probe, ctx))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// Draws the rows that the page holds from the resume index on; true while
// parts remain for the next page.
bool PaintParts(PartsTable t, OXRRenderContext& ctx, bool firstOnPage)
{
    const int n = Count(t);
    MTable table;
    int placed = 0;
    bool ended = false;
    if (ctx.kind == OXRRenderContext::kHtml) {
        Fill(t, table, true, RowsFor(n, t.blocks), placed, ended);
        t.resume += placed;
        FormatHtml(table, ctx, true);
        return true;
    }
    if (!ctx.draw)
        return false;

    const int rows = PlannedRows(t, ctx, RowsFor(std::max(0, n - t.resume), t.blocks), firstOnPage);
    if (rows < 0)
        return true;

    Fill(t, table, false, rows, placed, ended);
    if (!table.HasColumns()) {
        // Nothing to draw: the parts count as placed, and the table ends.
        t.resume = n;
        return false;
    }
    bool force = false;
    if (!Fits(table, ctx)) {
        // Rows of several lines, or no reference height: the most rows that
        // fit, so that no part is skipped on the way to the next page.
        int lo = MostRowsThatFit(t, ctx, rows - 1);
        if (lo == 0) {
            if (!firstOnPage)
                return true;
            lo = std::min(rows, 1);
            force = true;
        }
        Fill(t, table, false, lo, placed, ended);
    }
    RECT area = {0, 0, 0, 0};
    if (table.Draw(ctx.draw, ctx.x, ctx.y, &area, force))
        return true;
    t.resume += placed;
    const bool more = !ended && t.resume < n;
    if (t.base && more)
        return true;
    ctx.y += Height(table.GetRect());
    Join(ctx.rect, area);
    return more;
}

} // namespace

bool OXRLayoutSolution::PaintPieces(OXRRenderContext& ctx, int mode)
{
    if (!m_material || !m_material->HasCuttings())
        return false;
    if (mode == 2)
        return PaintPiecesList(ctx);
    return PaintParts({*this, m_material, m_headColor, m_piecesResume, m_rowHeight, 2, false}, ctx, IsFirstOnPage());
}

bool OXRLayoutSolution::PaintPiecesList(OXRRenderContext& ctx)
{
    if (!m_material || !m_material->HasCuttings())
        return false;
    return PaintParts({*this, m_material, m_headColor, m_piecesResume, m_rowHeight, 3, false}, ctx, IsFirstOnPage());
}

bool OXRLayoutBaseCutting::PaintPieces(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintParts({*this, m_material, m_headColor, m_piecesResume, m_rowHeight, 2, true}, ctx, IsFirstOnPage());
}
