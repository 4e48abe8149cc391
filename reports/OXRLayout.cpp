// The layout base: scales and fonts, the page painter, the title, comment,
// continuation note and page number, and the HTML writer.
#include "reports/OXRLayout.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "appsvc/OXRApp.h"
#include "controls/UFont.h"
#include "document/DAppServices.h"
#include "document/DCSProject.h"
#include "foundation/DAuto.h"
#include "foundation/DParser.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"
#include "foundation/ULog.h"
#include "reports/TCell.h"

namespace {

// The report fonts: layout key, cached name, and what a value leaves out.
struct FontRow {
    const char* key;
    const char* name;
    const char* face;
    int height;
    bool bold;
    bool italic;
};

const FontRow kFonts[] = {
    {"font.h1", "h1", "Consolas", 17, true, false},
    {"font.h2", "h2", "Consolas", 15, true, false},
    {"font.h3", "h3", "Consolas", 14, false, false},
    {"font.head", "head", "Calibri", 13, false, false},
    {"font.normal", "normal", "Calibri", 12, false, false},
    {"font.italic", "italic", "Calibri", 13, false, true},
    {"font.tiny", "tiny", "Calibri", 9, false, false},
    {"font.bold", "bold", "Calibri", 13, true, false},
    {"font.small", "small", "Calibri", 11, false, false},
    {"calc", "calc", "Calibri", 12, false, false},
};

// A page is at least one and at most six times the size of a 1050-unit page.
constexpr double kPageUnit = 1050.0;
constexpr double kMaxPageScale = 6.0;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool IsBlank(const UString& text) { return !text.HasText(true); }

bool StartsWith(const UString& text, const char* prefix)
{
    return std::strncmp(text.GetText(), prefix, std::strlen(prefix)) == 0;
}

std::string MaterialValue(const DCSProject* material, const char* key)
{
    return material ? material->GetProperty(key, "") : std::string();
}

// An embedded text of the program, empty when it is missing.
UString InstalledText(const char* name)
{
    UMemory buffer;
    if (!App().LoadResourceData("INSTALL", name, buffer) || !buffer.GetData())
        return UString();
    return UString(buffer.GetData());
}

} // namespace

OXRLayout::OXRLayout() { m_params.SetMarker("#"); }

OXRLayout::~OXRLayout() = default;

// ---- Scales, fonts and helpers ---------------------------------------------------------

double OXRLayout::ReadScale(const char* key)
{
    double value = StrToDouble(m_params.GetOr(key, "1.").GetText());
    if (IsNearZero(value)) {
        value = 1.0;
        UString text;
        text.Format("Incorrect parameter '%s' in file %s", key, m_path.GetText());
        ULog::WriteText(&App().Log(), text.GetText(), "WRN >> ");
    }
    return value;
}

void OXRLayout::MakeScalesAndFonts()
{
    const double smaller = std::min(StrToDouble(m_params.Get("draw.size.x").GetText()),
                                    StrToDouble(m_params.Get("draw.size.y").GetText()));
    m_pageScale = std::max(1.0, std::min(kMaxPageScale, smaller / kPageUnit));
    m_fontScale = ReadScale("scale.font") * m_pageScale;
    m_drawScale = ReadScale("scale.draw");
    m_inverseScale = IsNearZero(m_drawScale) ? 0.0 : 1.0 / m_drawScale;
    m_scale = m_drawScale * m_pageScale;

    m_fonts.Clear();
    for (const FontRow& row : kFonts) {
        HFONT font = FontCreateFromSpec(m_params.Get(row.key).GetText(), row.face, -row.height,
                                        row.bold, row.italic, false);
        font = FontScale(font, m_fontScale, true);
        if (font)
            m_fonts.Set(row.name, font, true);
    }
}

HFONT OXRLayout::GetFont(const char* name)
{
    void* font = m_fonts.Get(DAttr(name ? name : ""));
    if (!font)
        font = m_fonts.GetValueAt(0);
    return static_cast<HFONT>(font);
}

int OXRLayout::Scale(double value, bool inverse) const
{
    return static_cast<int>(RoundToLong(value * (inverse ? m_inverseScale : m_drawScale)));
}

