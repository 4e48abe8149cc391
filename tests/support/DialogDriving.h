// Driving a dialog as a user would, by messages, and reading its controls
// back: clicks, typed text, enable states and the cells of a report list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// BN_CLICKED from the button, as a click sends it.
inline void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// As a user types: the whole text of the edit replaced by the new one, with
// the change notification a typed text gives.
inline void TypeText(HWND dialog, int id, const char* text)
{
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

inline std::string WindowText(HWND dialog, int id)
{
    HWND window = id ? GetDlgItem(dialog, id) : dialog;
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

inline bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

inline long ListRows(HWND dialog, int list)
{
    return static_cast<long>(SendDlgItemMessageA(dialog, list, LVM_GETITEMCOUNT, 0, 0));
}

inline std::string ListCell(HWND dialog, int list, long row, long column)
{
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendDlgItemMessageA(dialog, list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}
