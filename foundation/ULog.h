// The program's append-only text log and the time functions beside it: the
// millisecond clock behind every timeout and stopwatch, and the log's stamp.
#pragma once

#include <cstddef>
#include <cstdint>

// Milliseconds from the high-resolution counter; only differences mean
// anything. 0 on a machine without such a counter.
uint64_t TimeNowMs();

// The current local time in the user's default locale: the date (a null
// pattern leaves it out, an empty one means "yyyy.MM.dd"), then a blank and
// the time (a null pattern leaves it out, an empty one means "HH:mm:ss").
// Writes at most size bytes, terminator included; returns the buffer, or null
// when none is given.
char* FormatDateTime(const char* datePattern, const char* timePattern, char* buffer, size_t size);
