// The solution layout: dispatch of the table items, the progress its tables
// share, the walk over the active materials, its title and comment, and the
// general table, the material block and the notes.
#include "reports/OXRLayoutSolution.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"
#include "reports/ScaleNumberList.h"

namespace ReportTables {

int Height(const RECT& r) { return r.bottom - r.top; }

void Join(RECT& target, const RECT& area)
{
    RECT joined;
    if (IsRectEmpty(&target))
        target = area;
    else if (UnionRect(&joined, &target, &area))
        target = joined;
}

} // namespace ReportTables

using namespace ReportTables;

namespace {

std::string Value(const DCSProject* material, const char* key)
{
    return material ? material->GetProperty(key, "") : std::string();
}

bool HasText(const std::string& text) { return UString(text.c_str()).HasText(true); }

// Backslash-n in a stored text starts a new line.
UString WithLineBreaks(const std::string& text)
{
    UString result(text.c_str());
    result.ReplaceAll("\\n", "\n");
    return result;
}

// The material's summary row, none before a calculation.
const DProps* SummaryRow(const DCSProject* material)
{
    if (!material)
        return nullptr;
    for (const DProps& row : material->GetSummaryRows())
        if (DProps::GetString(row, "type", "") == "summary")
            return &row;
    return nullptr;
}

std::string SummaryValue(const DProps& summary, const char* key, const char* def)
{
    return summary.IndexOf(key) >= 0 ? DProps::GetString(summary, key, def) : std::string(def);
}

std::string WasteText(const DProps& summary)
{
    const double waste = StrToDouble(SummaryValue(summary, "waste", "").c_str());
    return StrFormatStatic("%.2f %%", std::isfinite(waste) ? waste : 0.0);
}

std::string RemnantsText(const DCSProject& material, const DProps& summary)
{
    const double tracked = StrToDouble(material.GetProperty("remnants", "").c_str());
    if (std::fabs(tracked) < 1e-7)
        return "-";
    return FormatLengthText(SummaryValue(summary, "remnants", "").c_str(), false);
}

std::string CostText(const DProps& summary, const char* key)
{
    const std::string cost = SummaryValue(summary, key, "-");
    return cost == "-" ? cost : FormatCostText(cost.c_str(), false);
}

// A layout made from a loaded file holds exactly the file's parameters.
void TakeOver(OXRLayout& layout, const OXRLayout* loaded)
{
    if (!loaded)
        return;
    layout.Params().Clear();
    layout.CopyFrom(*loaded);
}

int HeadColor(const OXRLayout& layout) { return NumParse(layout.Params().Get("table.color.head").GetText(), 0); }

} // namespace

// ---- Shared table helpers ----------------------------------------------------------------

namespace ReportTables {

void MakeOverrides(const OXRLayout& layout, UPairList& overrides, bool withHead, int headColor)
{
    overrides.Set("scale", StrFromDouble(layout.GetScale(), "%.5f").c_str());
    if (layout.IsMono())
        overrides.Set("mono", "1");
    else if (withHead)
        overrides.Set("color.head", StrFromLong(headColor != 0 ? headColor : kDefaultHeadColor).c_str());
}

void TableOverrides(const OXRLayout& layout, UPairList& overrides, int headColor, bool plain)
{
    MakeOverrides(layout, overrides, !plain, headColor);
    if (plain)
        overrides.Set("mono", "1");
}

bool LoadTableStyle(OXRLayout& layout, MTable& table, const char* item, const UPairList& overrides)
{
    const std::string widths = ScaleNumberList(
        layout.Params().Get(OXRLayout::MakeItemKey(item, "columns").GetText()).GetText(), layout.GetDrawScale());
    return table.LoadStyle(overrides, widths.c_str(), layout.GetFont("normal"));
}

TCell TitleCell(OXRLayout& layout, const UString& text, const char* font)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(layout.GetFont(font), TText::kNormal, text.GetText()), false);
    return cell;
}

UString HeaderText(const OXRLayout& layout, const char* key, int unitKind)
{
    UString text = layout.LocaleText(key, key);
    if (unitKind >= 0) {
        UString label(App().GetUnitLabel(unitKind, "").c_str());
        label.Trim();
        if (!label.IsEmpty())
            text = UString(StrFormatStatic("%s, %s", text.GetText(), label.GetText()).c_str());
    }
    return text;
}

TCell TextCell(const char* text, bool split)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(nullptr, TText::kNormal, text ? text : ""), split);
    return cell;
}

