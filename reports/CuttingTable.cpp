// The cutting tables of both layout classes: the detailed form (a summary
// table and a grid of cut positions per pattern), the list of patterns and
// the compact table of bars, each continued over pages; and the walk of the
// solution layout to the next active material once a material's patterns
// are all shown.
#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "reports/MTable.h"
#include "reports/OXRLayoutBaseCutting.h"
#include "reports/OXRLayoutSolution.h"
#include "reports/ReportTables.h"
#include "reports/ScaleNumberList.h"

using namespace ReportTables;

namespace {

// Parts shown in one pair of grid rows.
constexpr int kGroup = 8;
// The grid's columns: the row labels, then one per part.
constexpr const char* kGridColumns = "192,200,200,200,200,200,200,200,200";

const DProps* FindRow(const PropsList& rows, const char* key, const std::string& value)
{
    for (const DProps& row : rows)
        if (row.IndexOf(key) >= 0 && DProps::GetString(row, key, "") == value)
            return &row;
    return nullptr;
}

// The stored text, def when the key is missing.
std::string Stored(const DProps& row, const char* key, const char* def)
{
    return row.IndexOf(key) >= 0 ? DProps::GetString(row, key, "") : std::string(def);
}

// A length cell: "-" when missing or "-", else formatted the user's way.
std::string LengthOrDash(const DProps& row, const char* key)
{
    const std::string text = Stored(row, key, "-");
    return text == "-" ? text : FormatLengthText(text.c_str(), false);
}

// n, or n (n x copies) for a pattern cut more than once; "-" for none.
std::string PerBar(long n, long copies)
{
    if (n == 0)
        return "-";
    if (copies == 1)
        return StrFormatStatic("%ld", n);
    return StrFormatStatic("%ld (%ld)", n, n * copies);
}

// The stock a pattern is cut from: number mark, id and length, "#3 (6000)".
std::string StockLabel(const std::string& no, const std::string& id, const std::string& length)
{
    return StrFormatStatic("%s%s (%s)", no.c_str(), id.c_str(), length.c_str());
}

// What a cutting table is drawn with: the layout, the material, the
// progress fields of its class, and which class's form it takes.
struct Cutting {
    OXRLayout& layout;
    DCSProject* material;
    int headColor;
    int& cursor;
    int& continued;
    // Where a grid cut over pages goes on.
    int* partsDone;
    double* cutPosition;
    int rowHeight;
    bool base;
    // The solution form fits the grid's rows to the page; the base form
    // moves a whole grid to the next page and cuts only one taller than a page.
    bool fitRows;
};

void Style(const Cutting& c, MTable& table, bool html, const char* widths, const char* font)
{
    UPairList overrides;
    // The base layout's HTML tables are always plain.
    TableOverrides(c.layout, overrides, c.headColor, c.base && html);
    const std::string scaled = ScaleNumberList(widths, c.layout.GetDrawScale());
    table.LoadStyle(overrides, scaled.c_str(), c.layout.GetFont(font));
}

UString PatternTitle(const Cutting& c, bool continued)
{
    UString title = c.base ? c.layout.LocaleText("title.cutting", "Cutting")
                           : c.layout.LocaleText("title.cutting1", "Cutting");
    title.Append(" ").Append(StrFromLong(c.cursor + 1).c_str());
    if (continued)
        title.Append(" ").Append(c.layout.LocaleText("continued", "(continued)").GetText());
    return title;
}

// The pattern's summary: its stock, copies, parts, offcut, shifts, kerf and parts text.
void FillSummary(const Cutting& c, MTable& table, bool html, const DProps& row, const DProps& stock,
                 const std::string& id, const DProps& bag)
{
    Style(c, table, html, c.layout.Params().Get("table.cutting.columns").GetText(), c.base ? "normal" : "calc");
    static const struct {
        const char* key;
        const char* baseKey;
        int unit;
    } kColumns[] = {{"Blank", "Blank", -1},  {"Copies", "Copies", -1}, {"Pieces", "Pieces", 1},
                    {"Remains", "Remains", 0}, {"Shifts", "Shifts", -1}, {"Knife", "Knife", 0},
                    {"Output.overall", "Output", -1}};
    for (const auto& column : kColumns)
        table.AddHeader(0, c.base ? TextCell(c.layout.LocaleText(column.baseKey, column.baseKey).GetText(), false)
                                  : TextCell(HeaderText(c.layout, column.key, column.unit).GetText(), true));
    table.SetBaseCell(TitleCell(c.layout, PatternTitle(c, false), "h2"));

    table.AddRow(0, TextCell(StockLabel(c.base ? "#" : App().GetGlobalText("no", ""), id,
                                        DProps::GetString(stock, "length", ""))
                                 .c_str(),
                             false));
    const std::string copiesText = Stored(row, "copies", "-");
    const long copies = StrToLong(copiesText.c_str());
    table.AddRow(0, TextCell(copiesText.c_str(), false));
    table.AddRow(0, TextCell(PerBar(DProps::GetLong(bag, "pieces"), copies).c_str(), false));
    table.AddRow(0, TextCell(LengthOrDash(row, "remains").c_str(), false));
    table.AddRow(0, TextCell(PerBar(StrToLong(Stored(row, "shifts", "").c_str()), copies).c_str(), false));
    table.AddRow(0, TextCell(LengthOrDash(stock, "knife").c_str(), false));
    table.AddRow(0, TextCell(Stored(row, "output", "-").c_str(), true));
}

// The grid's row labels, with the length unit in the solution layout.
std::string GridLabel(const Cutting& c, const char* key, const char* def)
{
    std::string label = c.layout.LocaleText(key, def).GetText();
    if (!c.base) {
        UString unit(App().GetUnitLabel(0, "").c_str());
        unit.Trim();
        if (!unit.IsEmpty())
            label = StrFormatStatic("%s, %s", label.c_str(), unit.GetText());
    }
    return label;
}

// Part lengths by the code a signature names a part with, built once per
// table: a pattern row looks up each of its parts, and a material may have
// thousands of part rows. A code is the row's letter while letters last;
// past them every row carries the letter "*", so the signature names the
// row by its id in parentheses, "(126)". The first row of a code wins, as a
// search from the top would find it.
using PartLengthIndex = std::unordered_map<std::string, std::string>;

PartLengthIndex IndexPartLengths(const DCSProject& material)
{
    PartLengthIndex index;
    const PropsList& rows = material.GetPieceRows();
    index.reserve(rows.size() * 2);
    for (const DProps& row : rows) {
        const std::string length = DProps::GetString(row, "length", "");
        if (row.IndexOf("name") >= 0)
            index.emplace(DProps::GetString(row, "name", ""), length);
        const long id = DProps::GetLong(row, "id");
        if (id >= 1)
            index.emplace(StrFormatStatic("(%ld)", id), length);
    }
    return index;
}

// The parts of the pattern that have a part row, in cutting order: their
// lengths up to the first name without one.
std::vector<std::string> PartLengths(const PartLengthIndex& index, const std::vector<std::string>& names)
{
    std::vector<std::string> lengths;
    lengths.reserve(names.size());
    for (const std::string& name : names) {
        const auto part = index.find(name);
        if (part == index.end())
            break;
        lengths.push_back(part->second);
    }
    return lengths;
}

// A grid of groups pairs of rows from part first on; position runs from
// start and ends after the kerf of the last part shown. Returns the parts shown.
int FillGrid(const Cutting& c, MTable& table, bool html, const std::vector<std::string>& lengths, int first,
             int groups, double kerf, bool continued, double& position)
{
    Style(c, table, html, kGridColumns, c.base ? "normal" : "calc");
    if (continued)
        table.SetBaseCell(TitleCell(c.layout, PatternTitle(c, true), "h2"));
    const std::string cutLabel = GridLabel(c, "CutInfo", "Cut at");
    const std::string partLabel = GridLabel(c, "PieceInfo", "Piece");
    const int total = static_cast<int>(lengths.size());
    int shown = 0;
    for (int g = 0; g < groups; ++g) {
        const int from = first + g * kGroup;
        if (from >= total)
            break;
        table.AddRow(0, TextCell(cutLabel.c_str(), false));
        std::vector<std::string> parts;
        for (int k = 0; k < kGroup; ++k) {
            const int at = from + k;
            if (at >= total) {
                table.AddRow(0, TextCell("", false));
                continue;
            }
            position += StrToDouble(lengths[static_cast<size_t>(at)].c_str());
            table.AddRow(0, TextCell(FormatLengthText(StrFormatStatic("%f", position).c_str(), false).c_str(), false));
            position += kerf;
            parts.push_back(FormatLengthText(lengths[static_cast<size_t>(at)].c_str(), false));
        }
        table.AddRow(0, TextCell(partLabel.c_str(), false));
        for (int k = 0; k < kGroup; ++k)
            table.AddRow(0, TextCell(k < static_cast<int>(parts.size()) ? parts[static_cast<size_t>(k)].c_str() : "",
                                     false));
        shown += static_cast<int>(parts.size());
    }
    return shown;
}

// The height of one grid row as this grid draws it, for a report without a
// stock table on paper before it (whose first row would give it).
int OwnRowHeight(const Cutting& c, UDraw* draw)
{
    MTable table;
    double position = 0.0;
    FillGrid(c, table, false, {"0"}, 0, 1, 0.0, false, position);
    table.Measure(draw);
    const int spacing = table.Style().GetInherited("spacing").ToLong();
    return std::max(1, (Height(table.GetRect()) + spacing) / 2);
}

int Groups(int parts) { return (parts + kGroup - 1) / kGroup; }

enum class Grid { kDone, kMore, kNoRoom };

// Draws as much of the pattern's grid as the page holds (whole pairs of
// rows). force places at least one pair, so a page where nothing else of
// the table stands still makes progress.
Grid DrawGrid(Cutting& c, OXRRenderContext& ctx, const std::vector<std::string>& lengths, double kerf,
              bool continuing, bool force)
{
    const int done = *c.partsDone;
    const double start = *c.cutPosition;
    const int left = static_cast<int>(lengths.size()) - done;
    const int spacing = static_cast<int>(c.layout.ParamLong("draw.spacing"));
    if (left <= 0) {
        // No part of the pattern has a part row: there is no grid, but the
        // gap below the pattern stays, so the next pattern's title keeps
        // its distance from this one's table.
        ctx.y += spacing;
        if (!IsRectEmpty(&ctx.rect))
            ctx.rect.bottom = std::max<LONG>(ctx.rect.bottom, ctx.y);
        return Grid::kDone;
    }
    int groups = Groups(left);
    auto pairsThatFit = [&]() {
        const int rowHeight = c.rowHeight > 0 ? c.rowHeight : OwnRowHeight(c, ctx.draw);
        const int rows = std::max(0, (Height(ctx.draw->GetRect()) - ctx.y) / rowHeight);
        return rows / 2;
    };
    bool cutting = c.fitRows;
    if (cutting)
        groups = std::min(groups, pairsThatFit());
    RECT area = {0, 0, 0, 0};
    double position = start;
    int shown = 0;
    MTable table;
    for (;;) {
        if (groups <= 0) {
            if (!force)
                return Grid::kNoRoom;
            groups = 1;
        }
        position = start;
        shown = FillGrid(c, table, false, lengths, done, groups, kerf, continuing, position);
        if (!table.Draw(ctx.draw, ctx.x, ctx.y, &area, false))
            break;
        if (!cutting && force) {
            // A grid taller than the page it starts: cut after the pairs
            // of rows that fit rather than draw below the page's edge.
            cutting = true;
            groups = std::min(groups - 1, pairsThatFit());
            continue;
        }
        if (groups > 1 && cutting) {
            --groups;
            continue;
        }
        if (!force)
            return Grid::kNoRoom;
        table.Draw(ctx.draw, ctx.x, ctx.y, &area, true);
        break;
    }
    if (table.HasColumns()) {
        ctx.y += Height(table.GetRect()) + spacing;
        area.bottom += spacing;
        Join(ctx.rect, area);
    }
    *c.partsDone += shown;
    // A part without a part row ends the pattern's grid there.
    if (*c.partsDone < static_cast<int>(lengths.size())) {
        *c.cutPosition = position;
        return Grid::kMore;
    }
    return Grid::kDone;
}

// The detailed table from the pattern at the cursor on; true when it goes
// on on the next page.
bool PaintDetailed(Cutting& c, OXRRenderContext& ctx, bool firstOnPage)
{
    const bool html = ctx.kind == OXRRenderContext::kHtml;
    if (!html && !ctx.draw)
        return false;
    const PropsList& rows = c.material->GetCuttingRows();
    const PartLengthIndex parts = IndexPartLengths(*c.material);
    bool continuing = c.continued != 0;
    c.continued = 0;
    // Something of this table stands on the page already.
    bool drawn = false;
    while (c.cursor >= 0 && c.cursor < static_cast<int>(rows.size())) {
        const DProps& row = rows[static_cast<size_t>(c.cursor)];
        const std::string id = StrFromLong(StrToLong(DProps::GetString(row, "blank", "").c_str()));
        const DProps* stock = FindRow(c.material->GetBlankRows(), "id", id);
        if (!stock)
            break;
        std::vector<std::string> names;
        DProps bag;
        c.material->PiecesFromSignature(DProps::GetString(row, "signature", "").c_str(), names, bag);
        if (names.empty())
            break;
        const double kerf = StrToDouble(DProps::GetString(*stock, "knife", "").c_str());
        const std::vector<std::string> lengths = PartLengths(parts, names);

        if (html) {
            MTable summary;
            FillSummary(c, summary, true, row, *stock, id, bag);
            FormatHtml(summary, ctx, true);
            MTable grid;
            double position = 0.0;
            FillGrid(c, grid, true, lengths, 0, Groups(static_cast<int>(lengths.size())), kerf, false, position);
            FormatHtml(grid, ctx, true);
            ctx.html.append("<br/>");
        } else {
            if (!continuing) {
                MTable summary;
                FillSummary(c, summary, false, row, *stock, id, bag);
                RECT area = {0, 0, 0, 0};
                // A summary taller than a whole page is drawn anyway when it
                // starts the page, or the report would never end.
                if (summary.Draw(ctx.draw, ctx.x, ctx.y, &area, firstOnPage && !drawn))
                    return true;
                if (summary.HasColumns()) {
                    ctx.y += Height(summary.GetRect()) + 1;
                    area.bottom += 1;
                    Join(ctx.rect, area);
                    drawn = true;
                }
            }
            const Grid grid = DrawGrid(c, ctx, lengths, kerf, continuing, firstOnPage && !drawn);
            if (grid == Grid::kNoRoom) {
                if (!continuing)
                    c.continued = 1;
                return true;
            }
            if (grid == Grid::kMore) {
                c.continued = 1;
                return true;
            }
            drawn = true;
        }
        *c.partsDone = 0;
        *c.cutPosition = 0.0;
        continuing = false;
        c.continued = 0;
        ++c.cursor;
    }
    return false;
}

// ---- The list and the compact table --------------------------------------------------------

enum class Form { kList, kCompact, kBaseList };

struct RowsTable {
    OXRLayout& layout;
    DCSProject* material;
    int headColor;
    int& cursor;
    Form form;
    // Filled by PaintRows for the forms that list the parts.
    const PartLengthIndex* parts = nullptr;
};

const PropsList& TableRows(const RowsTable& t)
{
    return t.form == Form::kCompact ? t.material->GetCuttingPartRows() : t.material->GetCuttingRows();
}

void SetUpRows(const RowsTable& t, MTable& table, bool html)
{
    UPairList overrides;
    TableOverrides(t.layout, overrides, t.headColor, t.form == Form::kBaseList && html);
    LoadTableStyle(t.layout, table, "table.cutting", overrides);

    static const struct {
        const char* key;
        int unit;
    } kList[] = {{"No", -1}, {"Blank", -1}, {"Copies", -1}, {"Remains", 0}, {"Formatting", -1}},
      kCompact[] = {{"No", -1}, {"Blank", -1}, {"Copies", -1}, {"Remains", 0}, {"FormattingQ", -1}, {"Output", -1}},
      kBase[] = {{"No", -1}, {"Blank", -1}, {"Copies", -1}, {"Formatting", -1}};
    switch (t.form) {
    case Form::kList:
        for (const auto& column : kList)
            table.AddHeader(0, TextCell(HeaderText(t.layout, column.key, column.unit).GetText(), false));
        break;
    case Form::kCompact:
        for (const auto& column : kCompact)
            table.AddHeader(0, TextCell(HeaderText(t.layout, column.key, column.unit).GetText(), true));
        break;
    case Form::kBaseList:
        for (const auto& column : kBase)
            table.AddHeader(0, TextCell(t.layout.LocaleText(column.key, column.key).GetText(), false));
        break;
    }
    UString title = t.layout.LocaleText(t.layout.Params().Get("table.cutting.name").GetText(), "Cutting");
    if (t.cursor != 0)
        title.Append(" ").Append(t.layout.LocaleText("continued", "(continued)").GetText());
    table.SetBaseCell(TitleCell(t.layout, title, "h2"));
}

// The row at index as number; false when it cannot be shown (no stock row,
// no parts), which ends the table.
bool AddPatternRow(const RowsTable& t, MTable& table, int index)
{
    const DProps& row = TableRows(t)[static_cast<size_t>(index)];
    const std::string blank = DProps::GetString(row, "blank", "");
    const DProps* stock = FindRow(t.material->GetBlankRows(), "id", blank);
    if (!stock)
        return false;
    std::vector<std::string> names;
    DProps bag;
    t.material->PiecesFromSignature(DProps::GetString(row, "signature", "").c_str(), names, bag);
    if (names.empty())
        return false;

    const std::string length = FormatLengthText(DProps::GetString(*stock, "length", "").c_str(), false);
    table.AddRow(0, TextCell(StrFormatStatic("%ld", static_cast<long>(index) + 1).c_str(), false));
    table.AddRow(
        0, TextCell(StockLabel(t.form == Form::kBaseList ? "" : App().GetGlobalText("no", ""), blank, length).c_str(),
                    false));
    table.AddRow(0, TextCell(Stored(row, "copies", "-").c_str(), false));
    if (t.form != Form::kBaseList)
        table.AddRow(0, TextCell(LengthOrDash(row, "remains").c_str(), false));
    if (t.form == Form::kCompact) {
        table.AddRow(0, TextCell(Stored(row, "layout", "").c_str(), true));
        table.AddRow(0, TextCell(Stored(row, "output", "").c_str(), true));
        return true;
    }
    const std::string separator = App().GetListSeparator("list.separator");
    std::string parts;
    const std::vector<std::string> lengths = PartLengths(*t.parts, names);
    for (size_t i = 0; i < lengths.size(); ++i) {
        std::string entry = FormatLengthText(lengths[i].c_str(), false);
        // The base list shows whole lengths: 1200.5 reads 1200.
        if (t.form == Form::kBaseList)
            entry = StrFormatStatic("%ld", StrToLong(entry.c_str()));
        if (i > 0)
            parts += separator;
        parts += entry;
    }
    table.AddRow(0, TextCell(parts.c_str(), true));
    return true;
}

// One row per pattern (or per bar) from the cursor on, as many as leave
// the gap free below the table; true while rows remain for the next page.
bool PaintRows(RowsTable t, OXRRenderContext& ctx, bool firstOnPage)
{
    const int total = static_cast<int>(TableRows(t).size());
    PartLengthIndex parts;
    if (t.form != Form::kCompact)
        parts = IndexPartLengths(*t.material);
    t.parts = &parts;
    MTable table;
    if (ctx.kind == OXRRenderContext::kHtml) {
        SetUpRows(t, table, true);
        while (t.cursor >= 0 && t.cursor < total && AddPatternRow(t, table, t.cursor))
            ++t.cursor;
        FormatHtml(table, ctx, true);
        return false;
    }
    if (!ctx.draw)
        return false;
    SetUpRows(t, table, false);
    const long spacing = t.layout.ParamLong("spacing");
    const int gap = spacing > 10 ? static_cast<int>(spacing) : 10;
    const int bottom = Height(ctx.draw->GetRect());

    int fit = 0;
    bool ended = false;
    bool full = false;
    for (int i = t.cursor; i >= 0 && i < total; ++i) {
        if (!AddPatternRow(t, table, i)) {
            ended = true;
            break;
        }
        table.Measure(ctx.draw);
        if (bottom - ctx.y - Height(table.GetRect()) < gap) {
            full = true;
            break;
        }
        ++fit;
    }
    // A row taller than the whole page is placed alone when it starts the
    // page, so every page makes progress.
    const bool force = firstOnPage && fit == 0;
    if (full && fit == 0) {
        if (!force)
            return true;
        fit = 1;
    }
    table.ClearRows();
    for (int i = 0; i < fit; ++i)
        AddPatternRow(t, table, t.cursor + i);
    RECT area = {0, 0, 0, 0};
    if (table.Draw(ctx.draw, ctx.x, ctx.y, &area, false)) {
        if (!firstOnPage)
            return true;
        table.Draw(ctx.draw, ctx.x, ctx.y, &area, true);
    }
    t.cursor += fit;
    if (table.HasColumns()) {
        ctx.y += Height(table.GetRect());
        Join(ctx.rect, area);
    }
    if (ended)
        return false;
    return t.cursor < total;
}

} // namespace

