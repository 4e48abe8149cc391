#include "reports/MTable.h"

#include <algorithm>
#include <climits>
#include <string>

#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

int Height(const RECT& r) { return r.bottom - r.top; }

// One black line from (x1, y1) to (x2, y2), and back to the start when asked
// (a wide pen then covers both ends alike).
void Stroke(HDC dc, int width, int x1, int y1, int x2, int y2, bool back)
{
    UGdiObject pen(CreatePen(PS_SOLID, width, RGB(0, 0, 0)));
    USelect select(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    if (back)
        LineTo(dc, x1, y1);
}

UString Attr(const char* name, const char* value)
{
    UString text;
    text.Format(" %s=\"%s\"", name, value);
    return text;
}

} // namespace

MTable::MTable()
{
    m_base.Clear();
    for (RowGroup* group : {&m_header, &m_data, &m_notes})
        group->attrs.SetParent(&m_style);
}

MTable::~MTable() = default;

int MTable::StyleInt(const char* key) const
{
    return static_cast<int>(m_style.GetInherited(key).ToLong());
}

bool MTable::LoadStyle(const UPairList& overrides, const char* widths, HFONT font)
{
    double scale = StrToDouble(overrides.GetInherited("scale").GetText());
    if (IsNearZero(scale))
        scale = 1.0;

    m_rect = RECT{0, 0, 0, 0};
    m_base.Clear();
    m_font = font;
    m_style.Clear();

    const bool mono = overrides.GetInherited("mono").ToLong() != 0;
    m_style.Set("scale", StrFromDouble(scale, "%.5f").c_str());
    m_style.Set("padding", StrFromLong(RoundToLong(scale * 1.5)).c_str());
    m_style.Set("spacing", StrFromLong(RoundToLong(scale * 2.0)).c_str());
    m_style.Set("lineheight", StrFromLong(RoundToLong(scale * 16.0)).c_str());
    m_style.Set("line.bold", "2");
    m_style.Set("line.thin", "1");
    m_style.Set("color.head", mono ? "0xFFFFFF" : "0xEACD86");
    m_style.Set("color.data.0", mono ? "0xFFFFFF" : "0xFCFCFC");
    m_style.Set("color.data.1", mono ? "0xFFFFFF" : "0xF0F0F0");
    m_style.Set("color.note", "0xFFFFFF");
    if (mono)
        m_style.Set("mono", "1");
    overrides.CopyTo(m_style, false);

    m_widths.clear();
    m_columnsWidth = 0;
    const std::string text = widths ? widths : "";
    std::string piece;
    for (long n = 0; StrToken(text, piece, n, ","); ++n) {
        // A width that reads as nothing ends the list; so does a negative
        // one, which would fold the following columns back over this one.
        const long width = StrToLong(piece);
        if (width <= 0)
            break;
        m_widths.push_back(static_cast<int>(width));
        m_columnsWidth += static_cast<int>(width);
    }
    m_rect.right = m_columnsWidth;

    for (RowGroup* group : {&m_header, &m_data, &m_notes})
        SetColumns(*group);
    m_hasColumns = !m_widths.empty();
    return m_hasColumns;
}

void MTable::SetColumns(RowGroup& group)
{
    group.cells.clear();
    group.rect = RECT{0, 0, 0, 0};
    group.drawn = RECT{0, 0, 0, 0};
    group.widths = m_widths;
    group.attrs.Clear();
    group.attrs.SetParent(&m_style);
    group.font = m_font;
    group.spacing = static_cast<int>(group.attrs.GetInherited("spacing").ToLong());
    int width = 0;
    for (int w : group.widths)
        width += w;
    if (!group.widths.empty())
        width += group.spacing * static_cast<int>(group.widths.size() - 1);
    group.rect.right = width;
}

void MTable::SetBaseCell(const TCell& cell) { m_base = cell; }

MTable& MTable::AddHeader(int span, const TCell& cell)
{
    TCell copy(cell);
    copy.SetParent(&m_style);
    if (!copy.HasAttr("color.back"))
        copy.SetAttr("color.back", m_style.GetInherited("color.head").GetText());
    AddCell(m_header, "head", span, copy);
    return *this;
}

MTable& MTable::AddRow(int span, const TCell& cell)
{
    if (!m_hasColumns)
        return *this;
    TCell copy(cell);
    copy.SetParent(&m_style);
    if (!copy.HasAttr("color.back") && StyleInt("mono") == 0) {
        const size_t row = m_data.cells.size() / m_widths.size();
        copy.SetAttr("color.back",
                     m_style.GetInherited(row % 2 == 0 ? "color.data.0" : "color.data.1").GetText());
    }
    AddCell(m_data, "data", span, copy);
    return *this;
}

