#include "foundation/ULog.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>

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

} // namespace

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