void FormatHtml(MTable& table, OXRRenderContext& ctx, bool rowClasses)
{
    table.Style().Set("class", "width100");
    if (rowClasses) {
        table.Style().Set("class.row-0", "row-0");
        table.Style().Set("class.row-1", "row-1");
        table.Style().Set("class.row-2", "row-2");
    }
    table.Style().Set("width", "%");
    table.Format(ctx.html, ctx.options);
}

bool DrawAt(MTable& table, OXRRenderContext& ctx, bool force)
{
    if (!ctx.draw)
        return false;
    RECT area = {0, 0, 0, 0};
    if (table.Draw(ctx.draw, ctx.x, ctx.y, &area, force))
        return true;
    ctx.y += Height(table.GetRect());
    Join(ctx.rect, area);
    return false;
}

} // namespace ReportTables


// ---- Construction and the material -----------------------------------------------------

OXRLayout* OXRLayoutSolution::Make(const OXRLayout& loaded) { return new OXRLayoutSolution(&loaded); }

OXRLayoutSolution::OXRLayoutSolution() = default;

OXRLayoutSolution::OXRLayoutSolution(const OXRLayout* loaded) { TakeOver(*this, loaded); }

OXRLayoutSolution::~OXRLayoutSolution() = default;

void OXRLayoutSolution::SetProject(DCSProject* material)
{
    OXRLayout::SetProject(material);
    m_cuttingCursor = 0;
    m_patternContinued = 0;
    m_piecesResume = 0;
    m_blanksResume = 0;
    m_partsDone = 0;
    m_cutPosition = 0.0;
    m_notesResume = 0;
}

void OXRLayoutSolution::ResetProgress()
{
    m_walk = 0;
    m_cuttingCursor = 0;
    m_piecesResume = 0;
    m_blanksResume = 0;
    m_partsDone = 0;
    m_rowHeight = 0;
    m_cutPosition = 0.0;
    m_notesResume = 0;
}

bool OXRLayoutSolution::DrawTable(const char* item, OXRRenderContext& ctx, int mode)
{
    m_headColor = HeadColor(*this);
    SetRectEmpty(&ctx.rect);
    const std::string name = item ? item : "";
    if (name == "table.general")
        return PaintGeneral(ctx);
    if (name == "table.material")
        return PaintMaterial(ctx);
    if (name == "table.blanks")
        return PaintBlanks(ctx);
    if (name == "table.pieces")
        return PaintPieces(ctx, mode);
    if (name == "table.cutting")
        return PaintCutting(ctx, mode);
    if (name == "table.notes")
        return PaintNotes(ctx);
    return false;
}

// ---- Title, material line and comment -----------------------------------------------------

UString OXRLayoutSolution::ProjectTitle()
{
    if (!GetTitle().HasText(true)) {
        const std::string name = App().Document().GetName();
        SetTitle(name.empty() ? LocaleText("title", "Cutting").GetText() : name.c_str());
    }
    return GetTitle();
}

bool OXRLayoutSolution::DescriptionCell(TCell& cell)
{
    const std::string desc = App().Document().GetDesc();
    if (!HasText(desc))
        return false;
    cell.Clear();
    cell.SetWidth(ContentWidth());
    cell.AddWords(TText(nullptr, TText::kNormal, WithLineBreaks(desc).GetText()), true);
    return true;
}

UString OXRLayoutSolution::MaterialLine(bool trimDesc) const
{
    UString text;
    text.Format("%s %s", LocaleText("Material", "Material").GetText(), Value(m_material, "material").c_str());
    UString desc(Value(m_material, "desc").c_str());
    if (trimDesc)
        desc.Trim();
    if (desc.HasText(!trimDesc))
        text.Append(StrFormatStatic(" (%s)", desc.GetText()).c_str());
    return text;
}

bool OXRLayoutSolution::DrawTitle(UDraw* surface, int x, int y, RECT* out)
{
    if (!m_material || !surface)
        return false;
    if (!IsWholeProject())
        return DrawMaterialLine(surface, x, y, out);

    RECT area = {x, y, x, y};
    surface->Text(ProjectTitle().GetText(), x, y, GetFont("h1"), &area);
    if (GetPageIndex() == 0) {
        TCell cell;
        if (DescriptionCell(cell)) {
            HFONT font = GetFont("h2");
            RECT cellArea;
            cell.Measure(surface, &cellArea, font);
            cell.Draw(surface, x, y, font);
            OffsetRect(&cellArea, 0, y);
            Join(area, cellArea);
        }
    }
    if (out)
        *out = area;
    return false;
}

