// The engine's debug trace: progress lines for an attached debugger, sent with
// OutputDebugStringA and nowhere else.
#pragma once

#include "foundation/StrUtil.h"

#include <string>

// One trace channel: the solver and each finder keep their own, so that the
// last line each of them wrote can be looked at afterwards.
struct TraceRecord {
    // A line written with the default ending gets "\r\n".
    bool newline = true;
    // The most recent text written through this record (without its ending).
    std::string lastLine;
    // Where TraceRecordF formats; grows with the text, so nothing is ever cut.
    std::string buffer;
};

// Where trace text goes. The default hands it to OutputDebugStringA; tests put
// their own sink in its place to see what would reach the debugger. Returns the
// sink that was in place. A null sink restores the default.
using TraceSink = void (*)(const char* text);
TraceSink SetTraceSink(TraceSink sink);

// Stores text as the record's last line and sends it with its ending; an empty
// text sends nothing. ending: -1 the record's newline flag, 0 none, else "\r\n".
void TraceWrite(TraceRecord& record, const char* text, int ending = -1);
// printf-style into the record's buffer, then TraceWrite with the default
// ending. A null format empties the buffer, sends nothing and leaves the empty
// text as the last line.
void TraceRecordF(TraceRecord& record, const char* format, ...) STRUTIL_PRINTF(2, 3);
// printf-style through a fresh record, so the line always ends with "\r\n".
void TraceF(const char* format, ...) STRUTIL_PRINTF(1, 2);
// The text followed by the suffix, sent as one string through a fresh record;
// the suffix is the caller's line ending, no other is added.
void TraceText(const char* text, const char* suffix);
// Each "\n"-separated line of text, trimmed on the right, followed by the
// suffix when the suffix is not empty.
void TraceLines(const char* text, const char* suffix);
