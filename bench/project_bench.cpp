// Project file benchmark: how saving, loading and refreshing a material grow
// with its number of part rows, and how the INI reader grows with the size of
// a settings text. A console program, never shipped and never run by the
// tests; it prints one line per size, and the growth from one size to the next
// tells whether an operation stays near n log n.
//
// Each size is timed as a saved order alone and with stored results, which
// opening rebuilds into a layout and result rows.
//
//   bravik_project_bench [--rows=N,N,...] [--megabytes=M,M,...] [--folder=PATH]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "document/DCSSolution.h"
#include "engine/Cutting.h"
#include "foundation/DSettings.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"
#include "BenchOptions.h"
#include "GeneratedOrder.h"
#include "BenchTiming.h"

namespace {

std::string ReadFile(const std::string& path)
{
    uint32_t length = 0;
    char* data = Helper::ReadWholeFile(path.c_str(), &length);
    std::string text = data ? std::string(data, length) : std::string();
    delete[] data;
    return text;
}

// The stored results of a solution, added to a saved project's text: every
// part length filled onto bars of the first stock length, the rest of each
// length left unplaced. Opening the file rebuilds the layout and the result
// rows from them, as it does for a calculated material.
std::string WithStoredCuttings(const std::string& text, long parts)
{
    // Part rows of one length reach a layout as one kind, under the id of
    // their first row.
    std::vector<long> firstId(2400 + 250, 0);
    std::vector<long> demand(2400 + 250, 0);
    for (long i = 0; i < parts; ++i) {
        const long length = 250 + (i * 37) % 2400;
        if (firstId[static_cast<size_t>(length)] == 0)
            firstId[static_cast<size_t>(length)] = i + 1;
        demand[static_cast<size_t>(length)] += 1 + i % 4;
    }
    std::string rows;
    long written = 0;
    for (size_t length = 0; length < firstId.size(); ++length) {
        if (firstId[length] == 0)
            continue;
        const long perBar = static_cast<long>(6000 / (static_cast<double>(length) + 3));
        const long bars = perBar > 0 ? demand[length] / perBar : 0;
        if (bars < 1)
            continue;
        char row[256];
        std::snprintf(row, sizeof row, "c%03ld={ \"signature\": \"%s#%s%ld-\", \"copies\": \"%ld\", \"blank\": \"1\" }\r\n",
                      ++written, CUTTING::StockCode(1).c_str(), CUTTING::PieceCode(firstId[length]).c_str(), perBar,
                      bars);
        rows += row;
    }
    const std::string section = "\r\n[layout.cuttings]\r\n";
    std::string out = text;
    const size_t at = out.find(section);
    if (at != std::string::npos)
        out.insert(at + section.size(), rows);
    return out;
}

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Timings {
    double load = 0.0;
    double save = 0.0;
    double refresh = 0.0;
    bool ok = false;
};

// Opens the file, saves it again and times one edit's refresh: a row in the
// middle goes, and the material is refreshed.
Timings LoadSaveRefresh(const std::string& path, long parts, bool withResults)
{
    Timings t;
    DCSSolution doc;
    Clock::time_point start = Clock::now();
    const bool loaded = doc.Load(path.c_str());
    t.load = SecondsSince(start);
    if (!loaded)
        return t;
    DCSProject& material = *doc.GetProject(0, false);
    const std::string quantity = material.QuantityText(nullptr, true);
    t.ok = doc.GetFileNotes().empty();

    start = Clock::now();
    t.ok = doc.Save(path.c_str()) && t.ok;
    t.save = SecondsSince(start);
    // The results came through the rebuilding and went back into the file.
    const bool cuttings = ReadFile(path).find("\r\n[layout.cuttings]\r\nc001=") != std::string::npos;
    t.ok = t.ok && cuttings == withResults;

    start = Clock::now();
    material.DeletePieceRow(parts / 2);
    material.Refresh(false);
    t.refresh = SecondsSince(start);
    t.ok = t.ok && material.QuantityText(nullptr, true) != quantity;
    return t;
}

void Report(long parts, const char* what, const std::string& path, double fill, const Timings& t)
{
    std::printf("%8ld part rows  %-13s %9.1f KB  fill %8.3f  load %8.3f  save %8.3f  edit+refresh %8.3f  %s\n",
                parts, what, static_cast<double>(FileSize(path)) / 1024.0, fill, t.load, t.save, t.refresh,
                t.ok ? "ok" : "MISMATCH");
    std::fflush(stdout);
}

void BenchProject(long parts, const std::string& folder)
{
    const std::string path = folder + "\\bench-" + std::to_string(parts) + ".brvk";
    double fill = 0.0;
    {
        DCSSolution doc;
        doc.New("Bench", "", "Steel");
        Clock::time_point start = Clock::now();
        FillOrder(*doc.GetProject(0, false), parts);
        fill = SecondsSince(start);
        if (!doc.Save(path.c_str())) {
            std::printf("%8ld part rows: cannot write %s\n", parts, path.c_str());
            return;
        }
    }
    Report(parts, "order", path, fill, LoadSaveRefresh(path, parts, false));

    const std::string solved = WithStoredCuttings(ReadFile(path), parts);
    Helper::WriteBuffer(path.c_str(), static_cast<long>(solved.size()), solved.data(), false);
    Report(parts, "order+results", path, 0.0, LoadSaveRefresh(path, parts, true));
    DeleteFileA(path.c_str());
}

// A settings text without block markers: one section of numbered keys with
// values and comments, as large as asked.
void BenchSettings(long megabytes)
{
    const size_t target = static_cast<size_t>(megabytes) * 1024 * 1024;
    std::string text = "[settings]\r\n";
    text.reserve(target + 256);
    for (long i = 0; text.size() < target; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "key.%08ld=value %ld of the settings    ; note %ld\r\n", i, i * 7, i);
        text += line;
    }

    DSettings document;
    Clock::time_point t = Clock::now();
    const bool parsed = document.Parse(text.c_str());
    const double parse = SecondsSince(t);

    t = Clock::now();
    const std::string written = document.Write();
    const double write = SecondsSince(t);

    const DProps* section = document.SectionAt(0);
    std::printf("%8ld MB settings  %9ld entries  parse %8.3f  write %8.3f  %s\n", megabytes,
                section ? static_cast<long>(section->Count()) : 0L, parse, write,
                parsed && written.size() == text.size() ? "ok" : "MISMATCH");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<long> rows = {1000, 10000, 50000};
    std::vector<long> megabytes = {2, 10, 50};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = temp;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rows=", 7) == 0) {
            rows = ReadList(argv[i] + 7);
        } else if (std::strncmp(argv[i], "--megabytes=", 12) == 0) {
            megabytes = ReadList(argv[i] + 12);
        } else if (std::strncmp(argv[i], "--folder=", 9) == 0) {
            folder = argv[i] + 9;
        } else {
            std::fprintf(stderr,
                         "usage: bravik_project_bench [--rows=N,N,...] [--megabytes=M,M,...] [--folder=PATH]\n"
                         "  seconds of filling, loading, saving and one edit's refresh per number of\n"
                         "  part rows, with and without stored results; of parsing and writing a\n"
                         "  settings text per size\n");
            return 2;
        }
    }
    for (long n : rows)
        BenchProject(n, folder);
    for (long mb : megabytes)
        BenchSettings(mb);
    return 0;
}
