// Settings benchmark: reading and writing the properties file, and reading a
// report layout file and building a report with it, when these files hold
// many keys. A console program, never shipped and never run by the tests;
// each run times one case of one size.
//
//   bravik_settings_bench --case=CASE --size=N
//
// Cases:
//   properties   a properties file of N keys: load it, read the program's own
//                settings from it, change one and save it
//   megabytes    the same with a file of N MB
//   layout       the shipped "Full" layout with N keys more: load the layout
//                files, then build the report of a small calculated material
//                (its HTML and its drawn pages)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/DAppSettings.h"
#include "reports/OXRLayout.h"
#include "GeneratedOrder.h"
#include "ReportWork.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The keys the program reads at start-up, and their defaults.
const char* const kProgramKeys[] = {"list.separator", "length.units", "pieces.units", "length.digits",
                                    "length.zeroes",  "cost.units",   "cost.digits",  "cost.zeroes",
                                    "excluded",       "history",      "version",      "printer"};

bool WriteFile(const std::string& path, const std::string& text)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string Lines(long count, size_t megabytes)
{
    std::string text = "# Bravik settings\r\n";
    for (const char* key : kProgramKeys)
        text += std::string(key) + "=\r\n";
    const size_t target = megabytes * 1024 * 1024;
    for (long i = 0; i < count || text.size() < target; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "bench.setting.%07ld=value %ld\r\n", i, i * 7);
        text += line;
    }
    return text;
}

int Properties(const std::string& folder, const char* kase, long count, size_t megabytes)
{
    const std::string path = folder + "\\Bravik.properties";
    const std::string text = Lines(count, megabytes);
    if (!WriteFile(path, text))
        return 1;
    DAppSettings settings;
    Clock::time_point start = Clock::now();
    const long pairs = settings.Load(path.c_str());
    for (const char* key : kProgramKeys)
        settings.Get(key, "");
    const double load = SecondsSince(start);

    start = Clock::now();
    settings.Set("history", "C:\\projects\\bench", false);
    const int saved = settings.Save(false);
    const double save = SecondsSince(start);
    DeleteFileA(path.c_str());
    std::printf("%s %ld load %.3f save %.3f  (%ld keys, %.1f MB)%s\n", kase, megabytes > 0 ? static_cast<long>(megabytes) : count,
                load, save, pairs, static_cast<double>(text.size()) / (1024.0 * 1024.0), saved == 2 ? "" : "  NOT SAVED");
    return saved == 2 ? 0 : 1;
}

int Layout(const std::string& folder, long count)
{
    const std::string dataFolder = folder + "\\data";
    CreateDirectoryA(dataFolder.c_str(), nullptr);
    CreateDirectoryA((dataFolder + "\\DATA").c_str(), nullptr);
    const std::string path = dataFolder + "\\DATA\\bench.sol.scl";
    int status = 0;
    {
        OXRApp app;
        app.SetDataFolder(dataFolder.c_str());
        app.SetProgramFolder(folder.c_str());
        app.Log().Open((folder + "\\bench.log").c_str(), true);
        UMemory locale;
        if (app.LoadResourceData("LOCALE", kEmbeddedLocale, locale))
            app.Locale().Parse(locale.GetData());
        app.LoadLocale("en_US");
        app.Document().AddMaterial("Steel 40x40", "generated");
        app.Document().SetCurrent(0);
        DCSProject* material = app.Document().GetProject(0, false);
        FillOrder(*material, 200);
        ApplyPackedResult(*material);

        UMemory shipped;
        if (!app.LoadResourceData("INSTALL", "FULL.SOL.SCL", shipped)) {
            std::printf("layout: the shipped layout is missing\n");
            return 1;
        }
        std::string text(shipped.GetData(), static_cast<size_t>(shipped.GetUsed()));
        text.resize(std::strlen(text.c_str()));
        if (!text.empty() && text.back() != '\n')
            text += "\r\n";
        for (long i = 0; i < count; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "bench.layout.%07ld=%ld\r\n", i, i);
            text += line;
        }
        if (!WriteFile(path, text))
            return 1;

        Clock::time_point start = Clock::now();
        const bool loaded = OXRLayout::LoadAll(nullptr);
        const double read = SecondsSince(start);
        if (!loaded || OXRLayout::Registry().size() == 0) {
            std::printf("layout: not loaded\n");
            status = 1;
        } else {
            OXRLayout* layout = OXRLayout::Registry().GetValueAt(0);
            UPairList extra;
            extra.Set("projects", "1");
            start = Clock::now();
            layout->Init(&extra);
            layout->SetProject(material);
            std::string html;
            DProps options;
            layout->WriteHtml(html, &options);
            layout->Init(&extra);
            const int pages = DrawAllPages(*layout, material);
            const double report = SecondsSince(start);
            std::printf("layout %ld read %.3f report %.3f  (%d pages, %.1f kB of HTML)\n", count, read, report, pages,
                        static_cast<double>(html.size()) / 1024.0);
        }
        OXRLayout::ClearRegistry();
        app.Log().Close();
    }
    DeleteFileA(path.c_str());
    DeleteFileA((folder + "\\bench.log").c_str());
    RemoveDirectoryA((dataFolder + "\\DATA").c_str());
    RemoveDirectoryA(dataFolder.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    std::string kase;
    long size = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--case=", 7) == 0)
            kase = argv[i] + 7;
        else if (std::strncmp(argv[i], "--size=", 7) == 0)
            size = std::strtol(argv[i] + 7, nullptr, 10);
    }
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "bravik-settings-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    int status = 2;
    if (kase == "properties" && size >= 0)
        status = Properties(folder, "properties", size, 0);
    else if (kase == "megabytes" && size >= 0)
        status = Properties(folder, "megabytes", 0, static_cast<size_t>(size));
    else if (kase == "layout" && size >= 0)
        status = Layout(folder, size);
    else
        std::fprintf(stderr, "usage: bravik_settings_bench --case=properties|megabytes|layout --size=N\n");
    RemoveDirectoryA(folder.c_str());
    return status;
}
