// Import benchmark: how long the real program takes to import delimited part
// rows, timed from outside, and how the time grows with the number of rows.
// A console program, never shipped and never run by the tests.
//
// Two roads are timed (--via=script,window; the script alone unless told):
//  - script: an automation script runs "material.parts.import"; a run of a
//    script that only adds the material gives each program's start-up,
//    which the "import" column leaves out;
//  - window: the program opens a project of one material without rows, and
//    the rows go in as a user brings them: Import Parts on the source data
//    page, Clipboard in the import dialog, OK. The time runs from the click
//    on Import Parts until the page lists every row and the window answers
//    again; "dialog" is the part until the dialog's result list shows every
//    record, "page" the rest.
//
// Each program given is run on the same generated rows, one after the other
// for each size, so two builds (scripts/bench-compare) are timed side by
// side on the same machine in one run. A program that runs past the
// time-out is not run on larger sizes.
//
// With --save each program also saves the project in a script run that is
// not timed, and the saved files of the programs are compared byte for byte,
// the random row uids and the time stamps aside.
//
//   bravik_import_bench --program=LABEL=PATH [--program=LABEL=PATH ...]
//                       [--rows=N,N,...] [--via=script,window] [--timeout=SECONDS]
//                       [--save] [--folder=PATH]
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "BenchOptions.h"
#include "foundation/Helper.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string label;
    std::string path;
    double startup = 0;
    bool gaveUp = false;
    std::vector<double> imports;  // the import times of the sizes run, start-up left out
    std::string project;          // for the window: a project of one material, saved by this program
};

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool WriteFile(const std::string& path, const std::string& text)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path)
{
    std::string text;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0)
        text.append(buffer, n);
    fclose(f);
    return text;
}

// Rows as a workshop's list would hold them: lengths, quantities, a label and
// a comment, the same every run.
std::string PartRows(long count)
{
    std::string text;
    text.reserve(static_cast<size_t>(count) * 32);
    unsigned long seed = 12345;
    char line[128];
    for (long i = 0; i < count; ++i) {
        seed = seed * 1103515245UL + 12345UL;
        const long length = 100 + static_cast<long>((seed >> 8) % 2900);
        snprintf(line, sizeof(line), "%ld;%ld;P%ld;part %ld of the order\r\n", length, 1 + i % 9, i + 1, i + 1);
        text += line;
    }
    return text;
}

// The script: a material, the import (unless rows is 0), and the save.
std::string Script(const std::string& folder, long rows, const std::string& saveAs)
{
    std::string text = "[options]\r\nlog=" + folder + "\\run.log\r\n[commands]\r\n"
                       "project.material.add={ \"name\": \"Steel\" }\r\n";
    if (rows > 0)
        text += "material.parts.import={ \"file\": \"" + folder + "\\parts" + std::to_string(rows) +
                ".txt\", \"format.file\": \"" + folder + "\\parts.fmt\" }\r\n";
    if (!saveAs.empty())
        text += "project.save={ \"file\": \"" + saveAs + "\" }\r\n";
    return text;
}

// Runs the program on the script; the wall-clock seconds, or -1 when it did
// not end in time (it is then ended).
double Run(const std::string& program, const std::string& script, double timeout)
{
    std::string command = "\"" + program + "\" \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const auto start = Clock::now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "cannot start %s\n", program.c_str());
        return -1;
    }
    const DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeout * 1000));
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 9);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return waited == WAIT_OBJECT_0 ? seconds : -1;
}

// The saved project without its random parts: row uids and the time stamps.
std::string Comparable(const std::string& text)
{
    static const std::regex uid("\"uid\": \"[0-9]+\"");
    static const std::regex stamp("time\\.date[^\\r\\n]*");
    return std::regex_replace(std::regex_replace(text, uid, "\"uid\": \"?\""), stamp, "time.date");
}


// ---- Through the window ------------------------------------------------------------------------

// The source data page's Import Parts button, its part list (the import
// dialog's result list has the same id) and the dialog's Clipboard button.
constexpr int kPartImport = 1091;
constexpr int kPartList = 1049;
constexpr int kClipboard = 1067;
constexpr const char* kDialogTitle = "Import Parts";

