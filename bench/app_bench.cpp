// Program benchmark: times the real program from the outside, as a user
// would see it. A console program, never shipped and never run by the tests.
//
// Each run writes the properties file of the data folder (the defaults a
// first start leaves, plus what the case adds), starts the program, waits
// until its main window shows, then asks it to exit through its menu command
// and waits until the process has ended. It prints the seconds to the window
// and the seconds the exit took; a run that passes the limit is killed and
// printed as such.
//
//   bravik_app_bench --program=PATH --case=CASE --size=N [--limit=SECONDS]
//
// Cases, each of size N:
//   properties   Bravik.properties with N keys more than the program's own
//   megabytes    Bravik.properties of N MB of keys
//   excluded     the setting "excluded" naming N printers (quoted, joined by ", ")
//   history      the setting "history" holding N project paths (of files that are not there)
//   description  a project, opened from the command line, whose material's
//                description is N characters of one word (no blank)
//   words        the same with N characters of words and blanks
//
// The program must have been started once before with the same data folder
// (the first run of this benchmark does that), so that its installation of
// the embedded resources happens outside the timings.
#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/DCSSolution.h"
#include "tests/support/ProgramWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The menu command Exit.
constexpr WPARAM kExitCommand = 32775;

std::string DataFolder()
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return std::string(path) + "\\KORVA\\Bravik";
}

std::string TempFolder()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

bool ReadFile(const std::string& path, std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    text.clear();
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        text.append(buffer, got);
    std::fclose(f);
    return true;
}

bool WriteFile(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}


struct Timing {
    double open = -1.0;  // seconds to the main window (with the project's name, when one is opened)
    double exit = -1.0;  // seconds from the exit command to the end of the process
    bool killed = false;
};

