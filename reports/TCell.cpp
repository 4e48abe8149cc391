#include "reports/TCell.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Joins r into acc; unlike UnionRect a rectangle without area still counts,
// so an empty line keeps its place in the cell's height.
void Grow(RECT& acc, bool& set, const RECT& r)
{
    if (!set) {
        acc = r;
        set = true;
        return;
    }
    acc.left = std::min(acc.left, r.left);
    acc.top = std::min(acc.top, r.top);
    acc.right = std::max(acc.right, r.right);
    acc.bottom = std::max(acc.bottom, r.bottom);
}

// Both forms of the text: the runs measure and draw the wide one and write
// HTML from the narrow one, and UWString's own copy keeps only one form.
void CopyBoth(UWString& to, const UWString& from)
{
    if (from.HasW())
        to.SetW(from.GetW());
    else
        to.SetA(from.GetA());
}

bool IsLineBreak(const TText& run)
{
    const wchar_t* t = run.GetW();
    return t[0] == L'\r' || t[0] == L'\n';
}

bool IsBlank(const TText& run)
{
    const wchar_t* t = run.GetW();
    return t[0] == L' ' && t[1] == L'\0';
}

} // namespace

// ---- TText ---------------------------------------------------------------------------

TText::TText(const wchar_t* text)
{
    UWString decoded = DecodeCharRefsW(text);
    m_text.SetW(decoded.GetW());
}

TText::TText(HFONT font, int flags, const char* text) : m_font(font), m_flags(flags)
{
    UWString decoded = DecodeCharRefs(text ? text : "");
    m_text.SetW(decoded.GetW());
}

TText::TText(const TText& other)
    : m_font(other.m_font), m_flags(other.m_flags), m_shift(other.m_shift)
{
    CopyBoth(m_text, other.m_text);
}

TText& TText::operator=(const TText& other)
{
    if (this != &other) {
        m_font = other.m_font;
        CopyBoth(m_text, other.m_text);
        m_rect = other.m_rect;
        m_flags = other.m_flags;
        m_shift = other.m_shift;
    }
    return *this;
}

TText::~TText() = default;

bool TText::Measure(UDraw* ctx, int x, int y, RECT* out, HFONT font)
{
    m_shift = 0;
    HFONT use = m_font ? m_font : font;
    if (!use) {
        SetRectEmpty(&m_rect);
        if (out)
            SetRect(out, x, y, x, y);
        return false;
    }
    RECT r = {0, 0, 0, 0};
    if (ctx && *m_text.GetW())
        ctx->MeasureTextW(m_text.GetW(), use, &r);
    m_rect = RECT{0, 0, Width(r), Height(r)};
    if (out)
        SetRect(out, x, y, x + Width(r), y + Height(r));
    return true;
}

bool TText::Draw(UDraw* ctx, int x, int y, int quarterTurns, RECT* out, HFONT font)
{
    HFONT use = m_font ? m_font : font;
    RECT box = {x, y, x, y};
    bool drawn = false;
    if (use && ctx && ctx->GetDC() && *m_text.GetW()) {
        PointList corners;
        ctx->TextRotated(use, m_text.GetW(), 90.0 * (quarterTurns & 3), x, y, false, &corners);
        if (!corners.empty()) {
            BoundingRect(corners, box);
            drawn = Width(box) > 0;
        }
    }
    if (out)
        *out = box;
    return drawn;
}

// ---- TCell ---------------------------------------------------------------------------

TCell::TCell() { m_runs.emplace_back(L""); }

TCell::TCell(const char* text) { m_runs.emplace_back(nullptr, TText::kNormal, text ? text : ""); }

TCell::TCell(const UString& text, int width) : m_width(width)
{
    m_rect.right = width;
    if (!text.IsEmpty())
        m_runs.emplace_back(nullptr, TText::kNormal, text.GetText());
}

TCell::TCell(int width, const TText& run) : m_width(width) { m_runs.push_back(run); }

TCell::TCell(const TCell& other) = default;

TCell& TCell::operator=(const TCell& other)
{
    if (this != &other) {
        m_width = other.m_width;
        m_runs = other.m_runs;
        m_rect = other.m_rect;
        m_attrs.Clear();
        other.m_attrs.CopyTo(m_attrs, true);
        m_attrs.SetParent(other.m_attrs.GetParent());
    }
    return *this;
}

TCell::~TCell() { Clear(); }

TCell& TCell::Clear()
{
    m_width = 0;
    m_runs.clear();
    SetRectEmpty(&m_rect);
    m_attrs.Clear();
    return *this;
}

TCell& TCell::SetAttr(const char* name, const char* value)
{
    m_attrs.Set(name, value, true);
    return *this;
}

TCell& TCell::SetText(const TText& run, int width, bool split)
{
    m_runs.clear();
    if (width >= 0)
        m_width = width;
    return AddText(run, split);
}

bool TCell::AddWhole(const TText& run, bool split)
{
    if (!*run.GetW()) {
        m_runs.emplace_back(L"");
        return true;
    }
    if (!split) {
        m_runs.push_back(run);
        return true;
    }
    return false;
}