struct Found {
    DWORD pid = 0;
    HWND main = nullptr;
    HWND button = nullptr;
    HWND dialog = nullptr;
};

bool ClassIs(HWND window, const char* name)
{
    char text[64] = "";
    GetClassNameA(window, text, sizeof(text));
    return _stricmp(text, name) == 0;
}

BOOL CALLBACK FindButtonProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<Found*>(lParam);
    if (GetDlgCtrlID(window) == kPartImport && ClassIs(window, "Button")) {
        HWND list = GetDlgItem(GetParent(window), kPartList);
        if (list && ClassIs(list, "SysListView32")) {
            f->button = window;
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CALLBACK FindTopProc(HWND window, LPARAM lParam)
{
    auto* f = reinterpret_cast<Found*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != f->pid || !IsWindowVisible(window))
        return TRUE;
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    if (GetMenu(window) && strncmp(title, "KORVA Bravik", 12) == 0)
        f->main = window;
    else if (strcmp(title, kDialogTitle) == 0)
        f->dialog = window;
    return TRUE;
}

Found FindWindows(DWORD pid)
{
    Found f;
    f.pid = pid;
    EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&f));
    if (f.main)
        EnumChildWindows(f.main, FindButtonProc, reinterpret_cast<LPARAM>(&f));
    return f;
}

// The window's thread has handled what was sent before (a busy thread does
// not answer within the wait).
bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) != 0;
}

long RowCount(HWND list)
{
    DWORD_PTR result = 0;
    if (!list || !SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 200, &result))
        return -1;
    return static_cast<long>(result);
}

// Polls until done() or the time-out; false on the time-out or when the
// program ended.
template <typename Done>
bool WaitFor(HANDLE process, Clock::time_point start, double timeout, Done done)
{
    while (SecondsSince(start) < timeout) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return false;
        if (done())
            return true;
        Sleep(5);
    }
    return false;
}

struct WindowTiming {
    double total = -1;   // Import Parts clicked until the page lists the rows
    double dialog = -1;  // until the dialog's result list shows them
};

// Opens the project in the program, takes the rows from the clipboard into
// the import dialog, OK, and ends the program.
WindowTiming RunWindow(const Program& p, long rows, double timeout)
{
    WindowTiming t;
    std::string command = "\"" + p.path + "\" \"" + p.project + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        fprintf(stderr, "cannot start %s\n", p.path.c_str());
        return t;
    }
    Found f;
    const auto opened = Clock::now();
    const bool ready = WaitFor(process.hProcess, opened, 120, [&] {
        f = FindWindows(process.dwProcessId);
        return f.main && f.button && IsWindowEnabled(f.button) && Answers(f.main);
    });
    if (ready) {
        HWND page = GetParent(f.button);
        HWND pageList = GetDlgItem(page, kPartList);
        const auto start = Clock::now();
        PostMessageA(page, WM_COMMAND, MAKEWPARAM(kPartImport, BN_CLICKED), reinterpret_cast<LPARAM>(f.button));
        HWND dialog = nullptr;
        bool done = WaitFor(process.hProcess, start, timeout, [&] {
            dialog = FindWindows(process.dwProcessId).dialog;
            return dialog != nullptr;
        });
        if (done) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kClipboard, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, kClipboard)));
            HWND records = GetDlgItem(dialog, kPartList);
            done = WaitFor(process.hProcess, start, timeout,
                           [&] { return RowCount(records) == rows && Answers(dialog); });
        }
        if (done) {
            t.dialog = SecondsSince(start);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            done = WaitFor(process.hProcess, start, timeout, [&] {
                return !IsWindow(dialog) && RowCount(pageList) == rows && Answers(f.main);
            });
        }
        if (done) {
            // What is left to paint, painted.
            RedrawWindow(f.main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            t.total = SecondsSince(start);
        }
    }
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return t;
}

void PrintGrowth(double seconds, double first)
{
    printf("  %5.1fx", first > 0 ? seconds / first : 1.0);
}