void OXRLayout::ScalePoint(POINT& point) const
{
    point.x = Scale(point.x);
    point.y = Scale(point.y);
}

UString OXRLayout::MakeItemKey(const char* item, const char* suffix)
{
    UString key;
    key.Format("%s.%s", item ? item : "", suffix ? suffix : "");
    return key;
}

UString OXRLayout::LocaleText(const char* key, const char* def) const
{
    return UString(SectionText(m_locale, key, def).c_str());
}

long OXRLayout::ParamLong(const char* key) const { return m_params.Get(key).ToLong(); }

int OXRLayout::ContentWidth() const
{
    const long width = ParamLong("draw.width");
    if (width != 0)
        return Scale(width);
    return Scale(ParamLong("draw.size.x") - ParamLong("draw.offset.x"));
}

// ---- Operations of the layout classes ------------------------------------------------

bool OXRLayout::Init(const UPairList* extra)
{
    Reset();
    Load(m_path.GetText());
    MakeScalesAndFonts();
    if (extra)
        extra->CopyTo(m_params, false);
    m_params.Set("scale", StrFromDouble(m_scale, "%.5f").c_str());
    m_params.Set("drawScale", StrFromDouble(m_drawScale, "%.5f").c_str());
    m_params.Set("fontScale", StrFromDouble(m_fontScale, "%.5f").c_str());
    m_pageIndex = 0;
    m_cursor = 0;
    m_firstOnPage = false;
    m_language = GetAppServices()->GetLanguage();
    GetAppServices()->GetLocaleSection("reports", m_locale);
    ParseDrawOrder();
    m_material = App().Document().GetProject(-1, false);
    return true;
}

UString OXRLayout::PageProblem() const
{
    UString problem;
    for (const char* key : {"draw.size.x", "draw.size.y"}) {
        if (m_params.IndexOf(key) < 0)
            problem.Format("%s is missing", key);
        else if (Scale(ParamLong(key)) <= 0)
            problem.Format("%s=%s gives no page", key, m_params.Get(key).GetText());
        if (!problem.IsEmpty())
            return problem;
    }
    const long width = Scale(ParamLong("draw.size.x"));
    const long height = Scale(ParamLong("draw.size.y"));
    // The page as the painter lays it out: the flow starts at the margins,
    // and the top margin stays free at the foot of the page too.
    const long left = Scale(ParamLong("draw.offset.x"));
    const long top = Scale(ParamLong("draw.offset.y"));
    const long bottom = height - ParamLong("draw.offset.y");
    if (left < 0 || left >= width)
        problem.Format("draw.offset.x=%s lies past the page of draw.size.x=%s",
                       m_params.Get("draw.offset.x").GetText(), m_params.Get("draw.size.x").GetText());
    else if (top < 0 || top >= bottom)
        problem.Format("draw.offset.y=%s leaves no room on a page of draw.size.y=%s",
                       m_params.Get("draw.offset.y").GetText(), m_params.Get("draw.size.y").GetText());
    if (!problem.IsEmpty())
        return problem;
    // An item placed where the page has ended is never drawn; one that
    // follows the flow (a negative place) or another item's place is.
    for (const UString& item : m_items) {
        if (m_params.Get(MakeItemKey(item.GetText(), "mode").GetText()).ToLong() == 0)
            continue;
        for (const bool across : {true, false}) {
            const UString key = MakeItemKey(item.GetText(), across ? "offset.x" : "offset.y");
            const UString value = m_params.Get(key.GetText());
            const long place = Scale(m_params.Expand(value.GetText(), false, false).ToLong());
            if (place >= (across ? width : bottom)) {
                problem.Format("%s=%s lies past the page of draw.size.%s=%s", key.GetText(), value.GetText(),
                               across ? "x" : "y", m_params.Get(across ? "draw.size.x" : "draw.size.y").GetText());
                return problem;
            }
        }
    }
    return problem;
}

void OXRLayout::Reset()
{
    m_fonts.Clear();
    m_params.Clear();
    m_material = nullptr;
}

void OXRLayout::SetProject(DCSProject* material) { m_material = material; }

void OXRLayout::ReloadLocale()
{
    const std::string language = GetAppServices()->GetLanguage();
    if (language == m_language)
        return;
    DProps section;
    if (GetAppServices()->GetLocaleSection("reports", section)) {
        m_locale = section;
        m_language = language;
    }
}