bool OXRLayoutSolution::DrawMaterialLine(UDraw* surface, int x, int y, RECT* out)
{
    if (!m_material || GetPageIndex() != 0)
        return false;
    const long spacing = ParamLong("draw.spacing");
    if (3 * spacing > Height(surface->GetRect()) - y)
        return true;
    RECT area = {x, y, x, y};
    surface->Text(MaterialLine(false).GetText(), x, y, GetFont("h2"), &area);
    RECT comment = {0, 0, 0, 0};
    if (DrawComment(surface, x, area.bottom, &comment))
        Join(area, comment);
    if (out)
        *out = area;
    return false;
}

bool OXRLayoutSolution::DrawComment(UDraw* surface, int x, int y, RECT* out)
{
    const std::string comment = Value(m_material, "comment");
    if (!m_material || !surface || comment.empty() || StrToLong(Value(m_material, "comment.active").c_str()) == 0)
        return false;
    HFONT font = GetFont("h3");
    TCell cell;
    cell.Clear();
    cell.SetWidth(ContentWidth());
    cell.AddWords(TText(nullptr, TText::kNormal, comment.c_str()), true);
    RECT area;
    cell.Measure(surface, &area, font);
    cell.Draw(surface, x, y, font);
    OffsetRect(&area, 0, y);
    if (out)
        *out = area;
    return true;
}

bool OXRLayoutSolution::DrawHeader(OXRRenderContext& ctx, LPARAM unused)
{
    (void)unused;
    if (!m_material)
        return false;
    if (!IsWholeProject())
        return DrawMaterialHeader(ctx);
    if (ctx.kind != OXRRenderContext::kDraw || !ctx.draw)
        return false;
    RECT area = {ctx.x, ctx.y, ctx.x, ctx.y};
    ctx.draw->Text(ProjectTitle().GetText(), ctx.x, ctx.y, GetFont("h1"), &area);
    Join(ctx.rect, area);
    if (GetPageIndex() == 0) {
        TCell cell;
        if (DescriptionCell(cell)) {
            HFONT font = GetFont("h2");
            RECT cellArea;
            cell.Measure(ctx.draw, &cellArea, font);
            cell.Draw(ctx.draw, ctx.x, ctx.y, font);
            OffsetRect(&cellArea, 0, ctx.y);
            Join(ctx.rect, cellArea);
        }
    }
    return false;
}

bool OXRLayoutSolution::DrawMaterialHeader(OXRRenderContext& ctx)
{
    if (GetPageIndex() != 0 || !ctx.draw)
        return false;
    const long spacing = ParamLong("draw.spacing");
    if (3 * spacing > Height(ctx.draw->GetRect()) - ctx.y)
        return true;
    RECT area = {ctx.x, ctx.y, ctx.x, ctx.y};
    ctx.draw->Text(MaterialLine(true).GetText(), ctx.x, ctx.y, GetFont("h2"), &area);
    Join(ctx.rect, area);
    ctx.y += Height(area);
    DrawCommentBlock(ctx, 0);
    return false;
}

bool OXRLayoutSolution::DrawCommentBlock(OXRRenderContext& ctx, LPARAM unused)
{
    (void)unused;
    const std::string comment = Value(m_material, "comment");
    if (!m_material || !ctx.draw || comment.empty() ||
        StrToLong(Value(m_material, "comment.active").c_str()) == 0)
        return false;
    HFONT font = GetFont("h3");
    TCell cell;
    cell.Clear();
    cell.SetWidth(ContentWidth());
    cell.AddWords(TText(nullptr, TText::kNormal, WithLineBreaks(comment).GetText()), true);
    RECT area;
    cell.Measure(ctx.draw, &area, font);
    cell.Draw(ctx.draw, ctx.x, ctx.y, font);
    OffsetRect(&area, 0, ctx.y);
    area.bottom += Scale(ParamLong("draw.spacing")) / 2;
    Join(ctx.rect, area);
    return true;
}

// ---- General table, material block, notes ------------------------------------------------