// ---- The two roads -------------------------------------------------------------------------------

struct BenchRun {
    std::vector<Program>& programs;
    const std::vector<long>& sizes;
    const std::string& folder;
    double timeout;
    bool save;
};

int ByScript(BenchRun& r)
{
    std::vector<Program>& programs = r.programs;
    const std::string& folder = r.folder;
    const double timeout = r.timeout;
    const bool save = r.save;
    // Start-up: a script that only adds the material.
    const std::string empty = folder + "\\startup.kvauto";
    WriteFile(empty, Script(folder, 0, ""));
    for (Program& p : programs) {
        double best = -1;
        for (int k = 0; k < 3; ++k) {
            const double s = Run(p.path, empty, timeout);
            if (s >= 0 && (best < 0 || s < best))
                best = s;
        }
        p.startup = best < 0 ? 0 : best;
        printf("%-10s start-up %.2f s   %s\n", p.label.c_str(), p.startup, p.path.c_str());
    }

    printf("\nby script (material.parts.import)\n%8s", "rows");
    for (const Program& p : programs)
        printf(" | %10s: total  import  growth", p.label.c_str());
    printf("%s\n", save && programs.size() > 1 ? " | saved files" : "");
    fflush(stdout);

    int failures = 0;
    for (const long rows : r.sizes) {
        WriteFile(folder + "\\parts" + std::to_string(rows) + ".txt", PartRows(rows));
        // Start-up again before every size: its least time is the one that
        // does not carry a passing load of the machine.
        for (Program& p : programs) {
            const double s = p.gaveUp ? -1 : Run(p.path, empty, timeout);
            if (s >= 0 && s < p.startup)
                p.startup = s;
        }
        printf("%8ld", rows);
        std::vector<std::string> saved;
        for (Program& p : programs) {
            double seconds = -1;
            std::string out;
            if (!p.gaveUp) {
                const std::string script = folder + "\\import" + std::to_string(rows) + ".kvauto";
                WriteFile(script, Script(folder, rows, ""));
                seconds = Run(p.path, script, timeout);
                const std::string log = ReadFile(folder + "\\run.log");
                const bool imported = log.find("\"material.parts.import\", \"\\res\": \"0\"") != std::string::npos;
                // The saved project comes from a run of its own: saving is
                // not part of the time.
                if (save && seconds >= 0 && imported) {
                    out = folder + "\\" + p.label + "-" + std::to_string(rows) + ".brvk";
                    DeleteFileA(out.c_str());
                    WriteFile(script, Script(folder, rows, out));
                    Run(p.path, script, timeout * 2);
                }
                if (seconds >= 0 && !imported) {
                    fprintf(stderr, "%s: the import of %ld rows failed\n", p.label.c_str(), rows);
                    ++failures;
                    seconds = -1;
                }
                if (seconds < 0)
                    p.gaveUp = true;
            }
            if (seconds < 0) {
                printf(" | %10s  %6s  %6s  %6s", "", p.gaveUp ? ">limit" : "-", "", "");
            } else {
                const double import = seconds - p.startup;
                p.imports.push_back(import);
                printf(" | %10s  %6.2f  %6.2f", "", seconds, import);
                PrintGrowth(import, p.imports[0]);
            }
            saved.push_back(out.empty() || seconds < 0 ? std::string() : Comparable(ReadFile(out)));
        }
        if (save && programs.size() > 1) {
            bool same = !saved[0].empty();
            for (const std::string& s : saved)
                same = same && s == saved[0];
            printf(" | %s", same ? "same" : "differ or missing");
        }
        printf("\n");
        fflush(stdout);
    }
    printf("\ntotal: wall time of the run in seconds; import: less the program's least start-up time; "
           "growth: import time against that of the first size (%ld rows)\n",
           r.sizes[0]);
    return failures;
}