bool OXRLayout::DrawPage(HDC dc, int pageIndex, bool mono)
{
    if (!dc || !m_material)
        return false;
    // Items of this page record where they went, so later items can refer
    // to them; the record goes with the page. It holds those places alone:
    // a copy of every parameter per page would make a layout of many keys
    // slow to print.
    UPairList placed;
    if (pageIndex == 0)
        ParseDrawOrder();
    m_mono = mono;
    m_pageIndex = pageIndex;
    m_title = "";

    const long footMargin = ParamLong("draw.offset.y");
    const int left = Scale(ParamLong("draw.offset.x"));
    const int top = Scale(footMargin);
    RECT page = {0, 0, Scale(ParamLong("draw.size.x")),
                 Scale(ParamLong("draw.size.y")) - static_cast<int>(footMargin)};
    UDraw surface;
    surface.Attach(dc, &page);

    RECT title = {left, top, left, top};
    DrawTitle(&surface, left, top, &title);
    const int halfSpacing = Scale(ParamLong("draw.spacing")) / 2;
    const int spacing = static_cast<int>(ParamLong("draw.spacing"));

    PageFlow flow{left, title.bottom + halfSpacing + halfSpacing, spacing};
    bool more = false;
    int taken = 0;
    while (m_cursor >= 0 && m_cursor < static_cast<int>(m_items.size())) {
        const UString item = m_items[static_cast<size_t>(m_cursor)];
        if (item == UString("pagebreak")) {
            ++m_cursor;
            more = true;
            break;
        }
        const long mode = m_params.Get(MakeItemKey(item.GetText(), "mode").GetText()).ToLong();
        if (mode != 0) {
            m_firstOnPage = taken == 0;
            if (DrawPageItem(item, mode, placed, surface, flow)) {
                more = true;
                break;
            }
        }
        ++m_cursor;
        ++taken;
    }

    if (more || pageIndex > 0)
        DrawPageNumber(&surface, pageIndex);
    if (more) {
        DrawContinuedNote(&surface, flow.x, flow.y, nullptr);
    } else {
        m_cursor = 0;
        m_params.Set("pages", StrFromLong(pageIndex + 1).c_str());
    }
    return more;
}

UString OXRLayout::ExpandOnPage(const UPairList& placed, const UString& text) const
{
    std::string trimmed = text.ToStdString();
    if (StrTrim(trimmed).empty())
        return UString();
    // A key the layout holds answers with the place recorded under that very
    // key, when there is one; a recorded key the layout lacks comes after
    // all of the layout's keys.
    const auto lookup = [&](const std::string& key, std::string& value) {
        const long own = m_params.IndexOf(key.c_str(), false);
        const UPairList::const_iterator recorded =
            own >= 0 ? placed.FindPos(m_params.KeyAt(own).GetText(), true) : placed.FindPos(key.c_str(), false);
        if (recorded != placed.end())
            value = recorded->value.ToStdString();
        else if (own >= 0)
            value = m_params.ValueAt(own).ToStdString();
        else
            return false;
        return true;
    };
    return UString(ExpandReferences(text.ToStdString(), lookup, false).c_str());
}

