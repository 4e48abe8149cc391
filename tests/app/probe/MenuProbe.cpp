// Loaded into the running program by the program's tests: menus cannot be
// read from another process, so this reads the main window's menu from
// inside and writes it to "bravik_menu_probe.txt" in the temporary folder,
// one line per item: position path ("0.8.1"), "|", command id, "|", text
// (" >" after a pop-up's text, " (grayed)" after a grayed item's).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE g_module = nullptr;

BOOL CALLBACK FindMain(HWND window, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && GetMenu(window) &&
        strncmp(title, "KORVA Bravik", 12) == 0) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

void Walk(HMENU menu, const std::string& path, std::string& out)
{
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char buffer[512] = "";
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU | MIIM_STATE | MIIM_ID;
        item.dwTypeData = buffer;
        item.cch = sizeof(buffer);
        const std::string here = path.empty() ? std::to_string(i) : path + "." + std::to_string(i);
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) {
            out += here + "|0|?\n";
            continue;
        }
        std::string text = buffer;
        if (item.hSubMenu)
            text += " >";
        if (item.fState & MFS_GRAYED)
            text += " (grayed)";
        if (item.fType & MFT_SEPARATOR)
            text = "-";
        out += here + "|" + std::to_string(item.hSubMenu ? 0u : item.wID) + "|" + text + "\n";
        if (item.hSubMenu)
            Walk(item.hSubMenu, here, out);
    }
}

DWORD WINAPI Probe(LPVOID)
{
    HWND main = nullptr;
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
    std::string out;
    if (main)
        Walk(GetMenu(main), std::string(), out);
    else
        out = "no main window\n";
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string part = std::string(temp) + "bravik_menu_probe.part";
    const std::string done = std::string(temp) + "bravik_menu_probe.txt";
    if (FILE* file = fopen(part.c_str(), "wb")) {
        fwrite(out.data(), 1, out.size(), file);
        fclose(file);
        MoveFileExA(part.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    FreeLibraryAndExitThread(g_module, 0);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        // The probe runs once the loader has finished with this library.
        HANDLE thread = CreateThread(nullptr, 0, Probe, nullptr, 0, nullptr);
        if (thread)
            CloseHandle(thread);
    }
    return TRUE;
}