MTable& MTable::AddNote(int span, const TCell& cell)
{
    TCell copy(cell);
    copy.SetParent(&m_style);
    if (!copy.HasAttr("color.back"))
        copy.SetAttr("color.back", m_style.GetInherited("color.note").GetText());
    // Notes stand under the table as plain text unless the painter asked
    // for a frame or rules.
    m_notes.attrs.Set("line.bold", "0", false);
    m_notes.attrs.Set("line.thin", "0", false);
    AddCell(m_notes, "note", span, copy);
    return *this;
}

void MTable::AddCell(RowGroup& group, const char* kind, int span, const TCell& cell)
{
    const int columns = static_cast<int>(group.widths.size());
    if (columns == 0)
        return;
    const int column = static_cast<int>(group.cells.size() % static_cast<size_t>(columns));
    group.cells.push_back(cell);
    const size_t index = group.cells.size() - 1;
    group.cells[index].SetAttr("type", kind);
    if (span < 0)
        span = columns - column;
    if (span <= 0)
        return;
    // A span past the end of the row covers what is left of the row, and
    // says so in HTML too.
    span = std::min(span, columns - column);

    TCell placeholder(group.cells[index]);
    placeholder.ClearRuns();
    placeholder.SetAttr("type", "none");

    group.cells[index].SetAttr("colspan", StrFromLong(span).c_str());
    int width = group.widths[static_cast<size_t>(column)];
    for (int j = column + 1; span > 1 && j < columns; ++j, --span) {
        const int w = group.widths[static_cast<size_t>(j)];
        TCell filler(placeholder);
        filler.SetWidth(w);
        width += group.spacing + w;
        group.cells.push_back(filler);
    }
    group.cells[index].SetWidth(width);
}

int MTable::RowsPerColumn(const RowGroup& group) const
{
    const size_t columns = group.widths.size();
    if (columns == 0 || group.cells.empty())
        return 0;
    return static_cast<int>((group.cells.size() + columns - 1) / columns);
}

void MTable::ClearRows()
{
    m_data.cells.clear();
    m_data.rect.bottom = 0;
    m_rect = RECT{0, 0, m_columnsWidth, 0};
}

void MTable::Measure(UDraw* ctx)
{
    const int spacing = StyleInt("spacing");
    int height = 0;
    int width = m_rect.right - m_rect.left;
    if (m_base.HasRuns()) {
        RECT title;
        m_base.Measure(ctx, &title, m_font);
        height += Height(title) + spacing;
        width = std::max(width, static_cast<int>(title.right));
    }
    if (MeasureGroup(m_header, ctx))
        height += m_header.rect.bottom;
    if (MeasureGroup(m_data, ctx)) {
        height += m_data.rect.bottom;
        width = std::max(width, static_cast<int>(m_data.rect.right));
    }
    if (MeasureGroup(m_notes, ctx)) {
        height += m_notes.rect.bottom + spacing;
        width = std::max(width, static_cast<int>(m_notes.rect.right));
    }
    m_rect = RECT{0, 0, width, height};
}

bool MTable::MeasureGroup(RowGroup& group, UDraw* ctx)
{
    if (group.widths.empty() || group.cells.empty())
        return false;
    const int spacing = static_cast<int>(group.attrs.GetInherited("spacing").ToLong());
    int y = 0;
    const int rows = RowsPerColumn(group);
    for (int r = 0; r < rows; ++r) {
        RECT row = MeasureRow(group, ctx, r, y);
        y += Height(row) + spacing;
    }
    group.rect.bottom = y - spacing;
    return true;
}

