#include "AppRunner.h"

#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "document/DCSSolution.h"

#include "../foundation/TestFiles.h"

#ifndef BRAVIK_PROGRAM
#error "BRAVIK_PROGRAM names the executable under test"
#endif

namespace {

struct FindMain {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<FindMain*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == f->pid && IsWindowVisible(window) && GetMenu(window) &&
        WindowText(window).rfind("KORVA Bravik", 0) == 0) {
        f->found = window;
        return FALSE;
    }
    return TRUE;
}

struct FindPopups {
    DWORD pid;
    HWND main;
    std::vector<HWND> found;
};

BOOL CALLBACK FindPopupsProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<FindPopups*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == f->pid && window != f->main && IsWindowVisible(window))
        f->found.push_back(window);
    return TRUE;
}

} // namespace

// A path of the build machine as the program sees it: Wine's drive Z: is
// the root of the build machine.
std::string WindowsPath(const char* buildPath)
{
    std::string path = buildPath;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

std::string ProgramPath()
{
    return WindowsPath(BRAVIK_PROGRAM);
}

bool AppRun::Start(const std::string& arguments)
{
    return StartProgram(ProgramPath(), arguments);
}

bool AppRun::StartWide(const std::wstring& arguments)
{
    return StartProgramWide(WideOf(ProgramPath()), arguments);
}

std::wstring WideOf(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    const int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(count > 0 ? static_cast<size_t>(count - 1) : 0);
    return wide;
}

namespace {

// The command line goes to the program as it is, in wide text, so that it
// may hold names the code page cannot write.
bool CreateProgramProcess(const std::wstring& program, const std::wstring& arguments,
                          PROCESS_INFORMATION& process)
{
    std::wstring command = L"\"" + program + L"\"";
    if (!arguments.empty())
        command += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != FALSE;
}

} // namespace

bool AppRun::Launch(const std::string& arguments)
{
    return CreateProgramProcess(WideOf(ProgramPath()), WideOf(arguments), m_process);
}

bool AppRun::StartProgram(const std::string& program, const std::string& arguments)
{
    return StartProgramWide(WideOf(program), WideOf(arguments));
}

bool AppRun::StartProgramWide(const std::wstring& program, const std::wstring& arguments)
{
    if (!CreateProgramProcess(program, arguments, m_process))
        return false;
    FindMain f = {m_process.dwProcessId, nullptr};
    WaitFor([&] {
        EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&f));
        return f.found != nullptr || !IsRunning();
    }, 30000);
    m_main = f.found;
    return m_main != nullptr;
}

