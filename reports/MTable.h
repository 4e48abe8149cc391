// The one table behind every report table: a title cell, then header, data
// and note cells in fixed columns. It measures and draws itself into a UDraw
// (backgrounds, frames and rules included) or writes itself as HTML; it knows
// nothing of materials or reports. A painter builds one for one table on one
// page: LoadStyle, SetBaseCell, AddHeader..., AddRow..., AddNote..., then
// Draw or Format.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/UDraw.h"
#include "foundation/DProps.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"
#include "reports/TCell.h"

class MTable {
public:
    // One group of cells, row-major: with n columns cell k is in row k / n and
    // column k mod n. A spanning cell is followed by placeholders (type
    // "none") for the columns it covers, so every row holds n cells.
    struct RowGroup {
        std::vector<TCell> cells;
        // right = group width (columns and the spacing between them),
        // bottom = measured height.
        RECT rect = {0, 0, 0, 0};
        std::vector<int> widths;
        // Parent: the table's style list.
        UPairList attrs;
        HFONT font = nullptr;
        RECT drawn = {0, 0, 0, 0};
        int spacing = 0;
        int thinLine = 1;
    };

    MTable();
    virtual ~MTable();
    // The cells point at the table's own style list.
    MTable(const MTable&) = delete;
    MTable& operator=(const MTable&) = delete;

    // Resets and styles the table: defaults for the colour or mono scheme
    // scaled by the overrides' "scale", then the overrides themselves, then
    // the column widths ("500,200,300"; the first piece that reads as no
    // width ends the list). True when there is at least one column.
    virtual bool LoadStyle(const UPairList& overrides, const char* widths, HFONT font);
    // Appends the table (title, header, data, notes) as HTML when the
    // options' "format" is "html"; the options keep the last "tag" and "type".
    virtual void Format(std::string& out, DProps& options);
    // Lays the cells out; the table rectangle gets the whole size.
    virtual void Measure(UDraw* ctx);
    // Draws the table with its top-left at (x, y). True means that it does
    // not fit below y on the page and nothing was drawn (unless force).
    virtual bool Draw(UDraw* ctx, int x, int y, RECT* out, bool force);

    void SetBaseCell(const TCell& cell);
    // span 0: one column; n > 0: n columns (at most to the end of the row);
    // -1: the rest of the row.
    MTable& AddHeader(int span, const TCell& cell);
    MTable& AddRow(int span, const TCell& cell);
    MTable& AddNote(int span, const TCell& cell);
    // Drops the data cells so the next page's rows can be filled; header,
    // notes and title stay.
    void ClearRows();
    // Draws one group at (x, y); painters draw the header this way when a
    // table goes on over a page.
    void DrawGrid(int y, UDraw* ctx, RowGroup& group, int x, RECT* out);
    // Rows of the group (cells over columns, rounded up); 0 without either.
    int RowsPerColumn(const RowGroup& group) const;

    RowGroup& Header() { return m_header; }
    RowGroup& Data() { return m_data; }
    RowGroup& Notes() { return m_notes; }
    const TCell& BaseCell() const { return m_base; }
    const RECT& GetRect() const { return m_rect; }
    const UPairList& Style() const { return m_style; }
    // Painters mark a styled table for HTML ("class", "width").
    UPairList& Style() { return m_style; }
    bool HasColumns() const { return m_hasColumns; }
    int ColumnCount() const { return static_cast<int>(m_widths.size()); }

private:
    void SetColumns(RowGroup& group);
    void AddCell(RowGroup& group, const char* kind, int span, const TCell& cell);
    bool MeasureGroup(RowGroup& group, UDraw* ctx);
    RECT MeasureRow(RowGroup& group, UDraw* ctx, int row, int y);
    void DrawRow(RowGroup& group, UDraw* ctx, int x, int y, int row);
    void FormatGroup(std::string& out, RowGroup& group, DProps& options);
    int StyleInt(const char* key) const;

    TCell m_base;
    RowGroup m_header;
    RowGroup m_data;
    RowGroup m_notes;
    RECT m_rect = {0, 0, 0, 0};
    UPairList m_style;
    HFONT m_font = nullptr;
    bool m_hasColumns = false;
    std::vector<int> m_widths;
    // The sum of the column widths: the width of a table not yet measured.
    int m_columnsWidth = 0;
};