RECT MTable::MeasureRow(RowGroup& group, UDraw* ctx, int row, int y)
{
    group.thinLine = static_cast<int>(group.attrs.GetInherited("line.thin").ToLong());
    const int spacing = static_cast<int>(group.attrs.GetInherited("spacing").ToLong());
    const size_t columns = group.widths.size();
    const size_t first = static_cast<size_t>(row) * columns;
    const size_t end = std::min(first + columns, group.cells.size());

    int height = 0;
    for (size_t k = first; k < end; ++k) {
        TCell& cell = group.cells[k];
        if (cell.GetWidth() == 0)
            cell.SetWidth(group.widths[k - first]);
        RECT r;
        cell.Measure(ctx, &r, group.font);
        height = std::max(height, static_cast<int>(Height(r)));
    }

    int x = 0;
    for (size_t k = first; k < end; ++k) {
        TCell& cell = group.cells[k];
        int width = group.widths[k - first];
        RECT& r = cell.Rect();
        r.left = x;
        r.top = y;
        r.bottom = y + height;
        x += width + spacing;
        const long span = cell.GetAttr("colspan").ToLong();
        for (long c = 1; c < span && k + 1 < end; ++c) {
            TCell& filler = group.cells[++k];
            const int w = group.widths[k - first];
            RECT& fr = filler.Rect();
            fr = RECT{x, y, x + w, y + height};
            filler.SetWidth(w);
            width += spacing + w;
            x += w + spacing;
        }
        cell.SetWidth(width);
        r.right = r.left + width;
    }
    int rowWidth = std::max(0, x - spacing);
    return RECT{0, 0, rowWidth, height};
}

bool MTable::Draw(UDraw* ctx, int x, int y, RECT* out, bool force)
{
    if (!m_hasColumns)
        return false;
    if (Height(m_rect) == 0) {
        Measure(ctx);
        if (Height(m_rect) == 0)
            return false;
    }
    RECT whole = m_rect;
    OffsetRect(&whole, x, y);
    const int limit = ctx ? Height(ctx->GetRect()) : INT_MAX;
    if (y + Height(m_rect) > limit && !force) {
        if (out)
            *out = whole;
        return true;
    }
    const int spacing = StyleInt("spacing");
    if (m_base.HasRuns()) {
        m_base.Draw(ctx, x, y, m_font);
        y += Height(m_base.GetRect()) + spacing + 1;
    }
    if (!m_header.cells.empty()) {
        RECT drawn;
        DrawGrid(y, ctx, m_header, x, &drawn);
        y += Height(drawn);
    }
    RECT data = {x, y, x, y};
    DrawGrid(y, ctx, m_data, x, &data);
    if (!m_notes.cells.empty())
        DrawGrid(y + Height(data) + spacing, ctx, m_notes, x, nullptr);
    if (out)
        *out = whole;
    return false;
}

void MTable::DrawGrid(int y, UDraw* ctx, RowGroup& group, int x, RECT* out)
{
    const int width = group.rect.right - group.rect.left;
    if (group.widths.empty() || group.cells.empty()) {
        group.drawn = RECT{x, y, x + width, y};
        if (out)
            *out = group.drawn;
        return;
    }
    const int spacing = static_cast<int>(group.attrs.GetInherited("spacing").ToLong());
    const int rows = RowsPerColumn(group);
    const size_t columns = group.widths.size();
    int height = 0;
    for (int r = 0; r < rows; ++r) {
        DrawRow(group, ctx, x, y, r);
        height += Height(group.cells[static_cast<size_t>(r) * columns].GetRect());
        if (r + 1 < rows)
            height += spacing;
    }
    group.drawn = RECT{x, y, x + width, y + height};

    const int bold = static_cast<int>(group.attrs.GetInherited("line.bold").ToLong());
    HDC dc = ctx ? ctx->GetDC() : nullptr;
    if (dc && bold != 0) {
        Stroke(dc, bold, x, y, x, y + height, true);
        Stroke(dc, bold, x + width, y, x + width, y + height, true);
        Stroke(dc, bold, x + 1, y, x + width, y, true);
        Stroke(dc, bold, x + 1, y + height, x + width, y + height, true);
    }
    if (out)
        *out = group.drawn;
}

void MTable::DrawRow(RowGroup& group, UDraw* ctx, int x, int y, int row)
{
    const size_t columns = group.widths.size();
    const size_t first = static_cast<size_t>(row) * columns;
    const size_t end = std::min(first + columns, group.cells.size());
    const bool lastRow = row + 1 == RowsPerColumn(group);
    const int groupWidth = group.rect.right - group.rect.left;
    const int spacing = static_cast<int>(group.attrs.GetInherited("spacing").ToLong());
    HDC dc = ctx ? ctx->GetDC() : nullptr;

    for (size_t k = first; k < end; ++k) {
        TCell& cell = group.cells[k];
        const COLORREF colour = NumParseColor(cell.GetInherited("color.back").GetText(), kWhite);
        RECT r = cell.GetRect();
        OffsetRect(&r, x, y);
        const bool placeholder = cell.GetAttr("type") == UString("none");
        if (!placeholder && ctx)
            ctx->Fill(r.left, r.top, r.right - r.left, Height(r) + 2, colour);
        cell.Draw(ctx, x, y, group.font);
        if (cell.GetAttr("rowspan").ToLong() != 0 || lastRow || !dc || group.thinLine == 0)
            continue;
        int right = r.right + (k + 1 < first + columns ? spacing : 0);
        right = std::min(right, x + groupWidth);
        Stroke(dc, group.thinLine, r.left, r.bottom, right, r.bottom, false);
    }

    if (group.attrs.GetInherited("mono").ToLong() == 0 || !dc || group.thinLine == 0)
        return;
    for (size_t k = first; k < end; ++k) {
        const TCell& cell = group.cells[k];
        if (cell.GetAttr("type") == UString("none"))
            continue;
        RECT r = cell.GetRect();
        OffsetRect(&r, x, y);
        // Rules of later rows reach up through the gap, so they join.
        const int top = row == 0 ? r.top : r.top - spacing;
        Stroke(dc, group.thinLine, r.right, top, r.right, r.bottom, false);
    }
}

