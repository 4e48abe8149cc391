#include "foundation/ULog.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

namespace {

std::string DateTimeText(const char* datePattern, const char* timePattern)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string text;
    char part[256];
    if (datePattern) {
        if (GetDateFormatA(LOCALE_USER_DEFAULT, 0, &now, *datePattern ? datePattern : "yyyy.MM.dd", part,
                           sizeof part) > 0)
            text = part;
    }
    if (!timePattern)
        return text;
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, *timePattern ? timePattern : "HH:mm:ss", part,
                       sizeof part) <= 0)
        return text;
    if (!text.empty())
        text += ' ';
    text += part;
    return text;
}

// Every instance of the program that writes one log file finds the file's
// end and writes there under this lock, a byte range of the file far past
// any end it will reach; the system frees it when the holder ends, even by
// being killed. Within one process the log's own lock comes first.
class FileWriteLock {
public:
    explicit FileWriteLock(HANDLE file) : m_file(file)
    {
        m_range.OffsetHigh = 0x40000000;
        m_locked = LockFileEx(m_file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &m_range) != FALSE;
    }
    ~FileWriteLock()
    {
        if (m_locked)
            UnlockFileEx(m_file, 0, 1, 0, &m_range);
    }
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;

private:
    HANDLE m_file;
    OVERLAPPED m_range = {};
    bool m_locked = false;
};

} // namespace

// ---------------------------------------------------------------------------
// ULog

ULog::ULog() : m_dateFormat("yyyy.MM.dd"), m_timeFormat("HH:mm:ss"), m_defaultPrefix("   ")
{
}

ULog::~ULog()
{
    Close();
}

bool ULog::Open(const char* path, bool createNew)
{
    Close();
    if (!path)
        return false;
    m_defaultPrefix = "";

    UWString widePath;
    widePath.SetA(path);
    // Another instance of the program writes the same log: the file is
    // shared for writing, and every write goes to its end as it is then.
    m_file = CreateFileW(widePath.GetW(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, createNew ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file != INVALID_HANDLE_VALUE) {
        FileWriteLock lock(m_file);
        LARGE_INTEGER zero = {};
        LARGE_INTEGER end = {};
        SetFilePointerEx(m_file, zero, &end, FILE_END);
        // Emptying a grown log bounds its size without any rotation.
        if (end.QuadPart >= MaxSize) {
            SetFilePointerEx(m_file, zero, nullptr, FILE_BEGIN);
            SetEndOfFile(m_file);
        }
    }
    m_fileName = path;
    m_enabled = true;
    return IsOpen();
}

void ULog::Close()
{
    if (m_file != INVALID_HANDLE_VALUE)
        CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

int32_t ULog::WriteBytes(const char* text, size_t length)
{
    // The end as it is now: another instance may have written meanwhile.
    FileWriteLock lock(m_file);
    LARGE_INTEGER zero = {};
    SetFilePointerEx(m_file, zero, nullptr, FILE_END);
    DWORD written = 0;
    if (!WriteFile(m_file, text, static_cast<DWORD>(length), &written, nullptr))
        return 0;
    return static_cast<int32_t>(written);
}

int32_t ULog::WriteRaw(const char* text, bool newline)
{
    if (m_level <= 0 || !IsOpen())
        return 0;
    m_lock.Lock();
    if (m_atLineStart)
        WriteTimestamp();
    int32_t result = 0;
    if (text && *text)
        result = WriteBytes(text, std::strlen(text));
    if (newline)
        result = WriteBytes("\r\n", 2);
    m_atLineStart = newline;
    m_lock.Unlock();
    return result;
}

std::string ULog::Stamp() const
{
    if (m_timeFormat.IsEmpty())
        return std::string();
    return DateTimeText(m_dateFormat.GetText(), m_timeFormat.GetText()) + ' ';
}

int32_t ULog::WriteTimestamp()
{
    if (m_timeFormat.IsEmpty() || !IsOpen())
        return 0;
    m_lock.Lock();
    const std::string stamp = Stamp();
    const int32_t result = WriteBytes(stamp.data(), stamp.size());
    m_lock.Unlock();
    return result;
}

int32_t ULog::Write(const char* text, const char* suffix, const char* prefix)
{
    if (m_level <= 0 || !m_enabled)
        return 0;
    const bool hasText = text && *text;
    const bool hasSuffix = suffix && *suffix;
    if (!hasText && !hasSuffix) {
        // The line stays open after its prefix for the next write.
        WriteRaw(prefix ? prefix : m_defaultPrefix.GetText(), false);
        return 0;
    }
    if (!IsOpen())
        return 0;
    // The whole line goes out in one write under the lock, so that lines
    // written by different threads, or by another instance of the program,
    // never interleave.
    m_lock.Lock();
    std::string line;
    if (m_atLineStart)
        line = Stamp();
    line += prefix ? prefix : m_defaultPrefix.GetText();
    if (hasText)
        line += text;
    if (hasSuffix)
        line += suffix;
    line += "\r\n";
    const int32_t written = WriteBytes(line.data(), line.size());
    m_atLineStart = true;
    m_lock.Unlock();
    // What the line end alone would have reported.
    return written == static_cast<int32_t>(line.size()) ? 2 : 0;
}

int32_t ULog::WriteText(ULog* log, const char* text, const char* prefix)
{
    return log ? log->Write(text, nullptr, prefix) : 0;
}

// ---------------------------------------------------------------------------
// Time functions

uint64_t TimeNowMs()
{
    // Every thread that finds no frequency stores the same value, so the
    // cache needs no lock.
    static std::atomic<int64_t> frequency{0};
    int64_t perSecond = frequency.load(std::memory_order_relaxed);
    if (perSecond == 0) {
        LARGE_INTEGER value;
        if (!QueryPerformanceFrequency(&value) || value.QuadPart == 0)
            return 0;
        perSecond = value.QuadPart;
        frequency.store(perSecond, std::memory_order_relaxed);
    }
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(static_cast<double>(counter.QuadPart) * (1000.0 / static_cast<double>(perSecond)));
}


char* FormatDateTime(const char* datePattern, const char* timePattern, char* buffer, size_t size)
{
    if (!buffer)
        return nullptr;
    if (size == 0)
        return buffer;
    const std::string text = DateTimeText(datePattern, timePattern);
    const size_t count = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return buffer;
}
