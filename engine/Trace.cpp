#include "engine/Trace.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>

namespace {

void SendToDebugger(const char* text)
{
    OutputDebugStringA(text);
}

std::atomic<TraceSink> g_sink{&SendToDebugger};

void Send(const std::string& text)
{
    // The debugger shows nothing for an empty string; keep the sink's view the same.
    if (!text.empty())
        g_sink.load()(text.c_str());
}

} // namespace

TraceSink SetTraceSink(TraceSink sink)
{
    return g_sink.exchange(sink ? sink : &SendToDebugger);
}

void TraceWrite(TraceRecord& record, const char* text, int ending)
{
    record.lastLine = StrFromText(text);
    if (record.lastLine.empty())
        return;
    const bool crlf = ending == -1 ? record.newline : ending != 0;
    // One string per line, so lines of two threads never interleave mid-line.
    Send(crlf ? record.lastLine + "\r\n" : record.lastLine);
}

void TraceRecordF(TraceRecord& record, const char* format, ...)
{
    record.buffer.clear();
    if (format) {
        va_list args;
        va_start(args, format);
        record.buffer = StrFormatV(format, args);
        va_end(args);
    }
    // Written even when empty: the record's last line then says nothing was said.
    TraceWrite(record, record.buffer.c_str(), -1);
}

void TraceF(const char* format, ...)
{
    if (!format)
        return;
    va_list args;
    va_start(args, format);
    const std::string text = StrFormatV(format, args);
    va_end(args);
    TraceRecord record;
    TraceWrite(record, text.c_str(), -1);
}

void TraceText(const char* text, const char* suffix)
{
    TraceRecord record;
    const std::string line = StrFromText(text) + StrFromText(suffix);
    TraceWrite(record, line.c_str(), 0);
}

void TraceLines(const char* text, const char* suffix)
{
    const std::string all = StrFromText(text);
    if (all.empty())
        return;
    const std::string tail = StrFromText(suffix);
    size_t start = 0;
    for (;;) {
        const size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        StrTrim(line, true);
        Send(line);
        Send(tail);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}
