// End-to-end runs of the real program in automation mode: a script and a
// project go in; the runner's log, the files written and the exit code come
// out. No window of the program may show while a script runs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/AppRunner.h"

struct ScriptOutcome {
    DWORD exitCode = STILL_ACTIVE;
    bool windowShown = false;
    // Class and title of the first window seen, for the failure's message.
    std::string shownWindow;
    std::string log;
};

class ScriptTest : public ProgramTest {
protected:
    // Writes the script text to the test's folder as name.
    std::string WriteScript(const std::string& name, const std::string& text);
    // Runs the program on the script and waits at most ms for its end
    // (killing it after that); the log is the script's own, beside it.
    // during, when given, plays the user once the program has started (it
    // must bound its own waits).
    ScriptOutcome RunScript(const std::string& script, DWORD ms = 120000,
                            const std::function<void(AppRun&)>& during = nullptr);
    // A project of one material "Steel" with a small order (or a large one
    // that keeps the solver busy for seconds).
    std::string MakeOrderProject(const std::string& name, bool large);
};

// How often part occurs in text.
size_t CountOf(const std::string& text, const std::string& part);
// The log line of command number n ("Command #n finished, params=...").
std::string CommandLine(const std::string& log, int n);
