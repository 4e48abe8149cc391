#include "controls/ICList.h"

#include "controls/ICHint.h"
#include "controls/WinUtil.h"
#include "foundation/StrUtil.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr int kCellTextMax = 1024;

} // namespace

ICList::ICList(HWND window)
{
    if (window && IsWindow(window))
        Attach(window, 0, false);
}

ICList::~ICList()
{
    Detach();
}

bool ICList::Attach(HWND window, long group, bool keepSize)
{
    if (!ICControl::Attach(window, group, keepSize))
        return false;
    SetWindowTextW(window, L"");
    return true;
}

void ICList::Detach()
{
    Clear();
}

bool ICList::DrawForeground(HDC, const RECT*)
{
    return false;
}

bool ICList::DrawBackground(HDC, const RECT*)
{
    return true;
}

void ICList::Clear()
{
    m_attributes.clear();
    m_columnCount = 0;
    m_rowCount = 0;
}

void ICList::DeleteAllItems()
{
    if (HasWindow())
        SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0);
}

void ICList::DeleteAllRows()
{
    DeleteAllItems();
    for (auto it = m_attributes.begin(); it != m_attributes.end();) {
        if (it->first.first != 0)
            it = m_attributes.erase(it);
        else
            ++it;
    }
    m_rowCount = 0;
}

long ICList::SelectRow(long row)
{
    if (!HasWindow())
        return -1;
    return ListSelect(m_hWnd, row, -1, 1);
}

bool ICList::InsertColumn(long width, const char* title, const DProps* bag)
{
    if (!HasWindow() || width < 1 || !title)
        return false;
    ListInsertColumn(m_hWnd, m_columnCount, width, title);
    if (bag)
        m_attributes[std::make_pair(0L, m_columnCount)] = *bag;
    ++m_columnCount;
    return true;
}

bool ICList::WriteCell(long row, long column, const char* text, const DProps* bag, long idRequest)
{
    if (!HasWindow())
        return false;
    const long id = ListSetItem(m_hWnd, row, column, text ? text : "", idRequest);
    if ((!text || !*text) && SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0) > row) {
        // An empty text is written all the same: some list views cannot
        // read back a cell that never had a text and fail on it.
        LVITEMW empty = {};
        empty.iSubItem = column;
        empty.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(m_hWnd, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&empty));
    }
    if (id == 0)
        return false;
    if (bag)
        m_attributes[std::make_pair(id, column)] = *bag;
    if (row >= m_rowCount)
        m_rowCount = row + 1;
    return true;
}

bool ICList::SetCell(long row, long column, const char* text, const DProps* bag)
{
    return WriteCell(row, column, text, bag, 0);
}

bool ICList::SetCellNoId(long row, long column, const char* text, const DProps* bag)
{
    return WriteCell(row, column, text, bag, -1);
}

const DProps* ICList::FindBag(long rowId, long column) const
{
    auto found = m_attributes.find(std::make_pair(rowId, column));
    return found == m_attributes.end() ? nullptr : &found->second;
}

bool ICList::ReadCell(long row, long column, std::string* text, long* rowId)
{
    if (!HasWindow())
        return false;
    std::vector<char> buffer(kCellTextMax + 1, '\0');
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.pszText = buffer.data();
    item.cchTextMax = kCellTextMax;
    if (!ListGetItem(column, m_hWnd, row, &item))
        return false;
    if (text)
        *text = buffer.data();
    if (rowId)
        *rowId = static_cast<long>(item.lParam);
    return true;
}

bool ICList::GetCell(long row, long column, std::string* text, DProps* bag)
{
    long id = 0;
    if (!ReadCell(row, column, text, &id))
        return false;
    if (bag) {
        if (const DProps* found = FindBag(id, column))
            *bag = *found;
    }
    return true;
}

long ICList::GetRowId(long row)
{
    if (!HasWindow() || row < 0)
        return 0;
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return static_cast<long>(item.lParam);
}

