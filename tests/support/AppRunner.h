// Runs the real program in its own process and drives it as a user would:
// window messages to its main window, keys, answers to its message boxes
// and file dialogs; reads back window texts, menus, files and exit codes.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "app/MenuListing.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Polls the condition every 20 ms for at most ms; true once it holds.
inline bool WaitFor(const std::function<bool()>& condition, DWORD ms = 20000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        Sleep(20);
    }
}

// A message to a window of the program under test, which may hang: true
// when it was handled within ms, with its result in *result when given.
inline bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD ms = 10000,
                        DWORD_PTR* result = nullptr)
{
    DWORD_PTR answer = 0;
    const bool handled =
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, ms, &answer) != 0;
    if (result)
        *result = answer;
    return handled;
}

inline std::string WindowText(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

inline std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// The program's data folder, as the program itself finds it.
inline std::string DataFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return std::string(path) + "\\KORVA\\Bravik";
}

inline std::string ProgramTempFolder()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\')
        base.pop_back();
    return base + "\\KORVA\\Bravik";
}

// A path of the build machine as the programs under Wine see it.
std::string WindowsPath(const char* buildPath);
// The executable under test.
std::string ProgramPath();
// A text of the code page in wide form.
std::wstring WideOf(const std::string& text);

class AppRun {
public:
    AppRun() = default;
    ~AppRun() { Kill(); }
    AppRun(const AppRun&) = delete;
    AppRun& operator=(const AppRun&) = delete;

    // Starts the program with the arguments (and the option that lets
    // ReadMenu work) and waits until its main window shows. False when it
    // did not.
    bool Start(const std::string& arguments = std::string());
    // The same with wide arguments: names the code page cannot write.
    bool StartWide(const std::wstring& arguments);
    // The same for a copy of the program at another place.
    bool StartProgram(const std::string& program, const std::string& arguments);
    bool StartProgramWide(const std::wstring& program, const std::wstring& arguments);
    // Starts the program without waiting for a window (a script shows none).
    bool Launch(const std::string& arguments);
    // The exit code once the process has ended within ms; STILL_ACTIVE otherwise.
    DWORD WaitExit(DWORD ms = 20000);
    bool IsRunning() const;
    void Kill();

    HWND Main() const { return m_main; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    std::string Title() const { return WindowText(m_main); }
    // A menu command, posted as the menu posts it.
    void Command(UINT id) { PostMessageA(m_main, WM_COMMAND, id, 0); }

    // The visible top-level windows of the program other than the main window.
    std::vector<HWND> Popups() const;
    // A message box of the program whose text contains part; null when
    // none shows within ms.
    HWND WaitForBox(const std::string& part, DWORD ms = 20000) const;
    static std::string BoxText(HWND box);
    // Presses a button of a dialog or message box as a click does.
    static void Press(HWND dialog, int id);
    // Presses the button and waits until the dialog or box it closes is gone.
    static bool PressToClose(HWND dialog, int id);
    // Fills a file dialog titled title with the path and confirms it,
    // answering Yes when it asks whether to replace a file.
    bool AnswerFileDialog(const std::string& title, const std::string& path) const;
    bool AnswerFileDialog(const std::string& title, const std::wstring& path) const;

    // The program's window with the keyboard focus (its active window when
    // no control has it); null when it has none.
    HWND Focus() const;
    // One press of the key as a user gives it: down and up posted to the
    // window with the focus. Whatever the key does happens after the call
    // returns: wait for it.
    void PressKey(UINT key) const;
    // A visible window of the program titled title; null when none shows
    // within ms.
    HWND WaitForWindow(const std::string& title, DWORD ms = 20000) const;
    // The page or panel of the main window holding every one of the
    // controls; null when none does.
    HWND Panel(std::initializer_list<int> ids) const;
    // Presses a button of a page or panel as a click does.
    void Click(std::initializer_list<int> panelIds, int id) const;
    DWORD ThreadId() const { return m_process.dwThreadId; }

    // Renames the project in its dialog from the project panel, the user's
    // way of changing a project. False when the title did not come to end
    // in " *".
    bool RenameProject(const std::string& name) const;

    // How long ReadMenu waits for the program to hand over its menu.
    static constexpr DWORD kMenuRequestMs = 10000;

    // The main window's menu, as the program hands it over: one entry per
    // item in order, keyed by its position path ("0" the File menu, "0.8"
    // its ninth item), as "id|text" ("-" for a separator; " >" after a
    // pop-up's text, " (grayed)" after a grayed item's).
    std::vector<std::pair<std::string, std::string>> ReadMenu() const;
    // The texts of the items right under the position path ("" the menu bar).
    std::vector<std::string> MenuTexts(const std::string& path) const;
    // The command id of the item at the position path; 0 when none.
    UINT MenuId(const std::string& path) const;

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
};

// Shift held down for the program's thread while it lives, as the dialog
// manager reads it for Shift+Tab: this thread shares the program's input
// state for that time.
class ShiftHeld {
public:
    explicit ShiftHeld(const AppRun& app);
    ~ShiftHeld();
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;

private:
    DWORD m_thread;
    bool m_attached = false;
};

// A fresh data folder and temporary folder for every test, and a folder of
// the test's own for the project files it makes.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return m_files + "\\" + name; }
    std::string DataPath(const std::string& name) const { return DataFolder() + "\\" + name; }
    // A small project made by the document's own writer.
    std::string MakeProject(const std::string& name);
    // A project of two materials: Steel with stock and parts, Oak with parts
    // and no stock, so that it has warnings to list.
    std::string MakeTwoMaterialProject(const std::string& name);
    // The properties file as key/value lines.
    std::string Setting(const std::string& key) const;

    std::string m_files;
};