TCell& TCell::AddText(const TText& run, bool split)
{
    if (AddWhole(run, split))
        return *this;
    UWStringList separators;
    separators.emplace_back(L" ");
    separators.emplace_back(L"\r\n");
    UWStringList pieces;
    TextSplitAtAny(run.GetW(), pieces, separators);
    for (const UWString& piece : pieces) {
        // Two separators in a row leave an empty piece between them; it
        // would carry nothing but a run without extent.
        if (!*piece.GetW())
            continue;
        TText part(run);
        part.m_text.SetW(piece.GetW());
        m_runs.push_back(part);
    }
    return *this;
}

TCell& TCell::AddWords(const TText& run, bool split)
{
    if (AddWhole(run, split))
        return *this;
    UWStringList words;
    TextSplitWords(run.GetW(), words);
    for (const UWString& word : words) {
        // The splitter appends to the list it is given only when the word has
        // text: a list kept from the previous word would repeat its pieces.
        UWStringList pieces;
        TextSplitControls(pieces, word.GetW());
        for (const UWString& piece : pieces) {
            TText part(run);
            part.m_text.SetW(piece.GetW());
            m_runs.push_back(part);
        }
    }
    return *this;
}

void TCell::ClearRuns()
{
    m_runs.clear();
    m_runs.emplace_back(L"");
}

int TCell::InheritedInt(const char* name) const
{
    return static_cast<int>(m_attrs.GetInherited(name).ToLong());
}

size_t TCell::MeasurePiece(UDraw* ctx, size_t i, int x, int y, HFONT font, int spacing,
                           RECT& piece)
{
    TText& base = m_runs[i];
    base.Measure(ctx, x, y, nullptr, font);
    OffsetRect(&base.m_rect, x, y);
    piece = base.m_rect;
    const int fifth = Height(base.m_rect) / 5;
    while (i + 1 < m_runs.size() && m_runs[i + 1].IsScript()) {
        ++i;
        TText& script = m_runs[i];
        script.Measure(ctx, 0, 0, nullptr, font);
        // Each script run follows what stands before it, so a second one
        // does not cover the first.
        OffsetRect(&script.m_rect, piece.right + spacing, y);
        script.m_shift = (script.m_flags & TText::kSuperscript) ? -fifth : fifth;
        UnionRect(&piece, &piece, &script.m_rect);
    }
    return i;
}

bool TCell::Measure(UDraw* ctx, RECT* out, HFONT font)
{
    const int spacing = InheritedInt("spacing");
    const int lineHeight = InheritedInt("lineheight");
    const int padding = InheritedInt("padding");
    const int available = m_width - 2 * padding;

    SetRectEmpty(&m_rect);
    if (m_runs.empty())
        m_runs.emplace_back(L" ");

    RECT cell = {0, 0, 0, 0};
    bool cellSet = false;
    int x = spacing;
    int y = 0;
    RECT line = {0, 0, 0, 0};
    bool lineSet = false;
    size_t lineFirst = 0;
    size_t i = 0;
    const size_t count = m_runs.size();

    // Ends the current line after run lastOnLine (none when it is below
    // lineFirst) and returns its bottom.
    auto endLine = [&](size_t lastOnLine, bool any) {
        const int height = std::max(lineSet ? Height(line) : 0, lineHeight);
        const int bottom = y + height;
        if (any)
            for (size_t r = lineFirst; r <= lastOnLine; ++r)
                m_runs[r].m_rect.bottom = m_runs[r].m_rect.top + height;
        RECT whole = lineSet ? line : RECT{spacing, y, spacing, y};
        whole.top = y;
        whole.bottom = bottom;
        Grow(cell, cellSet, whole);
        return bottom;
    };

    while (i < count) {
        RECT piece;
        const size_t first = i;
        i = MeasurePiece(ctx, first, x, y, font, spacing, piece);
        const bool last = i + 1 == count;
        const bool overflow = available > 0 && piece.right > available;

        if (!overflow && IsLineBreak(m_runs[first])) {
            // A line break is no run of the layout: it only ends the line.
            SetRectEmpty(&m_runs[first].m_rect);
            const int bottom = endLine(first > lineFirst ? first - 1 : 0, first > lineFirst);
            if (last)
                break;
            x = spacing;
            y = bottom + spacing;
            line = RECT{0, 0, 0, 0};
            lineSet = false;
            size_t next = first + 1;
            while (next < count && IsBlank(m_runs[next]))
                ++next;
            if (next >= count)
                break;
            lineFirst = i = next;
            continue;
        }

        if (!lineSet) {
            line = piece;
            lineSet = true;
        } else {
            line.bottom = std::max(line.bottom, piece.bottom);
        }
        if (!overflow && !last) {
            UnionRect(&line, &line, &piece);
            x += Width(piece);
            ++i;
            continue;
        }

        // The piece stays on this line unless it overflows behind others; one
        // wider than the whole width stays alone on its line, so every piece
        // is placed exactly once.
        const bool stays = !overflow || first == lineFirst;
        if (stays)
            UnionRect(&line, &line, &piece);
        const bool any = stays || first > lineFirst;
        const int bottom = endLine(stays ? i : first - 1, any);
        if (stays && last)
            break;

        x = spacing;
        y = bottom + spacing;
        line = RECT{0, 0, 0, 0};
        lineSet = false;
        if (!stays && last) {
            const int dx = spacing - piece.left;
            const int dy = y - piece.top;
            for (size_t r = first; r <= i; ++r) {
                RECT& rr = m_runs[r].m_rect;
                OffsetRect(&rr, dx, dy);
                rr.bottom = std::max(rr.bottom, rr.top + lineHeight);
            }
            OffsetRect(&piece, dx, dy);
            piece.bottom = std::max(piece.bottom, piece.top + lineHeight);
            Grow(cell, cellSet, piece);
            break;
        }
        size_t next = stays ? i + 1 : first;
        while (next < count && IsBlank(m_runs[next]))
            ++next;
        if (next >= count)
            break;
        lineFirst = i = next;
    }

    SizeToContent(cellSet ? cell : RECT{0, 0, 0, 0}, padding);
    if (out)
        *out = m_rect;
    return true;
}