bool ICList::IsRowChecked(long row)
{
    if (!HasWindow())
        return false;
    const LRESULT state = SendMessageW(m_hWnd, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

int ICList::GetCellAttribute(long row, long column, const char* key, std::string* value)
{
    if (!key || row < 0 || row >= m_rowCount || column < 0 || column >= m_columnCount)
        return 0;
    long id = 0;
    if (!ReadCell(row, column, nullptr, &id))
        return 0;
    const DProps* cell = FindBag(id, column);
    if (cell && cell->IndexOf(key) >= 0) {
        if (value)
            *value = DProps::GetString(cell, key, "");
        return 1;
    }
    const DProps* columnBag = FindBag(0, column);
    if (columnBag && columnBag->IndexOf(key) >= 0) {
        if (value)
            *value = DProps::GetString(columnBag, key, "");
        return 2;
    }
    return 0;
}

std::string ICList::GetColumnAttribute(long column, const char* key)
{
    const DProps* bag = FindBag(0, column);
    return bag && key ? DProps::GetString(bag, key, "") : std::string();
}

std::string ICList::GetRowAttribute(long row, const char* key)
{
    if (!key)
        return std::string();
    const long id = GetRowId(row);
    // Id 0 is where the column bags live; a row without id has no bag.
    const DProps* bag = id != 0 ? FindBag(id, 0) : nullptr;
    return bag ? DProps::GetString(bag, key, "") : std::string();
}

long ICList::FindRow(const char* key, const char* value, bool ignoreCase)
{
    if (!HasWindow() || !key)
        return -1;
    const long count = static_cast<long>(SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
    for (long row = 0; row < count; ++row) {
        if (StrEqual(GetRowAttribute(row, key), value ? value : "", ignoreCase))
            return row;
    }
    return -1;
}

std::pair<long, long> ICList::SubItemHitTest(long x, long y)
{
    if (!HasWindow())
        return std::make_pair(-1L, -1L);
    LVHITTESTINFO info = {};
    info.pt.x = x;
    info.pt.y = y;
    if (SendMessageW(m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)) == -1)
        return std::make_pair(-1L, -1L);
    return std::make_pair(static_cast<long>(info.iItem), static_cast<long>(info.iSubItem));
}

LRESULT ICList::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const UINT hintMessage = ICHint::GetHintMessage();
    if (hintMessage && message == hintMessage) {
        ICHintInfo* record = reinterpret_cast<ICHintInfo*>(lParam);
        if (!record)
            return 0;
        LVHITTESTINFO info = {};
        info.pt = record->point;
        CallPrevious(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
        const std::pair<long, long> cell = SubItemHitTest(record->point.x, record->point.y);
        std::string hint;
        if (cell.first >= 0 && cell.second >= 0) {
            GetCellAttribute(cell.first, cell.second, "hint", &hint);
            if (hint.empty())
                hint = GetColumnAttribute(cell.second, "hint");
        }
        // List hints are shown whole: a cell may hold a long description.
        record->data.Set("head", "");
        record->data.Set("text", hint.c_str());
        return hint.empty() ? 0 : 1;
    }
    switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case LVM_HITTEST:
        return CallPrevious(window, message, wParam, lParam);
    case WM_GETDLGCODE: {
        LRESULT code = CallPrevious(window, message, wParam, lParam);
        const MSG* asked = reinterpret_cast<const MSG*>(lParam);
        if (m_enterNotifies && asked && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (m_enterNotifies && wParam == VK_RETURN) {
            NMHDR header = {};
            header.hwndFrom = window;
            header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
            header.code = NM_RETURN;
            SendMessageW(GetParent(window), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
            return 0;
        }
        return CallPrevious(window, message, wParam, lParam);
    case WM_CHAR:
        // The Enter's character is no type-ahead.
        if (m_enterNotifies && wParam == VK_RETURN)
            return 0;
        return CallPrevious(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: {
        const std::pair<long, long> cell =
            SubItemHitTest(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        m_clickedRow = cell.first;
        m_clickedColumn = cell.second;
        return CallPrevious(window, message, wParam, lParam);
    }
    case LVM_SUBITEMHITTEST: {
        const LRESULT found = CallPrevious(window, message, wParam, lParam);
        LVHITTESTINFO* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (found == -1 || !info)
            return -1;
        RECT cell = {};
        cell.top = info->iSubItem;
        cell.left = LVIR_BOUNDS;
        if (!CallPrevious(window, LVM_GETSUBITEMRECT, info->iItem, reinterpret_cast<LPARAM>(&cell)))
            return -1;
        const bool inside = info->pt.x >= cell.left && info->pt.x <= cell.right && info->pt.y >= cell.top &&
                            info->pt.y <= cell.bottom;
        return inside ? 4 : -1;
    }
    default:
        return ICControl::WindowProc(window, message, wParam, lParam);
    }
}
