// The program's append-only text log and the time functions beside it: the
// millisecond clock behind every timeout and stopwatch, and the log's stamp.
#pragma once

#include "foundation/DLock.h"
#include "foundation/UString.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Append-only log file. Every line starts with the local date and time, then
// the caller's prefix ("ERR >> " for errors), the text and an optional suffix.
// Written from several threads, and by every instance of the program: each
// line goes out whole, in one write at the end of the file as it is then,
// under the log's own lock and a lock of the file that every instance takes.
// A file that has grown to 256 KB is emptied when it is opened.
class ULog {
public:
    // A file of this size or more is emptied by Open.
    static constexpr int64_t MaxSize = 262144;

    ULog();
    virtual ~ULog();

    ULog(const ULog&) = delete;
    ULog& operator=(const ULog&) = delete;

    // Closes the current file, then opens path (ANSI) for appending; with
    // createNew the file starts empty. False when the file could not be
    // opened; the log then stays closed and writes do nothing. Not to be
    // called while other threads write.
    bool Open(const char* path, bool createNew);
    void Close();

    // Writes the text (time stamp first at the start of a line), then a line
    // end when asked. Returns the bytes of the last of those two writes.
    int32_t WriteRaw(const char* text, bool newline);
    // The date and time and one blank; nothing while the time format is empty.
    int32_t WriteTimestamp();
    // One line: prefix (null: the default prefix), text, suffix, line end.
    // An empty text without suffix leaves the line open after the prefix for
    // the next write to continue.
    int32_t Write(const char* text, const char* suffix = nullptr, const char* prefix = nullptr);
    // Write of a text without suffix on the given log (null: nothing).
    static int32_t WriteText(ULog* log, const char* text, const char* prefix = nullptr);

    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
    const char* GetFileName() const { return m_fileName.GetText(); }
    // Nothing is written while the level is 0 or below.
    int32_t GetLevel() const { return m_level; }
    void SetLevel(int32_t level) { m_level = level; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    const char* DateFormat() const { return m_dateFormat.GetText(); }
    void SetDateFormat(const char* format) { m_dateFormat = format; }
    // An empty time format turns the time stamp off.
    const char* TimeFormat() const { return m_timeFormat.GetText(); }
    void SetTimeFormat(const char* format) { m_timeFormat = format; }
    const char* GetDefaultPrefix() const { return m_defaultPrefix.GetText(); }
    void SetDefaultPrefix(const char* prefix) { m_defaultPrefix = prefix; }

private:
    int32_t WriteBytes(const char* text, size_t length);
    // The time stamp and its blank; empty while the time format is empty.
    std::string Stamp() const;

    HANDLE m_file = INVALID_HANDLE_VALUE;
    UString m_fileName;
    int32_t m_level = 1;
    bool m_atLineStart = true;
    UString m_dateFormat;
    UString m_timeFormat;
    ULock m_lock;
    bool m_enabled = true;
    UString m_defaultPrefix;
};

// Milliseconds from the high-resolution counter; only differences mean
// anything. 0 on a machine without such a counter.
uint64_t TimeNowMs();

// The current local time in the user's default locale: the date (a null
// pattern leaves it out, an empty one means "yyyy.MM.dd"), then a blank and
// the time (a null pattern leaves it out, an empty one means "HH:mm:ss").
// Writes at most size bytes, terminator included; returns the buffer, or null
// when none is given.
char* FormatDateTime(const char* datePattern, const char* timePattern, char* buffer, size_t size);
