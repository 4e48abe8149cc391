#include "support/AppRunner.h"

#include <tlhelp32.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "dialogs/DialogIds.h"
#include "document/DCSSolution.h"
#include "panels/PanelIds.h"
#include "support/CalculationOrders.h"
#include "support/ProgramWindow.h"

#include "support/TestFiles.h"

#ifndef BRAVIK_PROGRAM
#error "BRAVIK_PROGRAM names the executable under test"
#endif

namespace {


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
    // The option lets the tests read the menu (see ReadMenu).
    std::wstring line = L"-" + WideOf(kMenuListingOption);
    if (!arguments.empty())
        line += L" " + arguments;
    if (!CreateProgramProcess(program, line, m_process))
        return false;
    HWND found = nullptr;
    WaitFor([&] {
        found = FindProgramMainWindow(m_process.dwProcessId);
        return found != nullptr || !IsRunning();
    }, 30000);
    m_main = found;
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

bool AppRun::PressToClose(HWND dialog, int id)
{
    Press(dialog, id);
    return WaitFor([&] { return !IsWindow(dialog); });
}

bool AppRun::AnswerFileDialog(const std::string& title, const std::string& path) const
{
    return AnswerFileDialog(title, WideOf(path));
}

bool AppRun::AnswerFileDialog(const std::string& title, const std::wstring& path) const
{
    HWND dialog = WaitForWindow(title);
    if (!dialog)
        return false;
    // The file name box of the system's file dialogs.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name)
        name = GetDlgItem(dialog, 0x480);
    if (!name)
        return false;
    // Wide, so a name the code page cannot write arrives as it is.
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL, 10000,
                            &answer) == 0)
        return false;
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

HWND AppRun::Focus() const
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!m_process.hProcess || !GetGUIThreadInfo(m_process.dwThreadId, &info))
        return nullptr;
    return info.hwndFocus ? info.hwndFocus : info.hwndActive;
}

void AppRun::PressKey(UINT key) const
{
    HWND target = Focus();
    if (!target)
        target = m_main;
    // Repeat count 1 and the scan code; a release also has the previous-
    // state and transition bits (30 and 31) set.
    const UINT down = 1 | ((MapVirtualKeyA(key, 0) & 0xFF) << 16);
    const UINT up = down | 0xC0000000u;
    PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(down));
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(up));
}

HWND AppRun::WaitForWindow(const std::string& title, DWORD ms) const
{
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : Popups())
            if (WindowText(window) == title)
                found = window;
        return found != nullptr;
    }, ms);
    return found;
}

namespace {

struct FindPanelOf {
    std::vector<int> ids;
    HWND found;
};

BOOL CALLBACK FindPanelOfProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<FindPanelOf*>(lParam);
    if (ClassOf(window) != "#32770")
        return TRUE;
    for (int id : f->ids)
        if (!GetDlgItem(window, id))
            return TRUE;
    f->found = window;
    return FALSE;
}

} // namespace

HWND AppRun::Panel(std::initializer_list<int> ids) const
{
    FindPanelOf f = {std::vector<int>(ids), nullptr};
    EnumChildWindows(m_main, FindPanelOfProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

void AppRun::Click(std::initializer_list<int> panelIds, int id) const
{
    HWND panel = Panel(panelIds);
    EXPECT_NE(nullptr, panel) << "no panel holds control " << id;
    if (panel)
        Press(panel, id);
}

ShiftHeld::ShiftHeld(const AppRun& app) : m_thread(app.ThreadId())
{
    m_attached = AttachThreadInput(GetCurrentThreadId(), m_thread, TRUE) != FALSE;
    EXPECT_TRUE(m_attached) << "cannot share the program's input state";
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    state[VK_LSHIFT] = 0x80;
    SetKeyboardState(state);
}

ShiftHeld::~ShiftHeld()
{
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = 0;
    state[VK_LSHIFT] = 0;
    SetKeyboardState(state);
    if (m_attached)
        AttachThreadInput(GetCurrentThreadId(), m_thread, FALSE);
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
    const int editButton = IDC_PROJECT_EDIT;
    const int nameEdit = IDC_NAME_EDIT;
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
    if (!SendBounded(GetDlgItem(dialog, nameEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str())))
        return false;
    Press(dialog, IDOK);
    return WaitFor([&] {
        const std::string title = Title();
        return title.size() >= 2 && title.compare(title.size() - 2, 2, " *") == 0;
    });
}

namespace {

const char* const kListingReceiverClass = "BravikTestMenuListing";

// Takes the program's answer while ReadMenu waits for its request to return.
LRESULT CALLBACK ListingReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* listing = reinterpret_cast<std::string*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!data || !listing || data->dwData != kMenuListingAnswer)
            return FALSE;
        listing->assign(static_cast<const char*>(data->lpData), data->cbData);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

std::vector<std::pair<std::string, std::string>> AppRun::ReadMenu() const
{
    std::vector<std::pair<std::string, std::string>> items;
    static const ATOM receiverClass = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ListingReceiverProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kListingReceiverClass;
        return RegisterClassA(&wc);
    }();
    if (!receiverClass) {
        ADD_FAILURE() << "cannot register the window that receives the menu";
        return items;
    }
    HWND receiver = CreateWindowA(kListingReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!receiver) {
        ADD_FAILURE() << "cannot create the window that receives the menu";
        return items;
    }
    std::string listing;
    SetWindowLongPtrA(receiver, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&listing));
    // Menus belong to their process (under Wine no other process can read
    // them): the program hands its menu over while this request waits,
    // which takes the answer in as it comes.
    COPYDATASTRUCT request = {};
    request.dwData = kMenuListingRequest;
    DWORD_PTR handedOver = 0;
    const bool answered = SendMessageTimeoutA(m_main, WM_COPYDATA, reinterpret_cast<WPARAM>(receiver),
                                              reinterpret_cast<LPARAM>(&request), SMTO_NORMAL, kMenuRequestMs,
                                              &handedOver) != 0;
    DestroyWindow(receiver);
    if (!answered) {
        ADD_FAILURE() << "the program did not answer the request for its menu within " << kMenuRequestMs
                      << " ms";
        return items;
    }
    if (!handedOver) {
        ADD_FAILURE() << "the program did not hand over its menu (it does only when started with -"
                      << kMenuListingOption << ")";
        return items;
    }
    size_t at = 0;
    while (at < listing.size()) {
        size_t end = listing.find('\n', at);
        if (end == std::string::npos)
            end = listing.size();
        const std::string line = listing.substr(at, end - at);
        at = end + 1;
        const size_t bar = line.find('|');
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

std::string ProgramTest::MakeTwoMaterialProject(const std::string& name)
{
    DCSSolution project;
    EXPECT_TRUE(project.New("Hall", "Made by the test", "Steel"));
    SmallOrder(*project.GetProject(0, false));
    EXPECT_TRUE(project.AddMaterial("Oak", "Boards"));
    SmallOrder(*project.GetProject(1, false), true, false);
    project.SetCurrent(0);
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