bool OXRLayout::DrawPageItem(const UString& item, long mode, UPairList& placed, UDraw& surface, PageFlow& flow)
{
    const UString keyX = MakeItemKey(item.GetText(), "offset.x");
    const UString keyY = MakeItemKey(item.GetText(), "offset.y");
    // The item's place as the file gives it, references to items placed
    // before it resolved from this page's record. Read from the record
    // itself, an item repeated by a group (each material's tables in a
    // report of several) would find the place recorded for its first
    // showing and be drawn over it.
    int x = Scale(ExpandOnPage(placed, m_params.Get(keyX.GetText())).ToLong());
    int y = Scale(ExpandOnPage(placed, m_params.Get(keyY.GetText())).ToLong());
    if (x < 0)
        x = flow.x;
    if (y < 0)
        y = flow.y;

    OXRRenderContext ctx;
    ctx.kind = OXRRenderContext::kDraw;
    ctx.draw = &surface;
    ctx.x = x;
    ctx.y = y;
    bool goesOn = false;
    if (StartsWith(item, "table")) {
        goesOn = DrawTable(item.GetText(), ctx, static_cast<int>(mode));
    } else if (StartsWith(item, "graph")) {
        const long w = StrToLong(m_params.GetOr(MakeItemKey(item.GetText(), "size.x").GetText(), "800").GetText());
        const long h = StrToLong(m_params.GetOr(MakeItemKey(item.GetText(), "size.y").GetText(), "800").GetText());
        const RECT area = {x, y, x + Scale(w), y + Scale(h)};
        goesOn = DrawGraph(item.GetText(), &surface, area, &ctx.rect);
    } else {
        return false;
    }
    placed.Set(keyX.GetText(), StrFromLong(Scale(x, true)).c_str());
    placed.Set(keyY.GetText(), StrFromLong(Scale(y, true)).c_str());
    if (Width(ctx.rect) != 0)
        flow.x = x + Width(ctx.rect) + flow.spacing;
    if (Height(ctx.rect) != 0)
        flow.y = y + Height(ctx.rect) + flow.spacing;
    return goesOn;
}

bool OXRLayout::DrawTitle(UDraw* surface, int x, int y, RECT* out)
{
    if (!m_material || !surface)
        return false;
    if (IsBlank(m_title)) {
        const std::string name = MaterialValue(m_material, "name");
        m_title = name.empty() ? LocaleText("title", "Cutting") : UString(name.c_str());
    }
    RECT area = {x, y, x, y};
    surface->Text(m_title.GetText(), x, y, GetFont("h1"), &area);
    if (out)
        *out = area;

    HBITMAP logo = App().Logo();
    BITMAP bm;
    if (logo && GetObjectA(logo, sizeof bm, &bm) != 0) {
        const int top = Scale(ParamLong("draw.offset.y")) - static_cast<int>(RoundToLong(bm.bmHeight * m_scale));
        const long width = ParamLong("draw.width");
        const int leftEdge =
            width != 0
                ? Scale(ParamLong("draw.offset.x") + width) - static_cast<int>(RoundToLong(bm.bmWidth * m_scale))
                : Scale(ParamLong("draw.size.x")) - static_cast<int>(RoundToLong((bm.bmWidth + 20) * m_scale));
        surface->Bitmap(logo, leftEdge, top, m_scale);
    }
    return false;
}

bool OXRLayout::DrawComment(UDraw* surface, int x, int y, RECT* out)
{
    const std::string comment = MaterialValue(m_material, "comment");
    if (!m_material || comment.empty())
        return false;
    HFONT font = GetFont("h3");
    TCell cell(UString(comment.c_str()), ContentWidth());
    RECT area;
    cell.Measure(surface, &area, font);
    cell.Draw(surface, x, y, font);
    OffsetRect(&area, x, y);
    area.bottom += Scale(ParamLong("draw.spacing")) / 2;
    if (out)
        *out = area;
    return true;
}

bool OXRLayout::DrawContinuedNote(UDraw* surface, int x, int y, RECT* out)
{
    (void)x;
    HFONT font = GetFont("small");
    const long width = ParamLong("draw.width");
    const int cellWidth = static_cast<int>(RoundToLong(
        (width != 0 ? width : ParamLong("draw.size.x") - 2 * ParamLong("draw.offset.x")) * m_drawScale));
    TCell cell(LocaleText("2bc", "Continued on the next page..."), cellWidth);
    cell.SetAttr("halign", "2");
    RECT area;
    cell.Measure(surface, &area, font);
    const int lowest = static_cast<int>(ParamLong("draw.size.y") - RoundToLong(10 * m_drawScale)) - Height(area);
    const int top = std::min(y, lowest);
    const int left = static_cast<int>(ParamLong("draw.offset.x"));
    cell.Draw(surface, left, top, font);
    OffsetRect(&area, left, top);
    if (out)
        *out = area;
    return true;
}