void MTable::Format(std::string& out, DProps& options)
{
    if (DProps::GetString(options, "format", "") != "html")
        return;
    std::string text;
    if (m_base.HasRuns()) {
        options.Set("tag", "b");
        options.Set("type", "plain");
        m_base.WriteHtml(text, options);
    }
    text.append("\r\n<table");
    const UString cls = m_style.Get("class");
    if (!cls.IsEmpty())
        text.append(Attr("class", cls.GetText()).GetText());
    text.append(">");
    if (!m_header.cells.empty()) {
        options.Set("tag", "");
        options.Set("type", "header");
        FormatGroup(text, m_header, options);
    }
    if (!m_data.cells.empty()) {
        options.Set("tag", "");
        options.Set("type", "table");
        FormatGroup(text, m_data, options);
    }
    text.append("</table>");
    if (!m_notes.cells.empty()) {
        text.append("<i><div style=\"font-size: 80%;\">");
        options.Set("tag", "");
        options.Set("type", "plain");
        FormatGroup(text, m_notes, options);
        text.append("</div></i>");
    }
    out += text;
}

void MTable::FormatGroup(std::string& out, RowGroup& group, DProps& options)
{
    if (DProps::GetString(options, "format", "") != "html")
        return;
    const std::string type = DProps::GetString(options, "type", "");
    const size_t columns = group.widths.size();
    std::string text;
    if (type == "header" || type == "table") {
        const bool pct = group.attrs.GetInherited("width") == UString("%");
        std::vector<long> shares(group.widths.begin(), group.widths.end());
        if (pct)
            MakePercentages(shares);
        const int rows = RowsPerColumn(group);
        for (int r = 0; r < rows; ++r) {
            text.append("\r\n<tr");
            const UString cls = group.attrs.GetInherited(r % 2 ? "class.row-1" : "class.row-2");
            if (!cls.IsEmpty())
                text.append(Attr("class", cls.GetText()).GetText());
            text.append(">");
            const size_t first = static_cast<size_t>(r) * columns;
            const size_t end = std::min(first + columns, group.cells.size());
            for (size_t k = first; k < end; ++k) {
                const TCell& cell = group.cells[k];
                if (cell.GetAttr("type") == UString("none"))
                    continue;
                text.append("<td");
                for (const char* name : {"class", "rowspan", "colspan"}) {
                    const UString value = cell.GetAttr(name);
                    if (!value.IsEmpty())
                        text.append(Attr(name, value.GetText()).GetText());
                }
                if (cell.GetAttr("halign") == UString("1"))
                    text.append(Attr("align", "center").GetText());
                const size_t column = k - first;
                if (group.widths[column] > 0) {
                    UString width = cell.GetAttr("width");
                    if (width.IsEmpty())
                        width = StrFromLong(pct ? shares[column] : group.widths[column]).c_str();
                    if (pct)
                        width.Append("%");
                    text.append(Attr("width", width.GetText()).GetText());
                }
                if (!cell.GetAttr("color.back").IsEmpty()) {
                    const COLORREF colour =
                        NumParseColor(cell.GetInherited("color.back").GetText(), kWhite);
                    text.append(Attr("bgcolor", ColorToHtml(colour).c_str()).GetText());
                }
                text.append(">");
                if (type == "header")
                    text.append("<b>");
                cell.WriteHtml(text, options);
                if (type == "header")
                    text.append("</b>");
                text.append("</td>");
            }
            text.append("</tr>\r\n");
        }
    } else if (type == "plain") {
        for (const TCell& cell : group.cells)
            cell.WriteHtml(text, options);
    }
    out += text;
}