bool OXRLayoutSolution::PaintGeneral(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    ResetProgress();

    UPairList overrides;
    MakeOverrides(*this, overrides, true, m_headColor);
    MTable table;
    LoadTableStyle(*this, table, "table.general", overrides);

    static const struct {
        const char* key;
        int unit;
    } kColumns[] = {{"Material", -1}, {"Blanks", 1}, {"Pieces", 1}, {"Waste", -1},
                    {"Remnants", 0},  {"Cost", 2},   {"Status", -1}};
    for (const auto& column : kColumns)
        table.AddHeader(0, TextCell(HeaderText(*this, column.key, column.unit).GetText(), true));

    const UString titleKey = Params().Get("table.general.name");
    table.SetBaseCell(TitleCell(*this, LocaleText(titleKey.GetText(), "General Information"), "h2"));

    std::vector<DCSProject*> materials;
    if (IsWholeProject()) {
        const long count = App().Document().GetCount(false);
        for (long k = 0; k < count; ++k)
            if (DCSProject* material = App().Document().GetProject(k, true))
                materials.push_back(material);
    } else {
        materials.push_back(m_material);
    }

    bool anyUnplaced = false;
    for (DCSProject* material : materials) {
        const DProps* summary = SummaryRow(material);
        if (!summary)
            continue;
        std::string name = material->GetProperty("material", "");
        const std::string desc = material->GetProperty("desc", "");
        if (HasText(desc))
            name += ": " + desc;
        table.AddRow(0, TextCell(name.c_str(), false));
        table.AddRow(0, TextCell(SummaryValue(*summary, "used", "-").c_str(), false));

        const std::string quantity = material->QuantityText(nullptr, false);
        if (material->GetOrphans(nullptr) != 0 && HasText(quantity)) {
            TCell cell;
            cell.SetText(TText(nullptr, TText::kNormal, quantity.c_str()), -1, false);
            cell.AddText(TText(GetFont("tiny"), TText::kSuperscript, "1"), false);
            table.AddRow(0, cell);
            anyUnplaced = true;
        } else {
            table.AddRow(0, TextCell(SummaryValue(*summary, "pieces", "-").c_str(), false));
        }
        table.AddRow(0, TextCell(WasteText(*summary).c_str(), false));
        table.AddRow(0, TextCell(RemnantsText(*material, *summary).c_str(), false));
        table.AddRow(0, TextCell(CostText(*summary, "cost").c_str(), false));
        table.AddRow(0, TextCell(SummaryValue(*summary, "status", "").c_str(), true));
    }
    if (anyUnplaced) {
        const std::string note = App().GetMessageText("calc.incomplete", "Not all parts are placed");
        table.AddNote(-1, TextCell(StrFormatStatic("[1] %s", note.c_str()).c_str(), false));
    }

    if (ctx.kind == OXRRenderContext::kHtml) {
        FormatHtml(table, ctx, false);
        return false;
    }
    DrawAt(table, ctx, true);
    return false;
}

bool OXRLayoutSolution::PaintMaterial(OXRRenderContext& ctx)
{
    if (!IsWholeProject() || !m_material)
        return false;
    const long spacing = ParamLong("draw.spacing");
    const UString text = MaterialLine(false);
    const std::string comment = Value(m_material, "comment");
    const bool withComment =
        HasText(comment) && StrToLong(Value(m_material, "comment.active").c_str()) != 0;

    if (ctx.kind == OXRRenderContext::kHtml) {
        UString escaped(text);
        HtmlEscape(escaped);
        ctx.html.append("<h3>").append(escaped.GetText()).append("</h3>\r\n");
        if (withComment) {
            UString note(comment.c_str());
            HtmlEscape(note);
            ctx.html.append(note.GetText()).append("<br/><br/>\r\n");
        }
        return false;
    }
    if (!ctx.draw)
        return false;
    if (3 * spacing > Height(ctx.draw->GetRect()) - ctx.y)
        return true;
    ctx.y += static_cast<int>(spacing);
    RECT area = {ctx.x, ctx.y, ctx.x, ctx.y};
    ctx.draw->Text(text.GetText(), ctx.x, ctx.y, GetFont("h2"), &area);
    Join(ctx.rect, area);
    if (withComment) {
        RECT block = {0, 0, 0, 0};
        if (DrawComment(ctx.draw, ctx.x, ctx.y, &block)) {
            ctx.y += Height(block);
            Join(ctx.rect, block);
        }
    }
    return false;
}

namespace {

// A run that only separates words: a page of notes does not begin with it.
bool IsSeparator(const TText& run)
{
    const char* text = run.GetA();
    return !text || *text == '\0' || std::strcmp(text, " ") == 0 || *text == '\r' || *text == '\n';
}

} // namespace

