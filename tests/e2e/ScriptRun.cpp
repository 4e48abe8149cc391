#include "ScriptRun.h"

#include <fstream>

#include "document/DCSSolution.h"
#include "support/CalculationOrders.h"
#include "support/TestFiles.h"

namespace {

// The hover-hint window is always "visible", parked off the screen; what a
// user could see is a window on the screen.
bool OnScreen(HWND window)
{
    RECT rect, screen, common;
    GetWindowRect(window, &rect);
    screen.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    screen.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    screen.right = screen.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    return IntersectRect(&common, &rect, &screen) != FALSE;
}

} // namespace

std::string ScriptTest::WriteScript(const std::string& name, const std::string& text)
{
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

ScriptOutcome ScriptTest::RunScript(const std::string& script, DWORD ms, const std::function<void(AppRun&)>& during)
{
    ScriptOutcome outcome;
    AppRun run;
    if (!run.Launch("\"" + script + "\""))
        return outcome;
    const DWORD start = GetTickCount();
    if (during)
        during(run);
    while (run.IsRunning() && GetTickCount() - start < ms) {
        for (HWND window : run.Popups()) {
            if (outcome.windowShown || !OnScreen(window))
                continue;
            outcome.windowShown = true;
            outcome.shownWindow = ClassOf(window) + " \"" + WindowText(window) + "\"";
        }
        Sleep(50);
    }
    outcome.exitCode = run.WaitExit(0);
    run.Kill();
    outcome.log = ReadBytes(script + ".log");
    return outcome;
}

std::string ScriptTest::MakeOrderProject(const std::string& name, bool large)
{
    DCSSolution project;
    EXPECT_TRUE(project.New("Script project", "Made by the test", "Steel"));
    DCSProject* material = project.GetProject(0, false);
    EXPECT_NE(nullptr, material);
    if (material) {
        if (large)
            LargeOrder(*material);
        else
            SmallOrder(*material);
    }
    const std::string path = Path(name);
    EXPECT_TRUE(project.Save(path.c_str()));
    return path;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::string CommandLine(const std::string& log, int n)
{
    const std::string head = "Command #" + std::to_string(n) + " finished, params=";
    const size_t at = log.find(head);
    if (at == std::string::npos)
        return "<missing>";
    const size_t end = log.find('\n', at);
    return log.substr(at, end == std::string::npos ? std::string::npos : end - at);
}