bool AppRun::IsRunning() const
{
    return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD AppRun::WaitExit(DWORD ms)
{
    if (!m_process.hProcess)
        return STILL_ACTIVE;
    WaitForSingleObject(m_process.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

void AppRun::Kill()
{
    if (!m_process.hProcess)
        return;
    if (IsRunning()) {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 10000);
    }
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
    m_process = PROCESS_INFORMATION{};
    m_main = nullptr;
}

std::vector<HWND> AppRun::Popups() const
{
    FindPopups f = {m_process.dwProcessId, m_main, {}};
    EnumWindows(FindPopupsProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::string AppRun::BoxText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}

HWND AppRun::WaitForBox(const std::string& part, DWORD ms) const
{
    HWND box = nullptr;
    WaitFor([&] {
        for (HWND window : Popups()) {
            if (ClassOf(window) == "#32770" && BoxText(window).find(part) != std::string::npos) {
                box = window;
                return true;
            }
        }
        return false;
    }, ms);
    return box;
}

void AppRun::Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool AppRun::AnswerFileDialog(const std::string& title, const std::string& path) const
{
    return AnswerFileDialog(title, WideOf(path));
}

bool AppRun::AnswerFileDialog(const std::string& title, const std::wstring& path) const
{
    HWND dialog = nullptr;
    WaitFor([&] {
        for (HWND window : Popups())
            if (WindowText(window) == title)
                dialog = window;
        return dialog != nullptr;
    });
    if (!dialog)
        return false;
    // The file name box of the system's file dialogs.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name)
        name = GetDlgItem(dialog, 0x480);
    if (!name)
        return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Press(dialog, IDOK);
    // A file that exists makes the dialog ask whether to replace it.
    WaitFor([&] {
        if (!IsWindow(dialog) || !IsWindowVisible(dialog))
            return true;
        for (HWND window : Popups()) {
            if (window != dialog && ClassOf(window) == "#32770" && GetDlgItem(window, IDYES)) {
                Press(window, IDYES);
                return false;
            }
        }
        return false;
    });
    return !IsWindow(dialog) || !IsWindowVisible(dialog);
}

namespace {

struct FindPanel {
    int controlId;
    HWND found;
};

BOOL CALLBACK FindPanelProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<FindPanel*>(lParam);
    if (GetDlgItem(window, f->controlId) && ClassOf(window) == "#32770") {
        f->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool AppRun::RenameProject(const std::string& name) const
{
    const int editButton = 1157;
    const int nameEdit = 1087;
    FindPanel panel = {editButton, nullptr};
    EnumChildWindows(m_main, FindPanelProc, reinterpret_cast<LPARAM>(&panel));
    if (!panel.found)
        return false;
    PostMessageA(panel.found, WM_COMMAND, MAKEWPARAM(editButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(panel.found, editButton)));
    HWND dialog = nullptr;
    WaitFor([&] {
        for (HWND window : Popups())
            if (ClassOf(window) == "#32770" && GetDlgItem(window, nameEdit))
                dialog = window;
        return dialog != nullptr;
    });
    if (!dialog)
        return false;
    SendMessageA(GetDlgItem(dialog, nameEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    Press(dialog, IDOK);
    return WaitFor([&] {
        const std::string title = Title();
        return title.size() >= 2 && title.compare(title.size() - 2, 2, " *") == 0;
    });
}

std::vector<std::pair<std::string, std::string>> AppRun::ReadMenu() const
{
    std::vector<std::pair<std::string, std::string>> items;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string result = std::string(temp) + "bravik_menu_probe.txt";
    DeleteFileA(result.c_str());
    // Menus belong to their process: the probe library reads them from inside.
    const std::string probe = WindowsPath(BRAVIK_MENU_PROBE);
    void* remote = VirtualAllocEx(m_process.hProcess, nullptr, probe.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (!remote)
        return items;
    WriteProcessMemory(m_process.hProcess, remote, probe.c_str(), probe.size() + 1, nullptr);
    auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
    HANDLE thread = CreateRemoteThread(m_process.hProcess, nullptr, 0, load, remote, 0, nullptr);
    if (thread) {
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
    }
    WaitFor([&] { return GetFileAttributesA(result.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    VirtualFreeEx(m_process.hProcess, remote, 0, MEM_RELEASE);
    std::ifstream file(result);
    std::string line;
    while (std::getline(file, line)) {
        size_t bar = line.find('|');
        if (bar != std::string::npos)
            items.emplace_back(line.substr(0, bar), line.substr(bar + 1));
    }
    return items;
}

std::vector<std::string> AppRun::MenuTexts(const std::string& path) const
{
    std::vector<std::string> texts;
    const std::string prefix = path.empty() ? std::string() : path + ".";
    for (const auto& item : ReadMenu()) {
        if (item.first.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (item.first.find('.', prefix.size()) != std::string::npos)
            continue;
        texts.push_back(item.second.substr(item.second.find('|') + 1));
    }
    return texts;
}

UINT AppRun::MenuId(const std::string& path) const
{
    for (const auto& item : ReadMenu())
        if (item.first == path)
            return static_cast<UINT>(std::stoul(item.second.substr(0, item.second.find('|'))));
    return 0;
}

// ---- Fixture -------------------------------------------------------------------------------

void ProgramTest::SetUp()
{
    // A run that ended early may have left the program running, holding its files.
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "Bravik.exe") != 0)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    RemoveTree(DataFolder());
    RemoveTree(ProgramTempFolder());
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    m_files = std::string(temp) + "bravik_app_test";
    RemoveTree(m_files);
    ASSERT_TRUE(CreateDirectoryA(m_files.c_str(), nullptr));
}

void ProgramTest::TearDown()
{
    RemoveTree(m_files);
}

std::string ProgramTest::MakeProject(const std::string& name)
{
    DCSSolution project;
    EXPECT_TRUE(project.New("Test project", "Made by the test", "Steel"));
    std::string path = Path(name);
    EXPECT_TRUE(project.Save(path.c_str()));
    return path;
}

std::string ProgramTest::Setting(const std::string& key) const
{
    std::ifstream file(DataPath("Bravik.properties"));
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return "<missing>";
}