void TCell::SizeToContent(const RECT& content, int padding)
{
    m_rect = RECT{0, 0, Width(content) + 2 * padding, Height(content) + 2 * padding};
    if (m_width > 0)
        m_rect.right = m_width;

    const int turns = static_cast<int>(m_attrs.Get("rotate").ToLong());
    if (turns != 0) {
        RECT turned;
        RectRotate(&m_rect, turned, turns);
        OffsetRect(&turned, -turned.left, -turned.top);
        m_rect = turned;
    }
}

bool TCell::Draw(UDraw* ctx, int x, int y, HFONT font)
{
    const int spacing = InheritedInt("spacing");
    const int padding = InheritedInt("padding");
    const int turns = static_cast<int>(m_attrs.Get("rotate").ToLong()) & 3;
    const long halign = m_attrs.Get("halign").ToLong();
    const UString color = m_attrs.Get("color");

    HDC dc = ctx ? ctx->GetDC() : nullptr;
    COLORREF previous = 0;
    if (dc)
        previous = SetTextColor(dc, static_cast<COLORREF>(NumParse(color.GetText(), 0)));

    // The size of the laid-out block before it was turned.
    const bool sideways = (turns & 1) != 0;
    const int blockWidth = sideways ? Height(m_rect) : Width(m_rect);
    const int blockHeight = sideways ? Width(m_rect) : Height(m_rect);

    for (TText& run : m_runs) {
        if (!*run.GetW() || IsLineBreak(run))
            continue;
        RECT r = run.m_rect;
        const int w = Width(r);
        const int h = Height(r);
        if (halign == 1)
            OffsetRect(&r, (m_width - w) / 2 - spacing, 0);
        else if (halign == 2)
            OffsetRect(&r, m_width - w - spacing, 0);
        const double cx = r.left + w * 0.5;
        const double cy = r.top + h * 0.5 + run.m_shift;
        // The run's centre inside the unturned block, padding included.
        const double px = padding + cx;
        const double py = padding + cy;
        double tx = px;
        double ty = py;
        switch (turns) {
        case 1: tx = blockHeight - py; ty = px; break;
        case 2: tx = blockWidth - px; ty = blockHeight - py; break;
        case 3: tx = py; ty = blockWidth - px; break;
        default: break;
        }
        run.Draw(ctx, x + m_rect.left + static_cast<int>(RoundToLong(tx)),
                 y + m_rect.top + static_cast<int>(RoundToLong(ty)), turns, nullptr, font);
    }

    if (dc)
        SetTextColor(dc, previous);
    return true;
}

void TCell::WriteHtml(std::string& out, const DProps& options) const
{
    const std::string format = DProps::GetString(options, "format", "");
    if (format == "text") {
        for (const TText& run : m_runs)
            out.append(run.GetA());
        return;
    }
    if (format != "html")
        return;
    const std::string tag = DProps::GetString(options, "tag", "");
    const UString cls = m_attrs.Get("class");
    const UString back = m_attrs.Get("color.back");
    for (const TText& run : m_runs) {
        if (!tag.empty()) {
            out.append("<").append(tag.c_str());
            if (!cls.IsEmpty())
                out.append(" class=\"").append(cls.GetText()).append("\"");
            if (!back.IsEmpty()) {
                const std::string colour =
                    ColorToHtml(NumParseColor(back.GetText(), RGB(255, 255, 255)));
                out.append(" bgcolor=\"").append(colour.c_str()).append("\"");
            }
            out.append(">");
        }
        const bool sup = (run.GetFlags() & TText::kSuperscript) != 0;
        const bool sub = !sup && (run.GetFlags() & TText::kSubscript) != 0;
        if (sup)
            out.append("<sup>");
        else if (sub)
            out.append("<sub>");
        if (*run.GetA()) {
            UString text(run.GetA());
            HtmlEscape(text);
            out.append(text.GetText());
        }
        if (sup)
            out.append("</sup>");
        else if (sub)
            out.append("</sub>");
        if (!tag.empty())
            out.append("</").append(tag.c_str()).append(">");
    }
}
