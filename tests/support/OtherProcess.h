// Another process of the test's own, for what names a process by its id and
// start: a short run of the test executable that has ended, or one held
// suspended while the test needs it running. Its guard text, as the printer
// enumeration writes one for a query of that process.
#pragma once

#include <windows.h>

#include <string>

struct OtherProcess {
    unsigned long id = 0;
    unsigned long long started = 0;  // creation time, FILETIME as a number
    HANDLE handle = nullptr;         // only while it runs

    // Ended, or held running until End.
    static OtherProcess Start(bool keepRunning)
    {
        char self[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string command = std::string("\"") + self + "\" --gtest_list_tests --gtest_filter=None";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        OtherProcess other;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, keepRunning ? CREATE_SUSPENDED : 0,
                            nullptr, nullptr, &si, &pi))
            return other;
        CloseHandle(pi.hThread);
        FILETIME created, exited, kernel, user;
        GetProcessTimes(pi.hProcess, &created, &exited, &kernel, &user);
        other.id = pi.dwProcessId;
        other.started = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        if (keepRunning) {
            other.handle = pi.hProcess;
        } else {
            WaitForSingleObject(pi.hProcess, 20000);
            CloseHandle(pi.hProcess);
        }
        return other;
    }

    // Ends the process held running.
    void End()
    {
        if (!handle)
            return;
        TerminateProcess(handle, 0);
        WaitForSingleObject(handle, 20000);
        CloseHandle(handle);
        handle = nullptr;
    }

    // The guard of a query of printer by this process, extra lines after it.
    std::string GuardText(const std::string& printer, const std::string& extra = std::string()) const
    {
        return "printer=" + printer + "\r\nprocess=" + std::to_string(id) + "\r\nstarted=" + std::to_string(started) +
               "\r\nat=2024.05.06 07:08:09\r\n" + extra;
    }
};
