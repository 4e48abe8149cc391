// A native report-style list view of a dialog or panel, painted by the list
// view itself, with a property bag per column and per cell (a hover "hint"
// or any key the owner keeps beside a cell), stable row ids stored as item
// data, row and column bookkeeping and the last clicked cell.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "controls/ICControl.h"
#include "foundation/DProps.h"

class ICList : public ICControl {
public:
    explicit ICList(HWND window);
    ~ICList() override;

    // Base attach, then the window text cleared.
    bool Attach(HWND window, long group, bool keepSize) override;
    // Forgets the attribute bags (the window stays wrapped).
    void Detach() override;
    // The list view paints itself.
    bool DrawForeground(HDC dc, const RECT* dirty) override;
    bool DrawBackground(HDC dc, const RECT* dirty) override;
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Forgets every bag; the counts become 0. The list view keeps its rows.
    void Clear();
    // Removes the list view's rows (the bags stay until Clear).
    void DeleteAllItems();
    // Removes the rows and their cells' bags; the columns and their bags
    // stay. A list refilled again and again keeps no bags of rows gone.
    void DeleteAllRows();
    // Selects, focuses and shows the row alone; the row or -1.
    long SelectRow(long row);
    // Appends a column; the bag, when given, becomes the column's. False
    // without window, with a width below 1 or without title.
    bool InsertColumn(long width, const char* title, const DProps* bag);
    // Writes a cell; column 0 of a new row gives it a fresh unique id. The
    // bag, when given, becomes the cell's. False when the row has no id.
    bool SetCell(long row, long column, const char* text, const DProps* bag);
    // The same, but a new row gets no id: the text is written, yet without
    // an id the call reports false and keeps no bag.
    bool SetCellNoId(long row, long column, const char* text, const DProps* bag);
    // The cell's text and, when asked, a copy of its bag.
    bool GetCell(long row, long column, std::string* text, DProps* bag);
    // The row's check box is checked (state image 2).
    bool IsRowChecked(long row);
    // 1: the cell's own bag holds the key, 2: the column's does (value
    // from there); 0: neither, or the cell lies outside the counted cells.
    int GetCellAttribute(long row, long column, const char* key, std::string* value);
    std::string GetColumnAttribute(long column, const char* key);
    // From the bag of the row's first cell only.
    std::string GetRowAttribute(long row, const char* key);
    // The first row whose row attribute key equals value; -1 for none.
    long FindRow(const char* key, const char* value, bool ignoreCase);
    // (row, column) of the cell at the point, (-1, -1) for none.
    std::pair<long, long> SubItemHitTest(long x, long y);

    long GetClickedRow() const { return m_clickedRow; }
    long GetClickedColumn() const { return m_clickedColumn; }
    long GetColumnCount() const { return m_columnCount; }
    long GetRowCount() const { return m_rowCount; }
    // The row's id (its item data), 0 for none.
    long GetRowId(long row);
    DProps& GetListStyle() { return m_listStyle; }
    // With Enter on: Enter pressed in the list is the list's own (the owner
    // hears NM_RETURN) instead of pressing the dialog's default button.
    void SetEnterNotifies(bool on) { m_enterNotifies = on; }

protected:
    // The cell's text and its row's id, as the list view has them.
    bool ReadCell(long row, long column, std::string* text, long* rowId);
    bool WriteCell(long row, long column, const char* text, const DProps* bag, long idRequest);
    // The bag under (row id, column), null when none.
    const DProps* FindBag(long rowId, long column) const;

    DProps m_listStyle;
    long m_clickedRow = -1;
    long m_clickedColumn = -1;
    // Cell bags under (row id, column); column bags under row id 0.
    std::map<std::pair<long, long>, DProps> m_attributes;
    long m_columnCount = 0;
    long m_rowCount = 0;
    bool m_enterNotifies = false;
};
