#include "app/DAutomation.h"

#include <string>

#include "foundation/PathUtil.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

const UINT DAutomation::kMsgExecute = RegisterWindowMessageA("DAutomation.EXECUTE");
const UINT DAutomation::kMsgBreak = RegisterWindowMessageA("DAutomation.BREAK");
const UINT DAutomation::kMsgFinished = RegisterWindowMessageA("DAutomation.FINISHED");
const UINT DAutomation::kMsgCloseApp = RegisterWindowMessageA("DAutomation.CLOSEAPP");

namespace {

const char* const kExitAction = "$exit";
// The name a comment line of [commands] reads as.
const char* const kCommentCommand = ";";

// The key's value when the bag has the key, else def; the bag's lock guards
// the look-up, because the UI thread may be writing the command's result.
std::string ValueIfPresent(const DProps& bag, const char* key, const std::string& def)
{
    if (bag.IndexOf(key) < 0)
        return def;
    return DProps::GetString(bag, key);
}

} // namespace

DAutomation::DAutomation()
{
    SetName("DAutomation");
}

DAutomation::~DAutomation()
{
    StopAndWait();
}

// ---- Loading ------------------------------------------------------------------------------------

bool DAutomation::Load(HWND window, const char* path)
{
    const std::string file = StrFromText(path);
    if (!::IsWindow(window)) {
        m_status.Set("error", "Incorrect communication window");
        m_errorState = 1;
    } else {
        m_window = window;
        LoadScript(file.c_str());
    }

    std::string logName = DProps::GetString(m_options, "log");
    if (logName.empty())
        logName = file.empty() ? std::string("automation.log") : file + ".log";
    m_options.Set("log", logName.c_str());
    m_log.Open(logName.c_str(), true);

    if (m_errorState == 0) {
        m_log.Write(("Script loaded: " + file).c_str());
    } else {
        m_log.Write(("Cannot load script " + file).c_str());
        const std::string error = DProps::GetString(m_status, "error");
        if (!error.empty())
            m_log.Write(error.c_str());
    }
    return m_errorState == 0;
}

bool DAutomation::LoadScript(const char* path)
{
    const std::string file = StrFromText(path);
    m_status.Clear();
    m_commands.clear();
    m_commandIndex = 0;
    m_errorState = -1;
    m_failed = false;
    m_failedRuns = 0;

    if (!m_script.Load(file.c_str())) {
        std::string error;
        StrFormat(error, PathExistsA(file.c_str()) != 1 ? "Cannot find file: %s" : "Cannot load file: %s",
                  file.c_str());
        m_status.Set("error", error.c_str());
        return false;
    }
    m_status.Set("file", file.c_str());

    m_options.Clear();
    m_script.GetSection("options", m_options);
    m_parser.Variables().Clear();
    m_script.GetSection("vars", m_parser.Variables());

    DProps commands;
    m_script.GetSection("commands", commands);
    for (int i = 0; i < commands.Count(); ++i) {
        const std::string name = StrFromText(commands.GetKeyAt(i));
        if (name.empty())
            continue;
        DProps record;
        PropsFromJson(commands.GetValueAt(i), &record, JsonRaw);
        for (int j = 0; j < record.Count(); ++j) {
            const std::string value = m_parser.Expand(record.GetValueAt(j));
            record.SetValueAt(j, value.c_str());
        }
        record.Set("\\command", name.c_str());
        m_commands.push_back(std::move(record));
    }
    m_errorState = 0;
    return true;
}

// ---- Running --------------------------------------------------------------------------------------

bool DAutomation::Step()
{
    long timeout = DProps::GetLong(m_options, "timeout", 0);
    if (m_errorState != 0 || m_commandIndex < 0 || m_commandIndex >= static_cast<int32_t>(m_commands.size()))
        return false;
    if (!::IsWindow(m_window))
        return false;

    const uint64_t start = TimeNowMs();
    DProps command(m_commands[static_cast<size_t>(m_commandIndex)]);
    command.Set("\\res", "-1");
    if (command.IndexOf("timeout") >= 0)
        timeout = DProps::GetLong(command, "timeout", 0);
    const std::string name = DProps::GetString(command, "\\command");

    const LRESULT answer = ::SendMessageA(m_window, kMsgExecute, reinterpret_cast<WPARAM>(&command),
                                          reinterpret_cast<LPARAM>(&m_options));
    long result = 0;
    if (answer == 1) {
        m_log.Write(("Command \"" + name + "\" started").c_str());
        bool timedOut = false;
        for (;;) {
            bool ended = true;
            if (IsCancelled()) {
                result = 3;
            } else {
                result = DProps::GetLong(command, "\\res", -1);
                ended = result != -1;
            }
            if (ended) {
                if (result != 0) {
                    const std::string action =
                        ValueIfPresent(command, "on.error", ValueIfPresent(m_options, "on.error", kExitAction));
                    if (StrEqual(action, kExitAction, true)) {
                        Stop();
                    } else if (++m_failedRuns > kMaxRetries) {
                        // A command that keeps failing would otherwise hold
                        // the script, and the program, for ever.
                        std::string line;
                        StrFormat(line, "Command \"%s\" failed after %d retries", name.c_str(), kMaxRetries);
                        m_log.Write(line.c_str(), nullptr, "ERR >> ");
                        Stop();
                    }
                }
                break;
            }
            const uint64_t elapsed = TimeNowMs() - start;
            if (timeout > 0 && static_cast<long long>(elapsed / 1000) > timeout) {
                m_errorState = 2;
                if (!timedOut)
                    m_log.Write(("Timeout for command \"" + name + "\"").c_str());
                timedOut = true;
                ::SendMessageA(m_window, kMsgBreak, 0, reinterpret_cast<LPARAM>(&m_options));
            }
            Wait(500, 1);
        }
    } else if (DProps::GetLong(command, "\\res", -1) != 0 && name != kCommentCommand) {
        // A finished command that failed, or never wrote its result, does
        // not stop the script; the exit code tells of it. A comment line of
        // the script is run as a command too, but asks for no answer.
        m_failed = true;
    }

    std::string line;
    StrFormat(line, "Command #%ld finished, params=", static_cast<long>(m_commandIndex) + 1);
    m_log.Write((line + PropsToJson(&command)).c_str());

    if (result == 0) {
        ++m_commandIndex;
        m_failedRuns = 0;
    }
    return true;
}

long DAutomation::ExitCode() const
{
    if (m_errorState == 2)
        return kAutomationExitTimeout;
    if (m_errorState != 0 && m_errorState != 2)
        return kAutomationExitNotLoaded;
    // Commands left over mean the script was stopped short of its end.
    if (m_failed || m_commandIndex < static_cast<int32_t>(m_commands.size()))
        return kAutomationExitFailed;
    return kAutomationExitOk;
}

void DAutomation::Finish()
{
    DThread::Finish();
    if (::IsWindow(m_window))
        ::SendMessageA(m_window, kMsgFinished, 0, 0);
    m_status.SetLong("exitCode", ExitCode());
    m_log.Write(("Script finished: " + DProps::GetString(m_status, "file")).c_str());
    // The program's windows stay hidden during a script, so a program left
    // running after it could never be closed: the end of a script always
    // asks the application to close, whatever "on.done" says.
    if (::IsWindow(m_window))
        ::PostMessageA(m_window, kMsgCloseApp, static_cast<WPARAM>(DProps::GetLong(m_status, "exitCode", 0)), 0);
}
