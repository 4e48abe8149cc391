// Import benchmark: how long the real program takes to import delimited part
// rows through an automation script ("material.parts.import"), timed from
// outside, and how the time grows with the number of rows. A console
// program, never shipped and never run by the tests.
//
// Each program given is run on the same generated files, one after the other
// for each size, so two builds (scripts/bench-compare) are timed side by
// side on the same machine in one run. A run of a script that only adds the
// material gives each program's start-up, which the "import" column leaves
// out. A program that runs past the time-out is not run on larger sizes.
//
// With --save each program also saves the project in a run that is not
// timed, and the saved files of the programs are compared byte for byte,
// the random row uids and the time stamps aside.
//
//   bravik_import_bench --program=LABEL=PATH [--program=LABEL=PATH ...]
//                       [--rows=N,N,...] [--timeout=SECONDS] [--save] [--folder=PATH]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "BenchOptions.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Program {
    std::string label;
    std::string path;
    double startup = 0;
    bool gaveUp = false;
    std::vector<double> seconds;  // per size, < 0 when not run or failed
    std::vector<double> imports;  // the import times of the sizes run, start-up left out
};

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

} // namespace

int main(int argc, char** argv)
{
    std::vector<long> sizes = {10000, 20000, 50000, 100000};
    std::vector<Program> programs;
    double timeout = 300;
    bool save = false;
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
                    "usage: bravik_import_bench --program=LABEL=PATH [...] [--rows=N,N,...] [--timeout=S] "
                    "[--save] [--folder=PATH]\n");
            return 2;
        }
    }
    if (programs.empty() || sizes.empty()) {
        fprintf(stderr, "give at least one --program and one size\n");
        return 2;
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    if (!WriteFile(folder + "\\parts.fmt", "length;quantity;label;comment")) {
        fprintf(stderr, "cannot write into %s\n", folder.c_str());
        return 1;
    }

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

    printf("\n%8s", "rows");
    for (const Program& p : programs)
        printf(" | %10s: total  import  growth", p.label.c_str());
    printf("%s\n", save && programs.size() > 1 ? " | saved files" : "");
    fflush(stdout);

    int failures = 0;
    for (size_t n = 0; n < sizes.size(); ++n) {
        const long rows = sizes[n];
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
            p.seconds.push_back(seconds);
            if (seconds < 0) {
                printf(" | %10s  %6s  %6s  %6s", "", p.gaveUp ? ">limit" : "-", "", "");
            } else {
                const double import = seconds - p.startup;
                p.imports.push_back(import);
                printf(" | %10s  %6.2f  %6.2f  %5.1fx", "", seconds, import,
                       p.imports[0] > 0 ? import / p.imports[0] : 1.0);
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
           sizes[0]);
    return failures ? 1 : 0;
}