void OXRLayoutSolution::FillNotes(MTable& table, const TCell& notes, size_t first, size_t count)
{
    UPairList overrides;
    MakeOverrides(*this, overrides, false, 0);
    LoadTableStyle(*this, table, "table.notes", overrides);
    UString title = LocaleText("Notes", "Notes");
    if (first != 0)
        title.Append(" ").Append(LocaleText("continued", "(continued)").GetText());
    table.SetBaseCell(TitleCell(*this, title, "h3"));
    TCell cell;
    if (first == 0 && count >= notes.GetRuns().size()) {
        cell = notes;
    } else {
        cell.Clear();
        for (size_t i = first; i < first + count && i < notes.GetRuns().size(); ++i)
            cell.AddText(notes.GetRuns()[i], false);
    }
    if (!IsMono())
        cell.SetAttr("color.back", StrFromLong(0xF2FFFF).c_str());
    table.AddRow(0, cell);
}

bool OXRLayoutSolution::PaintNotes(OXRRenderContext& ctx)
{
    const std::string notes = Value(m_material, "notes");
    if (!m_material || StrToLong(Value(m_material, "notes.active").c_str()) == 0 || !HasText(notes))
        return false;
    const TCell words = TextCell(notes.c_str(), true);
    const size_t total = words.GetRuns().size();
    MTable table;
    if (ctx.kind == OXRRenderContext::kHtml) {
        FillNotes(table, words, 0, total);
        FormatHtml(table, ctx, true);
        return false;
    }
    if (!ctx.draw)
        return false;
    size_t first = std::min(static_cast<size_t>(m_notesResume), total);
    if (first == 0) {
        FillNotes(table, words, 0, total);
        if (!DrawAt(table, ctx, false))
            return false;
        // Notes taller than the rest of the page start the next one.
        if (!IsFirstOnPage())
            return true;
    }
    // Notes taller than a whole page are cut after the last line that fits,
    // and the next page goes on from the word after it.
    while (first > 0 && first < total && IsSeparator(words.GetRuns()[first]))
        ++first;
    const size_t left = total - first;
    if (left == 0) {
        m_notesResume = 0;
        return false;
    }
    const int bottom = Height(ctx.draw->GetRect());
    auto fits = [&](size_t count) {
        MTable probe;
        FillNotes(probe, words, first, count);
        probe.Measure(ctx.draw);
        return probe.HasColumns() && ctx.y + Height(probe.GetRect()) <= bottom;
    };
    size_t lo = 0;
    size_t hi = left;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo == 0 && !IsFirstOnPage())
        return true;
    const size_t count = std::max<size_t>(lo, 1);
    FillNotes(table, words, first, count);
    RECT area = {0, 0, 0, 0};
    table.Draw(ctx.draw, ctx.x, ctx.y, &area, true);
    if (table.HasColumns()) {
        ctx.y += Height(table.GetRect());
        Join(ctx.rect, area);
    }
    m_notesResume = static_cast<int>(first + count);
    if (first + count < total && table.HasColumns())
        return true;
    m_notesResume = 0;
    return false;
}

// ---- The base-cutting layout ---------------------------------------------------------------

OXRLayout* OXRLayoutBaseCutting::Make(const OXRLayout& loaded) { return new OXRLayoutBaseCutting(&loaded); }

OXRLayoutBaseCutting::OXRLayoutBaseCutting() = default;

OXRLayoutBaseCutting::OXRLayoutBaseCutting(const OXRLayout* loaded) { TakeOver(*this, loaded); }

OXRLayoutBaseCutting::~OXRLayoutBaseCutting() = default;

bool OXRLayoutBaseCutting::DrawTable(const char* item, OXRRenderContext& ctx, int mode)
{
    (void)mode;
    m_headColor = HeadColor(*this);
    SetRectEmpty(&ctx.rect);
    const std::string name = item ? item : "";
    if (name == "table.general")
        return PaintGeneral(ctx);
    if (name == "table.blanks")
        return PaintBlanks(ctx);
    if (name == "table.pieces")
        return PaintPieces(ctx);
    if (name == "table.cutting")
        return PaintCutting(ctx);
    return false;
}

