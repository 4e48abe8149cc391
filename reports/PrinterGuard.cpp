#include "reports/PrinterGuard.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "appsvc/OXRApp.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "foundation/UPairList.h"

namespace {

constexpr const char* kPattern = "Bravik.printer.*.guard";
constexpr const char* kCrashLine = "\r\ncrashed=1\r\n";

// What the crash filter needs, kept where a crashing process can still reach
// it without allocating: the guard file of the query in flight, if any.
struct CrashMark {
    volatile LONG active = 0;
    char path[2 * MAX_PATH] = {};
};

CrashMark g_mark;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// A crash of the process while a driver is asked marks the query's guard,
// then the crash goes on as it would have.
LONG WINAPI MarkCrash(EXCEPTION_POINTERS* info)
{
    if (InterlockedCompareExchange(&g_mark.active, 0, 0) != 0) {
        HANDLE file = CreateFileA(g_mark.path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, kCrashLine, static_cast<DWORD>(std::strlen(kCrashLine)), &written, nullptr);
            CloseHandle(file);
        }
    }
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashFilter()
{
    static const bool installed = [] {
        g_previousFilter = SetUnhandledExceptionFilter(&MarkCrash);
        return true;
    }();
    (void)installed;
}

// Printers whose query was in flight when an earlier process ended without a
// crash to show for it. Used only under the enumeration lock.
UStringList& Suspects()
{
    static UStringList suspects;
    return suspects;
}

unsigned long long ToNumber(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// When the process began: with its id, it tells the process from a later one
// that was given the same id.
unsigned long long ProcessStart(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return ToNumber(created);
}

// Whether the process that wrote a guard still runs.
bool OwnerRuns(unsigned long processId, unsigned long long started)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT && ProcessStart(process) == started;
    CloseHandle(process);
    return running;
}

void LogWarning(const std::string& text) { App().Log().Write(text.c_str(), nullptr, "WRN >> "); }

} // namespace

UString PrinterQueryGuard::FileOf(const char* folder, unsigned long processId)
{
    UString path;
    PathJoin(path, folder, StrFormatStatic("Bravik.printer.%lu.guard", processId).c_str());
    return path;
}

PrinterQueryGuard::PrinterQueryGuard(const char* folder, const UString& printer) : m_printer(printer)
{
    if (!folder || !*folder)
        return;
    const UString path = FileOf(folder, GetCurrentProcessId());
    SYSTEMTIME now;
    GetLocalTime(&now);
    UPairList guard;
    guard.Set("printer", printer.GetText());
    guard.Set("process", StrFormatStatic("%lu", GetCurrentProcessId()).c_str());
    guard.Set("started", StrFormatStatic("%llu", ProcessStart(GetCurrentProcess())).c_str());
    guard.Set("at", StrFormatStatic("%04u.%02u.%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                                    now.wMinute, now.wSecond)
                        .c_str());
    if (UStringList::Find(printer.GetText(), &Suspects(), false) >= 0)
        guard.Set("earlier", "1");
    if (static_cast<size_t>(path.GetLength()) >= sizeof g_mark.path || !FileSavePairs(path.GetText(), guard)) {
        App().Log().Write("Cannot write the guard of the printer query: ", path.GetText(), "ERR >> ");
        FileDelete(path.GetText(), true);
        return;
    }
    m_path = path;
    InstallCrashFilter();
    std::strcpy(g_mark.path, m_path.GetText());
    InterlockedExchange(&g_mark.active, 1);
}

PrinterQueryGuard::~PrinterQueryGuard()
{
    if (m_path.IsEmpty())
        return;
    InterlockedExchange(&g_mark.active, 0);
    FileDelete(m_path.GetText(), true);
}

void PrinterQueryGuard::Answered()
{
    const long at = UStringList::Find(m_printer.GetText(), &Suspects(), false);
    if (at >= 0)
        UStringList::RemoveAt(&Suspects(), at);
}

bool PrinterQueryGuard::Review(const char* folder, UStringList& excluded)
{
    if (!folder || !*folder)
        return false;
    UStringList files;
    PathListFiles(folder, kPattern, files, false);
    bool changed = false;
    for (const UString& file : files) {
        UPairList guard;
        FileLoadPairs(file.GetText(), guard);
        const unsigned long processId = std::strtoul(guard.Get("process").GetText(), nullptr, 10);
        const unsigned long long started = std::strtoull(guard.Get("started").GetText(), nullptr, 10);
        // This process's own guard among them, too, is the guard of a
        // running process; an ended one that had the same id is not.
        if (OwnerRuns(processId, started))
            continue;
        // Of two instances that start together, the one that takes the file
        // away acts on it.
        if (!DeleteFileA(file.GetText()))
            continue;
        const UString printer = guard.Get("printer");
        if (!printer.HasText(true))
            continue;
        const bool crashed = guard.Get("crashed") == UString("1");
        const bool again = guard.Get("earlier") == UString("1");
        if (!crashed && !again) {
            LogWarning(StrFormatStatic("The program ended while printer %s was being queried: it is queried again",
                                       printer.GetText()));
            if (UStringList::Find(printer.GetText(), &Suspects(), false) < 0)
                Suspects().push_back(printer);
            continue;
        }
        LogWarning(StrFormatStatic(crashed ? "Printer %s brought the program down while it was being queried: "
                                             "it is excluded"
                                           : "The program ended twice while printer %s was being queried: "
                                             "it is excluded",
                                   printer.GetText()));
        if (UStringList::Find(printer.GetText(), &excluded, false) < 0) {
            excluded.push_back(printer);
            changed = true;
        }
    }
    return changed;
}