// ---- The solution layout ---------------------------------------------------------------------

void OXRLayoutSolution::WalkOn()
{
    ++m_walk;
    m_cutPosition = 0.0;
    m_partsDone = 0;
    m_cuttingCursor = 0;
    m_blanksResume = 0;
    m_piecesResume = 0;
    SetProject(App().Document().GetProject(m_walk, true));
}

bool OXRLayoutSolution::PaintCutting(OXRRenderContext& ctx, int mode)
{
    (void)mode;
    if (!m_material)
        return false;
    if (!m_material->HasCuttings()) {
        WalkOn();
        return false;
    }
    const long form = ParamLong("table.cutting.mode");
    if (form == 2 || form == 3) {
        const bool more = form == 2 ? PaintCuttingList(ctx) : PaintCuttingCompact(ctx);
        if (!more || ctx.kind == OXRRenderContext::kHtml)
            WalkOn();
        return more;
    }
    Cutting c{*this, m_material, m_headColor, m_cuttingCursor, m_patternContinued, &m_partsDone, &m_cutPosition,
              m_rowHeight, false, true};
    if (PaintDetailed(c, ctx, IsFirstOnPage()))
        return true;
    WalkOn();
    return false;
}

bool OXRLayoutSolution::PaintCuttingList(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintRows({*this, m_material, m_headColor, m_cuttingCursor, Form::kList}, ctx, IsFirstOnPage());
}

bool OXRLayoutSolution::PaintCuttingCompact(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintRows({*this, m_material, m_headColor, m_cuttingCursor, Form::kCompact}, ctx, IsFirstOnPage());
}

// ---- The base-cutting layout -----------------------------------------------------------------

bool OXRLayoutBaseCutting::PaintCutting(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    if (Params().Get("table.cutting.mode").ToStdString() == "2")
        return PaintCuttingList(ctx);
    Cutting c{*this, m_material, m_headColor, m_cuttingCursor, m_patternContinued, &m_partsDone, &m_cutPosition,
              m_rowHeight, true, false};
    return PaintDetailed(c, ctx, IsFirstOnPage());
}

bool OXRLayoutBaseCutting::PaintCuttingList(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintRows({*this, m_material, m_headColor, m_cuttingCursor, Form::kBaseList}, ctx, IsFirstOnPage());
}