int ThroughTheWindow(BenchRun& r)
{
    std::vector<Program>& programs = r.programs;
    // Each program saves the project it opens: a material without rows.
    for (Program& p : programs) {
        p.gaveUp = false;
        p.imports.clear();
        p.project = r.folder + "\\window-" + p.label + ".brvk";
        DeleteFileA(p.project.c_str());
        const std::string script = r.folder + "\\window.kvauto";
        WriteFile(script, Script(r.folder, 0, p.project));
        if (Run(p.path, script, r.timeout) < 0 || GetFileAttributesA(p.project.c_str()) == INVALID_FILE_ATTRIBUTES) {
            fprintf(stderr, "%s: cannot save the project %s\n", p.label.c_str(), p.project.c_str());
            p.gaveUp = true;
        }
    }

    printf("\nthrough the window (Import Parts, Clipboard, OK)\n%8s", "rows");
    for (const Program& p : programs)
        printf(" | %10s: total  dialog    page  growth", p.label.c_str());
    printf("\n");
    fflush(stdout);

    int failures = 0;
    for (const long rows : r.sizes) {
        const std::string text = PartRows(rows);
        printf("%8ld", rows);
        for (Program& p : programs) {
            WindowTiming t;
            if (!p.gaveUp) {
                if (!Helper::SetClipboardText(text.c_str())) {
                    fprintf(stderr, "cannot put %ld rows on the clipboard\n", rows);
                    ++failures;
                } else {
                    t = RunWindow(p, rows, r.timeout);
                }
                if (t.total < 0)
                    p.gaveUp = true;
            }
            if (t.total < 0) {
                printf(" | %10s  %6s  %6s  %6s  %6s", "", p.gaveUp ? ">limit" : "-", "", "", "");
            } else {
                p.imports.push_back(t.total);
                printf(" | %10s  %6.2f  %6.2f  %6.2f", "", t.total, t.dialog, t.total - t.dialog);
                PrintGrowth(t.total, p.imports[0]);
            }
        }
        printf("\n");
        fflush(stdout);
    }
    printf("\ntotal: seconds from the click on Import Parts until the page lists every row and the window "
           "answers; dialog: until the dialog's result list shows every record; page: the rest (OK); "
           "growth: total against that of the first size (%ld rows)\n",
           r.sizes[0]);
    return failures;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> sizes = {10000, 20000, 50000, 100000};
    std::vector<Program> programs;
    double timeout = 300;
    bool save = false;
    bool script = true;
    bool window = false;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "bravik_import_bench";
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (strncmp(a, "--rows=", 7) == 0) {
            sizes = ReadList(a + 7);
        } else if (strncmp(a, "--timeout=", 10) == 0) {
            timeout = atof(a + 10);
        } else if (strcmp(a, "--save") == 0) {
            save = true;
        } else if (strncmp(a, "--via=", 6) == 0) {
            const std::string via = std::string(",") + (a + 6) + ",";
            script = via.find(",script,") != std::string::npos;
            window = via.find(",window,") != std::string::npos;
        } else if (strncmp(a, "--folder=", 9) == 0) {
            folder = a + 9;
        } else if (strncmp(a, "--program=", 10) == 0) {
            const std::string value = a + 10;
            const size_t equals = value.find('=');
            Program p;
            p.label = equals == std::string::npos ? "program" : value.substr(0, equals);
            p.path = equals == std::string::npos ? value : value.substr(equals + 1);
            programs.push_back(p);
        } else {
            fprintf(stderr,
                    "usage: bravik_import_bench --program=LABEL=PATH [...] [--rows=N,N,...] "
                    "[--via=script,window] [--timeout=S] [--save] [--folder=PATH]\n");
            return 2;
        }
    }
    if (programs.empty() || sizes.empty() || (!script && !window)) {
        fprintf(stderr, "give at least one --program, one size and a road (--via=script, window or both)\n");
        return 2;
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!WriteFile(folder + "\\parts.fmt", "length;quantity;label;comment")) {
        fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }
    BenchRun run = {programs, sizes, folder, timeout, save};
    int failures = 0;
    if (script)
        failures += ByScript(run);
    if (window)
        failures += ThroughTheWindow(run);
    return failures ? 1 : 0;
}
