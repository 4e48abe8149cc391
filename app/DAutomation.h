// The automation script runner: a worker thread that reads a script of
// commands, hands each one to the UI thread through the main window, waits
// for the asynchronous ones with a time-out, keeps a log of its own and at
// the end asks the application to close with the script's exit code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "foundation/DParser.h"
#include "foundation/DProps.h"
#include "foundation/DSettings.h"
#include "foundation/DThread.h"
#include "foundation/ULog.h"

// The script's exit codes, handed to the application with the close request.
enum AutomationExitCode : long {
    kAutomationExitOk = 0,          // every command ended with "\res" 0
    kAutomationExitFailed = 1,      // a command failed or never answered, or the script has no [commands]
    kAutomationExitTimeout = 2,     // a command ran past its time-out
    kAutomationExitNotLoaded = 3,   // the script, or its log, could not be opened
};

class DAutomation : public DThread {
public:
    // Registered at program start; the main window hands EXECUTE, BREAK and
    // CLOSEAPP to the application.
    static const UINT kMsgExecute;    // wParam the command record, lParam the options (sent)
    static const UINT kMsgBreak;      // wParam 0, lParam the options (sent)
    static const UINT kMsgFinished;   // sent at the end; nobody acts on it
    static const UINT kMsgCloseApp;   // wParam the exit code (posted)

    // How often an asynchronous command whose error action is not "$exit"
    // is run again before the script gives up on it.
    static constexpr int kMaxRetries = 3;

    DAutomation();
    // Stops the thread before the members its steps use go.
    ~DAutomation() override;

    // On the UI thread, before the thread starts: remembers the window that
    // receives the commands, reads the script and opens the runner's log.
    bool Load(HWND window, const char* path);
    // Reads the script: options, variables and the command records.
    bool LoadScript(const char* path);

    // One command; false when the script is over.
    bool Step() override;
    // Tells the window the script is over and asks the application to close.
    void Finish() override;

    // For the owner and tests, once the thread has ended (or before it starts).
    const DProps& GetStatus() const { return m_status; }
    const DProps& GetOptions() const { return m_options; }
    const std::vector<DProps>& GetCommands() const { return m_commands; }
    int32_t GetErrorState() const { return m_errorState; }
    const char* GetLogFile() const { return m_log.GetFileName(); }
    // The runner's log, for a line the application adds at the end.
    ULog& Log() { return m_log; }

private:
    // What the application has answered so far to the asynchronous command
    // whose record this is ("\error", then "\res" once it has ended).
    void CollectAnswer(DProps& command);
    // The exit code the script has earned so far.
    long ExitCode() const;

    HWND m_window = nullptr;
    ULog m_log;
    DSettings m_script;
    DProps m_status;
    std::vector<DProps> m_commands;
    DProps m_options;
    DParser m_parser;
    int32_t m_commandIndex = 0;
    int32_t m_errorState = -1;
    // Whether the script has a line under a [commands] header: a script
    // without one (a header misspelled, or missing) runs nothing, and says so.
    bool m_commandsFound = false;
    // What the exit code rests on: a command that failed (or was never
    // answered, or never ran), and the runs of the current command that
    // ended in failure.
    bool m_failed = false;
    int m_failedRuns = 0;
};
