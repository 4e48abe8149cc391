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
#include "reports/ReportTables.h"

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

} // namespace

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
    return DrawNamedTable(*this, item, ctx, m_headColor,
                          {{"table.general", [&] { return PaintGeneral(ctx); }},
                           {"table.material", [&] { return PaintMaterial(ctx); }},
                           {"table.blanks", [&] { return PaintBlanks(ctx); }},
                           {"table.pieces", [&] { return PaintPieces(ctx, mode); }},
                           {"table.cutting", [&] { return PaintCutting(ctx, mode); }},
                           {"table.notes", [&] { return PaintNotes(ctx); }}});
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

bool OXRLayoutSolution::PaintBlanks(OXRRenderContext& ctx)
{
    if (!m_material || !m_material->HasCuttings())
        return false;
    return PaintStockTable({*this, m_material, m_headColor, m_rowHeight, m_blanksResume, false}, ctx,
                           IsFirstOnPage());
}
