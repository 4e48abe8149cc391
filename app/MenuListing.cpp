#include "app/MenuListing.h"

namespace {

void ListItems(HMENU menu, const std::string& path, std::string& out)
{
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const std::string here = path.empty() ? std::to_string(i) : path + "." + std::to_string(i);
        char text[512] = "";
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE | MIIM_ID;
        item.dwTypeData = text;
        item.cch = sizeof(text);
        if (!::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) {
            out += here + "|0|?\n";
            continue;
        }
        std::string shown = text;
        if (item.hSubMenu)
            shown += " >";
        if (item.fState & MFS_GRAYED)
            shown += " (grayed)";
        if (item.fType & MFT_SEPARATOR)
            shown = "-";
        out += here + "|" + std::to_string(item.hSubMenu ? 0u : item.wID) + "|" + shown + "\n";
        if (item.hSubMenu)
            ListItems(item.hSubMenu, here, out);
    }
}

} // namespace

std::string MenuListing(HMENU menu)
{
    std::string out;
    if (menu)
        ListItems(menu, std::string(), out);
    return out;
}