void OXRLayout::DrawPageNumber(UDraw* surface, int pageIndex)
{
    if (!surface)
        return;
    const long pages = ParamLong("pages");
    const long page = pageIndex + 1;
    UString text;
    if (pages != 0)
        text.Format("%s %ld %s %ld", LocaleText("page", "Page").GetText(), page,
                    LocaleText("of", "of").GetText(), pages);
    else
        text.Format("%s %ld", LocaleText("page", "Page").GetText(), page);
    const int x = static_cast<int>(RoundToLong(Width(surface->GetRect()) / 2.0 - m_scale * 10));
    const int bottom = static_cast<int>(RoundToLong(m_scale * 20));
    surface->Text(text.GetText(), x, bottom, GetFont("normal"));
}

bool OXRLayout::DrawHeader(OXRRenderContext& ctx, LPARAM unused)
{
    (void)ctx;
    (void)unused;
    return false;
}

bool OXRLayout::DrawGraph(const char* item, UDraw* surface, const RECT& rect, RECT* out)
{
    (void)item;
    (void)surface;
    (void)rect;
    (void)out;
    return false;
}

bool OXRLayout::DrawTable(const char* item, OXRRenderContext& ctx, int mode)
{
    (void)item;
    (void)ctx;
    (void)mode;
    return false;
}

bool OXRLayout::DrawTableDirect(const char* item, RECT* out, UDraw* surface, int x, int y, int mode)
{
    (void)item;
    (void)out;
    (void)surface;
    (void)x;
    (void)y;
    (void)mode;
    return false;
}

bool OXRLayout::WriteHtml(std::string& out, const DProps* options)
{
    if (!m_material)
        return false;
    // The scheme asked for wins over the one the last drawn page used.
    if (options && options->IndexOf("mono") >= 0)
        m_mono = DProps::GetLong(options, "mono") != 0;
    ParseDrawOrder();
    OXRRenderContext ctx;
    ctx.kind = OXRRenderContext::kHtml;
    ctx.options.Set("format", "html");
    if (options)
        ctx.options.CopyFrom(options);

    // A report of many parts runs to megabytes; running out of memory on the
    // way must fail the whole report, never hand back a part of it.
    try {
        std::string text("<!DOCTYPE html>\r\n<html><head>");
        const UString style = InstalledText(m_mono ? "STYLE.MONO.TXT" : "STYLE.TXT");
        if (!style.IsEmpty())
            text.append("\r\n<style>").append(style.GetText()).append("</style>\r\n");
        const UString meta = InstalledText("META.TXT");
        text.append(meta.IsEmpty() ? "<meta charset=\"utf-8\" />" : meta.GetText());
        text.append("</head>\r\n<body>\r\n");

        UString title;
        UString comment;
        if (m_wholeProject) {
            const std::string name = App().Document().GetName();
            title = name.empty() ? LocaleText("title", "Cutting") : UString(name.c_str());
            comment = App().Document().GetDesc().c_str();
        } else {
            title.Format("%s %s", LocaleText("Material", "Material").GetText(),
                         MaterialValue(m_material, "material").c_str());
            const std::string desc = MaterialValue(m_material, "desc");
            if (UString(desc.c_str()).HasText(true))
                title.Append(StrFormatStatic(" (%s)", desc.c_str()).c_str());
            comment = MaterialValue(m_material, "comment").c_str();
        }
        m_title = title;
        if (!IsBlank(title)) {
            // Names come from project files: they are text, never markup.
            HtmlEscape(title);
            text.append("<h2>").append(title.GetText()).append("</h2>\r\n");
        }
        if (!IsBlank(comment)) {
            HtmlEscape(comment);
            text.append("<h3>").append(comment.GetText()).append("</h3>\r\n");
        }

        for (const UString& item : m_items) {
            if (item == UString("pagebreak") || !StartsWith(item, "table"))
                continue;
            const long mode = m_params.Get(MakeItemKey(item.GetText(), "mode").GetText()).ToLong();
            if (mode == 0)
                continue;
            DrawTable(item.GetText(), ctx, static_cast<int>(mode));
            ctx.html.append("<br/>");
        }
        m_cursor = 0;
        m_params.Set("pages", "1");
        text.append(ctx.html).append("\r\n</body></html>\r\n");
        out.append(text);
    } catch (const std::exception&) {
        // Out of memory, or longer than a string can be.
        m_cursor = 0;
        ULog::WriteText(&App().Log(), "The HTML report does not fit in memory", "WRN >> ");
        return false;
    }
    return true;
}