// Starts the program and times it; waits at most limit seconds for each step.
Timing RunProgram(const std::string& program, const std::string& arguments, const char* titlePart, double limit)
{
    Timing t;
    std::string command = "\"" + program + "\"";
    if (!arguments.empty())
        command += " " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return t;

    HWND found = nullptr;
    while (SecondsSince(start) < limit && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        found = FindProgramMainWindow(process.dwProcessId);
        if (found) {
            char title[1024] = "";
            GetWindowTextA(found, title, sizeof title);
            if (!titlePart || std::strstr(title, titlePart))
                break;
        }
        Sleep(10);
    }
    if (found && SecondsSince(start) < limit) {
        t.open = SecondsSince(start);
        const Clock::time_point exitStart = Clock::now();
        PostMessageA(found, WM_COMMAND, kExitCommand, 0);
        const DWORD waitMs = static_cast<DWORD>(limit * 1000.0);
        if (WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0)
            t.exit = SecondsSince(exitStart);
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
        t.killed = true;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return t;
}

// The properties file a first start leaves: made once by starting the
// program without one, then kept beside it as the base of every run.
bool BaseProperties(const std::string& program, std::string& base)
{
    const std::string folder = DataFolder();
    const std::string kept = folder + "\\bench-base.properties";
    if (ReadFile(kept, base) && !base.empty())
        return true;
    DeleteFileA((folder + "\\Bravik.properties").c_str());
    const Timing t = RunProgram(program, "", nullptr, 120.0);
    if (t.open < 0 || !ReadFile(folder + "\\Bravik.properties", base) || base.empty())
        return false;
    return WriteFile(kept, base);
}

std::string Key(long i)
{
    char key[64];
    std::snprintf(key, sizeof key, "bench.setting.%07ld", i);
    return key;
}

std::string WithExtraKeys(std::string text, long count)
{
    text.reserve(text.size() + static_cast<size_t>(count) * 40);
    for (long i = 0; i < count; ++i)
        text += Key(i) + "=value " + std::to_string(i * 7) + "\r\n";
    return text;
}

std::string WithMegabytes(std::string text, long megabytes)
{
    const size_t target = text.size() + static_cast<size_t>(megabytes) * 1024 * 1024;
    text.reserve(target + 64);
    for (long i = 0; text.size() < target; ++i)
        text += Key(i) + "=value " + std::to_string(i * 7) + "\r\n";
    return text;
}

std::string WithSetting(std::string text, const char* key, const std::string& value)
{
    return text + key + "=" + value + "\r\n";
}

std::string PrinterNames(long count)
{
    std::string value;
    value.reserve(static_cast<size_t>(count) * 10);
    for (long i = 0; i < count; ++i) {
        if (i > 0)
            value += ", ";
        value += "\"P" + std::to_string(i) + "\"";
    }
    return value;
}

std::string HistoryPaths(long count)
{
    std::string value;
    for (long i = 0; i < count; ++i) {
        if (i > 0)
            value += "|";
        value += "C:\\bench\\gone\\project-" + std::to_string(i);
    }
    return value;
}

// A description of length characters: one long word, or words of five to
// nine letters between blanks.
std::string Description(long length, bool words)
{
    std::string text;
    text.reserve(static_cast<size_t>(length));
    for (long i = 0; static_cast<long>(text.size()) < length; ++i) {
        if (words && i % 7 == 6 && !text.empty() && text.back() != ' ')
            text += ' ';
        else
            text += static_cast<char>('a' + i % 26);
    }
    return text;
}

bool WriteProject(const std::string& path, const std::string& description)
{
    DCSSolution doc;
    if (!doc.New("Bench", "", "Steel"))
        return false;
    DCSProject* material = doc.GetProject(0, false);
    if (!material)
        return false;
    material->SetProperty("comment", description.c_str());
    material->SetProperty("notes", description.c_str());
    return doc.Save(path.c_str());
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: bravik_app_bench --program=PATH --case=CASE --size=N [--limit=SECONDS]\n"
                 "  CASE: properties, megabytes, excluded, history (start-up with that much in the\n"
                 "  properties file), description, words (a project whose material's description is\n"
                 "  N characters). Prints the seconds to the main window and the seconds to exit.\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::string program;
    std::string kase;
    long size = 0;
    double limit = 600.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--program=", 10) == 0)
            program = argv[i] + 10;
        else if (std::strncmp(argv[i], "--case=", 7) == 0)
            kase = argv[i] + 7;
        else if (std::strncmp(argv[i], "--size=", 7) == 0)
            size = std::strtol(argv[i] + 7, nullptr, 10);
        else if (std::strncmp(argv[i], "--limit=", 8) == 0)
            limit = std::atof(argv[i] + 8);
        else {
            Usage();
            return 2;
        }
    }
    if (program.empty() || kase.empty() || size < 0 || limit <= 0) {
        Usage();
        return 2;
    }

    std::string base;
    if (!BaseProperties(program, base)) {
        std::fprintf(stderr, "%s: no properties file after a first start\n", program.c_str());
        return 1;
    }
    std::string properties = base;
    std::string arguments;
    const char* titlePart = nullptr;
    const std::string project = TempFolder() + "\\bravik-app-bench.brvk";
    if (kase == "properties") {
        properties = WithExtraKeys(base, size);
    } else if (kase == "megabytes") {
        properties = WithMegabytes(base, size);
    } else if (kase == "excluded") {
        properties = WithSetting(base, "excluded", PrinterNames(size));
    } else if (kase == "history") {
        properties = WithSetting(base, "history", HistoryPaths(size));
    } else if (kase == "description" || kase == "words") {
        if (!WriteProject(project, Description(size, kase == "words"))) {
            std::fprintf(stderr, "%s: cannot write\n", project.c_str());
            return 1;
        }
        arguments = "\"" + project + "\"";
        titlePart = "bravik-app-bench";
    } else {
        Usage();
        return 2;
    }
    const std::string settings = DataFolder() + "\\Bravik.properties";
    if (!WriteFile(settings, properties)) {
        std::fprintf(stderr, "%s: cannot write\n", settings.c_str());
        return 1;
    }

    const Timing t = RunProgram(program, arguments, titlePart, limit);
    WriteFile(settings, base);
    DeleteFileA(project.c_str());
    if (t.open < 0)
        std::printf("%s %ld open >%.0f\n", kase.c_str(), size, limit);
    else if (t.exit < 0)
        std::printf("%s %ld open %.3f exit >%.0f\n", kase.c_str(), size, t.open, limit);
    else
        std::printf("%s %ld open %.3f exit %.3f\n", kase.c_str(), size, t.open, t.exit);
    return t.killed ? 3 : 0;
}