bool OXRLayoutBaseCutting::PaintGeneral(OXRRenderContext& ctx)
{
    const DProps* summary = SummaryRow(m_material);
    if (!summary)
        return false;
    m_cuttingCursor = 0;
    m_piecesResume = 0;
    m_blanksResume = 0;
    m_rowHeight = 0;
    m_partsDone = 0;
    m_cutPosition = 0.0;

    UPairList overrides;
    // The HTML table is always plain: no header colour over the mono scheme.
    TableOverrides(*this, overrides, m_headColor, ctx.kind == OXRRenderContext::kHtml);
    MTable table;
    LoadTableStyle(*this, table, "table.general", overrides);
    for (const char* key : {"Material", "Blanks", "Pieces", "Waste", "Shifts", "Remnants", "Cost"})
        table.AddHeader(0, TextCell(LocaleText(key, key).GetText(), false));
    const UString titleKey = Params().Get("table.general.name");
    table.SetBaseCell(TitleCell(*this, LocaleText(titleKey.GetText(), "General Information"), "h2"));

    table.AddRow(0, TextCell(m_material->GetProperty("material", "").c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "used", "-").c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "pieces", "-").c_str(), false));
    table.AddRow(0, TextCell(WasteText(*summary).c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "shifts", "-").c_str(), false));
    table.AddRow(0, TextCell(RemnantsText(*m_material, *summary).c_str(), false));
    table.AddRow(0, TextCell(CostText(*summary, "cost.ppu").c_str(), false));

    if (ctx.kind == OXRRenderContext::kHtml) {
        FormatHtml(table, ctx, false);
        return false;
    }
    DrawAt(table, ctx, true);
    return false;
}

// ---- Stock table ---------------------------------------------------------------------------

namespace {

const DProps* RowWith(const PropsList& rows, const char* key, const std::string& value)
{
    for (const DProps& row : rows)
        if (row.IndexOf(key) >= 0 && DProps::GetString(row, key, "") == value)
            return &row;
    return nullptr;
}

} // namespace

namespace {

// What a stock table is drawn with: the layout, its progress fields, and
// which of the two classes' forms it takes.
struct StockTable {
    OXRLayout& layout;
    DCSProject* material;
    int headColor;
    int& rowHeight;
    int& resume;
    bool base;
};

// The stock table from row first on, at most maxRows rows; with pageCheck
// it stops after the row that reaches the page's lower limit (full set).
int FillBlanks(StockTable& st, MTable& table, OXRRenderContext& ctx, int first, int maxRows, bool pageCheck,
               bool& full)
{
    OXRLayout& layout = st.layout;
    DCSProject* m_material = st.material;
    int& m_rowHeight = st.rowHeight;
    full = false;
    UPairList overrides;
    const bool html = ctx.kind == OXRRenderContext::kHtml;
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
    if (first != 0)
        title.Append(" ").Append(layout.LocaleText("continued", "(continued)").GetText());
    table.SetBaseCell(TitleCell(layout, title, "h2"));

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
        const std::string comment = DProps::GetString(*stock, "comment", "");
        std::string label = comment.empty() ? no + id : no + id + " " + comment;
        if (st.base)
            label = comment.empty() ? "#" + id : "#" + id + ": " + comment;
        table.AddRow(0, TextCell(label.c_str(), true));
        const std::string length = DProps::GetString(*stock, "length", "");
        if (st.base)
            table.AddRow(0, TextCell(length.c_str(), false));
        else
            table.AddRow(0, TextCell(length.empty() ? "-" : FormatLengthText(length.c_str(), false).c_str(), false));
        const std::string used = SummaryValue(*summary, "used", "0");
        table.AddRow(0, TextCell(used.c_str(), false));
        if (used == "0") {
            for (int k = 0; k < 5; ++k)
                table.AddRow(0, TextCell("-", false));
        } else {
            table.AddRow(0, TextCell(SummaryValue(*summary, "pieces", "-").c_str(), false));
            table.AddRow(0, TextCell(WasteText(*summary).c_str(), false));
            table.AddRow(0, TextCell(SummaryValue(*summary, "shifts", "-").c_str(), false));
            table.AddRow(0, TextCell(remnants ? FormatLengthText(SummaryValue(*summary, "remnants", "0").c_str(), false).c_str()
                                              : "-",
                                     false));
            const std::string cost = SummaryValue(*summary, st.base ? "cost.ppu" : "cost.sum", "-");
            table.AddRow(0, TextCell(cost == "-" ? "-" : FormatCostText(cost.c_str(), false).c_str(), false));
        }
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

} // namespace

bool OXRLayoutSolution::PaintBlanks(OXRRenderContext& ctx)
{
    if (!m_material || !m_material->HasCuttings())
        return false;
    return PaintStockTable({*this, m_material, m_headColor, m_rowHeight, m_blanksResume, false}, ctx,
                           IsFirstOnPage());
}

bool OXRLayoutBaseCutting::PaintBlanks(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintStockTable({*this, m_material, m_headColor, m_rowHeight, m_blanksResume, true}, ctx,
                           IsFirstOnPage());
}
