#include "app/DAutomation.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "appsvc/OXRApp.h"
#include "document/HandBack.h"
#include "foundation/DAuto.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"
#include "foundation/TextDecode.h"

const UINT DAutomation::kMsgExecute = RegisterWindowMessageA("DAutomation.EXECUTE");
const UINT DAutomation::kMsgBreak = RegisterWindowMessageA("DAutomation.BREAK");
const UINT DAutomation::kMsgFinished = RegisterWindowMessageA("DAutomation.FINISHED");
const UINT DAutomation::kMsgCloseApp = RegisterWindowMessageA("DAutomation.CLOSEAPP");

namespace {

const char* const kExitAction = "$exit";
// The name a comment line of [commands] reads as.
const char* const kCommentCommand = ";";
const char* const kCommandsSection = "commands";

// ---- The script's text ----------------------------------------------------------------------------

// The entry lines under every [commands] header, in order, each read by the
// INI reader's own rules but none dropped for its name: a script is a list
// of commands, and the same command may well come twice.
std::vector<std::pair<std::string, std::string>> CommandLines(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> lines;
    bool inCommands = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        StrTrim(line);
        if (line.empty())
            continue;
        if (line[0] == '[') {
            inCommands = StrEqual(StrBeforeAny(line.substr(1), "]"), kCommandsSection, true);
            continue;
        }
        if (!inCommands)
            continue;
        DSettings one;
        DProps entry;
        if (one.Parse(line.c_str()) && one.GetSection("", entry) && entry.Count() > 0)
            lines.emplace_back(StrFromText(entry.GetKeyAt(0)), StrFromText(entry.GetValueAt(0)));
    }
    return lines;
}

// The names of the script's sections, for the line that says [commands] is missing.
std::string SectionNames(const DSettings& script)
{
    std::string names;
    for (int i = 0; i < script.Count(); ++i) {
        const std::string name = script.SectionAt(i)->Name();
        if (name.empty())
            continue;
        if (!names.empty())
            names += ", ";
        names += "[" + name + "]";
    }
    return names.empty() ? std::string("none") : names;
}

// A reason as one line of the log.
std::string OneLine(std::string text)
{
    StrReplaceAll(text, "\r\n", " ");
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// The key's value when the bag has the key, else def.
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
    if (!m_log.Open(logName.c_str(), true)) {
        // A script whose log cannot be written would run unseen: it is not
        // run, and the application's own log says why.
        std::string error = DProps::GetString(m_status, "error");
        if (!error.empty())
            error += "; ";
        m_status.Set("error", (error + "Cannot create the log file " + logName).c_str());
        if (m_errorState == 0)
            m_errorState = -1;
        return false;
    }

    if (m_errorState == 0) {
        m_log.Write(("Script loaded: " + file).c_str());
        if (!m_commandsFound) {
            std::string line;
            StrFormat(line, "The script has no [%s] section, so it runs nothing (its sections: %s)",
                      kCommandsSection, SectionNames(m_script).c_str());
            m_log.Write(line.c_str(), nullptr, "ERR >> ");
        }
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
    m_commandsFound = false;
    m_failed = false;
    m_failedRuns = 0;

    // Windows' own editors write UTF-16 or UTF-8 behind a byte-order mark;
    // anything else holding a zero byte would be read up to that byte, and
    // run a script nobody wrote.
    uint32_t length = 0;
    DAuto<char> bytes(Helper::ReadWholeFile(file.c_str(), &length));
    std::string text;
    TextDecodeResult decoded;
    if (bytes.IsHeld())
        decoded = DecodeTextBytes(bytes.Get(), length, text);
    if (!bytes.IsHeld() || !decoded.Ok() || !m_script.Parse(text.c_str())) {
        std::string error;
        StrFormat(error, PathExistsA(file.c_str()) != 1 ? "Cannot find file: %s" : "Cannot load file: %s",
                  file.c_str());
        if (!decoded.Ok())
            error += ": " + TextDecodeMessage(decoded);
        m_status.Set("error", error.c_str());
        return false;
    }
    m_status.Set("file", file.c_str());

    m_options.Clear();
    m_script.GetSection("options", m_options);
    m_parser.Variables().Clear();
    m_script.GetSection("vars", m_parser.Variables());

    for (const auto& line : CommandLines(text)) {
        if (line.first.empty())
            continue;
        DProps record;
        PropsFromJson(line.second.c_str(), &record, JsonRaw);
        for (int j = 0; j < record.Count(); ++j) {
            const std::string value = m_parser.Expand(record.GetValueAt(j));
            record.SetValueAt(j, value.c_str());
        }
        record.Set("\\command", line.first.c_str());
        m_commands.push_back(std::move(record));
    }
    m_commandsFound = !m_commands.empty();
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
            CollectAnswer(command);
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
    }
    // A finished command that failed, or never wrote its result, does not
    // stop the script; the exit code tells of it. A comment line of the
    // script is run as a command too, but asks for no answer.
    const long outcome = answer == 1 ? result : DProps::GetLong(command, "\\res", -1);
    const bool failed = outcome != 0 && name != kCommentCommand;
    if (failed && answer != 1)
        m_failed = true;

    std::string line;
    StrFormat(line, "Command #%ld finished, params=", static_cast<long>(m_commandIndex) + 1);
    m_log.Write((line + PropsToJson(&command)).c_str());
    if (failed) {
        // Whoever reads the script's log learns why, not only that.
        std::string why = OneLine(DProps::GetString(command, "\\error"));
        if (why.empty() && outcome == -1)
            why = "it gave no result";
        else if (why.empty())
            StrFormat(why, "it ended with the result %ld", outcome);
        StrFormat(line, "Command #%ld \"%s\" failed: %s", static_cast<long>(m_commandIndex) + 1, name.c_str(),
                  why.c_str());
        m_log.Write(line.c_str(), nullptr, "ERR >> ");
    }

    if (result == 0) {
        ++m_commandIndex;
        m_failedRuns = 0;
    }
    return true;
}

void DAutomation::CollectAnswer(DProps& command)
{
    // The application answers on the UI thread, where it holds the request.
    SendHandBack(::GetWindowThreadProcessId(m_window, nullptr), [&command] {
        if (OXRApp* app = GetApp())
            app->CollectAutomationAnswer(command);
    });
}

long DAutomation::ExitCode() const
{
    if (m_errorState == 2)
        return kAutomationExitTimeout;
    if (m_errorState != 0 && m_errorState != 2)
        return kAutomationExitNotLoaded;
    // Commands left over mean the script was stopped short of its end; a
    // script without its [commands] did not do what its writer meant.
    if (m_failed || !m_commandsFound || m_commandIndex < static_cast<int32_t>(m_commands.size()))
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
