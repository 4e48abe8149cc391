#include "foundation/StrUtil.h"

#include <windows.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(unsigned char c, bool alsoNbsp)
{
    return c <= 32 || (alsoNbsp && c == 0xA0);
}

// Appends the formatted text to out. Two passes: the first into whatever room
// out has spare, the second, when that was too small, into exactly the room
// the text needs. Works whether the runtime's vsnprintf reports the full
// length on overflow (C99) or only -1 (msvcrt's _vsnprintf); in the latter
// case _vscprintf, which formats the same way, gives the length.
// Returns false, leaving out as it was, when the runtime rejects the format.
bool AppendFormattedV(std::string& out, const char* format, va_list args)
{
    const size_t old = out.size();
    size_t room = out.capacity() - old;
    if (room < 256)
        room = 256;
    out.resize(old + room);

    va_list pass;
    va_copy(pass, args);
    int n = vsnprintf(&out[old], room, format, pass);
    va_end(pass);
    if (n >= 0 && static_cast<size_t>(n) < room) {
        out.resize(old + n);
        return true;
    }
    if (n < 0) {
        va_copy(pass, args);
        n = _vscprintf(format, pass);
        va_end(pass);
        if (n < 0) {
            out.resize(old);
            return false;
        }
    }
    // Room for the text and its terminator; the terminator is cut off again.
    out.resize(old + n + 1);
    va_copy(pass, args);
    const int written = vsnprintf(&out[old], n + 1, format, pass);
    va_end(pass);
    if (written != n) {
        out.resize(old);
        return false;
    }
    out.resize(old + n);
    return true;
}

std::string FormatOwned(const char* format, ...) STRUTIL_PRINTF(1, 2);
std::string FormatOwned(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string s = StrFormatV(format, args);
    va_end(args);
    return s;
}

size_t TextLength(const char* text)
{
    return text ? strlen(text) : 0;
}

} // namespace

// ---- Tolerance, rounding and arithmetic -------------------------------------

bool IsAtLeast(double a, double b, double eps)
{
    return a > b || std::fabs(a - b) < eps;
}

bool IsNearZero(double x, double eps)
{
    return std::fabs(x) < eps;
}

bool NumEqual(double a, double b, double eps)
{
    return std::fabs(a - b) < eps;
}

double SafeDivide(double a, double b)
{
    if (b > -Tolerance && b < Tolerance)
        return 0.0;
    return a / b;
}

double SafeDivide(long a, long b)
{
    if (b == 0)
        return 0.0;
    return static_cast<double>(a) / static_cast<double>(b);
}

long RoundToLong(double x)
{
    const double r = x >= 0 ? x + 0.5 : x - 0.5;
    // Out of range (or not a number) the conversion would be undefined.
    if (!(r > static_cast<double>(LONG_MIN) - 1.0))
        return r != r ? 0 : LONG_MIN;
    if (!(r < static_cast<double>(LONG_MAX) + 1.0))
        return LONG_MAX;
    return static_cast<long>(r);
}

void MakePercentages(std::vector<long>& values)
{
    if (values.empty())
        return;
    long long sum = 0;
    for (long v : values)
        sum += v;
    const double total = static_cast<double>(sum);
    long given = 0;
    for (size_t i = 0; i + 1 < values.size(); ++i) {
        values[i] = RoundToLong(SafeDivide(static_cast<double>(values[i]), total) * 100.0);
        given += values[i];
    }
    values.back() = 100 - given;
}

// ---- Numbers to text and back -----------------------------------------------

std::string StrFromLong(long x)
{
    return FormatOwned("%ld", x);
}

std::string StrFromUInt64(uint64_t x)
{
    char digits[24];
    char* p = digits + sizeof(digits);
    *--p = '\0';
    do {
        *--p = static_cast<char>('0' + x % 10);
        x /= 10;
    } while (x != 0);
    return p;
}

std::string StrFromDouble(double x, const char* format)
{
    if (!format)
        return std::string();
    return FormatOwned(format, x);
}

std::string StrFromDoubleCompact(double x)
{
    std::string s = FormatOwned("%f", x);
    // Only a dot stops the trimming: with a comma as decimal point the comma
    // itself is left last ("3,"), which readers of stored files expect.
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.')
        s.pop_back();
    return s;
}

std::string StrFromPointer(const void* p)
{
    // The runtime prints "%p" in lower case; registered keys are upper case.
    static const char hex[] = "0123456789ABCDEF";
    uintptr_t v = reinterpret_cast<uintptr_t>(p);
    std::string s(sizeof(v) * 2, '0');
    for (size_t i = s.size(); i-- > 0; v >>= 4)
        s[i] = hex[v & 0xF];
    return s;
}

void* StrToPointer(const char* text)
{
    void* p = nullptr;
    if (!text || !*text || sscanf(text, "%p", &p) != 1)
        return nullptr;
    return p;
}

long StrToLong(const std::string& s)
{
    return StrToLong(s.c_str());
}

long StrToLong(const char* text)
{
    return (text && *text) ? atoi(text) : 0;
}

double StrToDouble(const std::string& s)
{
    return StrToDouble(s.c_str());
}

double StrToDouble(const char* text)
{
    return (text && *text) ? atof(text) : 0.0;
}

// ---- Building and formatting ------------------------------------------------

std::string StrFromText(const char* text)
{
    return text ? std::string(text) : std::string();
}

std::string StrCopy(const std::string& s)
{
    return std::string(s.c_str());
}

const char* StrCharAt(const std::string& s, long i)
{
    if (i >= 0 && static_cast<size_t>(i) < s.size())
        return s.c_str() + i;
    return s.c_str();
}

char* StrCharAt(std::string& s, long i)
{
    if (i >= 0 && static_cast<size_t>(i) < s.size())
        return &s[i];
    return &s[0];
}

std::string StrFormatV(const char* format, va_list args)
{
    std::string s;
    if (format)
        AppendFormattedV(s, format, args);
    return s;
}

std::string& StrAppendFormatV(std::string& out, const char* format, va_list args)
{
    // Formatted apart first: an argument may be out's own text.
    if (format)
        out += StrFormatV(format, args);
    return out;
}

std::string& StrFormat(std::string& out, const char* format, ...)
{
    if (!format)
        return out;
    va_list args;
    va_start(args, format);
    std::string s = StrFormatV(format, args);
    va_end(args);
    out.swap(s);
    return out;
}

std::string& StrAppendFormat(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StrAppendFormatV(out, format, args);
    va_end(args);
    return out;
}

std::string StrFormatStatic(const char* format, ...)
{
    // The result is a new string anyway, so there is no shared buffer for
    // the calculations that format in parallel to trample.
    std::string buffer;
    if (!format)
        return std::string();
    va_list args;
    va_start(args, format);
    AppendFormattedV(buffer, format, args);
    va_end(args);
    return buffer;
}

long FormatBuffer1024(char* buffer, const char* format, ...)
{
    if (!buffer || !format)
        return 0;
    va_list args;
    va_start(args, format);
    const std::string s = StrFormatV(format, args);
    va_end(args);
    const size_t n = s.size() < 1023 ? s.size() : 1023;
    memcpy(buffer, s.data(), n);
    buffer[n] = '\0';
    return static_cast<long>(n);
}

// ---- Comparing, searching and cutting -----------------------------------------

bool StrEqual(const std::string& s, const char* text, bool ignoreCase)
{
    if (!text || strlen(text) != s.size())
        return false;
    if (ignoreCase)
        return _stricmp(s.c_str(), text) == 0;
    return memcmp(s.data(), text, s.size()) == 0;
}

bool StrStartsWithDollar(const std::string& s)
{
    return !s.empty() && s[0] == '$';
}

std::string& StrInsert(long position, std::string& s, const char* text)
{
    if (!text)
        return s;
    if (position < 0 || static_cast<size_t>(position) >= s.size())
        s.append(text);
    else
        s.insert(static_cast<size_t>(position), text);
    return s;
}

std::string StrMid(const std::string& s, long start, long count)
{
    if (start < 0)
        start = 0;
    const size_t from = static_cast<size_t>(start);
    if (from >= s.size())
        return std::string();
    if (count < 0 || static_cast<size_t>(count) > s.size() - from)
        return s.substr(from);
    return s.substr(from, static_cast<size_t>(count));
}

std::string StrSlice(const std::string& s, long first, long last)
{
    if (first < 0)
        first = 0;
    if (last < 0)
        last = static_cast<long>(s.size()) - 1;
    // A range that ends before it begins holds nothing (a negative count
    // would make StrMid take the whole rest).
    if (last < first)
        return std::string();
    return StrMid(s, first, last - first + 1);
}

std::string StrBeforeAny(const std::string& s, const char* characters, bool first)
{
    if (!characters || !*characters)
        return std::string();
    const size_t pos = first ? s.find_first_of(characters) : s.find_last_of(characters);
    if (pos == std::string::npos)
        return s;
    return s.substr(0, pos);
}

std::string StrAfterAny(const std::string& s, const char* characters, bool first)
{
    if (!characters || !*characters)
        return std::string();
    const size_t pos = first ? s.find_first_of(characters) : s.find_last_of(characters);
    if (pos == std::string::npos)
        return std::string();
    return s.substr(pos + 1);
}

std::string& StrTrim(std::string& s, bool rightOnly, bool alsoNbsp)
{
    size_t end = s.size();
    while (end > 0 && IsBlank(static_cast<unsigned char>(s[end - 1]), alsoNbsp))
        --end;
    s.erase(end);
    if (!rightOnly) {
        size_t begin = 0;
        while (begin < s.size() && IsBlank(static_cast<unsigned char>(s[begin]), alsoNbsp))
            ++begin;
        s.erase(0, begin);
    }
    return s;
}

std::string& StrDropUtf8Bom(std::string& s)
{
    if (s.compare(0, 3, "\xEF\xBB\xBF") == 0)
        s.erase(0, 3);
    return s;
}

long StrReplaceAll(std::string& s, const char* what, const char* with)
{
    if (s.empty() || !what || !*what)
        return 0;
    if (!with)
        with = "";
    if (strcmp(what, with) == 0)
        return 0;
    const size_t whatLen = strlen(what);
    const size_t withLen = strlen(with);
    long count = 0;
    size_t pos = 0;
    while ((pos = s.find(what, pos, whatLen)) != std::string::npos) {
        s.replace(pos, whatLen, with, withLen);
        pos += withLen;
        ++count;
    }
    return count;
}

namespace {

// The token of s that starts at cursor: returns where it ends and sets next to
// where the following one starts (s.size() when none does). An empty
// separator never matches: the whole rest is one token (matching everywhere
// would give endless empty tokens). With skipQuoted, separators between double
// quotes do not split.
size_t TokenEnd(const std::string& s, size_t cursor, const char* separator, size_t sepLen, bool skipQuoted,
                size_t& next)
{
    const size_t len = s.size();
    if (!skipQuoted) {
        const size_t found = sepLen > 0 ? s.find(separator, cursor, sepLen) : std::string::npos;
        next = found == std::string::npos ? len : found + sepLen;
        return found == std::string::npos ? len : found;
    }
    while (cursor < len) {
        if (s[cursor] == '"') {
            const size_t close = s.find('"', cursor + 1);
            cursor = close == std::string::npos ? len : close + 1;
            continue;
        }
        if (sepLen > 0 && s.compare(cursor, sepLen, separator) == 0) {
            next = cursor + sepLen;
            return cursor;
        }
        ++cursor;
    }
    next = len;
    return len;
}

} // namespace

bool StrToken(const std::string& s, std::string& out, long n, const char* separator,
              bool trim, bool skipQuoted)
{
    if (s.empty() || !separator)
        return false;
    if (n < 0) {
        out.clear();
        return false;
    }
    const size_t sepLen = strlen(separator);
    size_t cursor = 0;
    for (long k = 0;; ++k) {
        if (cursor >= s.size()) {
            out.clear();
            return false;
        }
        const size_t start = cursor;
        const size_t end = TokenEnd(s, start, separator, sepLen, skipQuoted, cursor);
        if (k == n) {
            out.assign(s, start, end - start);
            if (trim)
                StrTrim(out);
            return true;
        }
    }
}

std::string StrField(const std::string& s, const char* separator, long n)
{
    if (s.empty() || !separator || !*separator || n < 0)
        return std::string();
    const size_t sepLen = strlen(separator);
    size_t pos = 0;
    for (long k = 0; k < n; ++k) {
        const size_t found = s.find(separator, pos, sepLen);
        if (found == std::string::npos)
            return std::string();
        pos = found + sepLen;
    }
    const size_t next = s.find(separator, pos, sepLen);
    return next == std::string::npos ? s.substr(pos) : s.substr(pos, next - pos);
}

std::string StrEscapeChars(const std::string& s, const char* characters, const char* marker)
{
    if (!characters || !*characters)
        return s;
    if (!marker || !*marker)
        marker = "&";
    std::string set(characters);
    // The marker is always escaped, or unescaping could not tell it apart.
    if (!strstr(characters, marker))
        set += marker;
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != '\0' && set.find(c) != std::string::npos) {
            out += marker;
            out += std::to_string(static_cast<long>(static_cast<signed char>(c)));
            out += marker;
        } else {
            out += c;
        }
    }
    return out;
}

std::string StrUnescapeChars(const std::string& s, const char* marker)
{
    if (!marker || !*marker)
        marker = "&";
    const size_t markLen = strlen(marker);
    const size_t len = s.size();
    std::string out;
    out.reserve(len);
    size_t i = 0;
    while (i < len) {
        if (s[i] != marker[0]) {
            out += s[i++];
            continue;
        }
        // The number starts after the whole marker where it stands there in
        // full, so markers of more than one character read back as well.
        const size_t numStart = s.compare(i, markLen, marker) == 0 ? i + markLen : i + 1;
        const size_t close = s.find(marker, numStart, markLen);
        const size_t numEnd = close == std::string::npos ? len : close;
        const std::string number = s.substr(numStart, numEnd - numStart);
        const char byte = static_cast<char>(atoi(number.c_str()) & 0xFF);
        if (byte != '\0')
            out += byte;
        // Without a closing marker only the opening one is dropped; the rest
        // is read as ordinary text.
        i = close == std::string::npos ? numStart : close + markLen;
    }
    return out;
}

std::string RowLetter(long n)
{
    char c;
    if (n >= 0 && n <= 25)
        c = static_cast<char>('a' + n);
    else if (n >= 26 && n <= 51)
        c = static_cast<char>('A' + (n - 26));
    else if (n >= 52 && n <= 61)
        c = static_cast<char>('0' + (n - 52));
    else if (n >= 62 && n <= 124)
        c = static_cast<char>(0xC0 + (n - 62));
    else
        c = '*';
    return std::string(1, c);
}

// ---- Lists of strings ---------------------------------------------------------

long StrListFind(const std::vector<std::string>& list, const char* text)
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (StrEqual(list[i], text, true))
            return static_cast<long>(i);
    }
    return -1;
}

long StrSplit(const std::string& text, std::vector<std::string>& list, const char* separator,
              bool trim, bool skipQuoted)
{
    // The tokens of StrToken in one pass: long texts (a whole imported file
    // split into lines, a setting of thousands of names) must not be rescanned
    // from the start for every token.
    if (text.empty() || !separator)
        return 0;
    const size_t sepLen = strlen(separator);
    long count = 0;
    for (size_t cursor = 0; cursor < text.size();) {
        const size_t start = cursor;
        const size_t end = TokenEnd(text, start, separator, sepLen, skipQuoted, cursor);
        list.emplace_back(text, start, end - start);
        if (trim)
            StrTrim(list.back());
        ++count;
    }
    return count;
}

std::string StrJoin(const std::vector<std::string>& list, const char* separator)
{
    if (!separator)
        separator = ";";
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            out += separator;
        out += list[i];
    }
    return out;
}

// ---- Narrow and wide text -----------------------------------------------------

wchar_t* TextToWide(wchar_t* buffer, const char* text, unsigned codePage)
{
    if (!text)
        return nullptr;
    const size_t len = TextLength(text);
    wchar_t* out = buffer;
    if (!out) {
        out = static_cast<wchar_t*>(calloc(len + 1, sizeof(wchar_t)));
        if (!out)
            return nullptr;
    }
    // No code page turns n bytes into more than n wide characters.
    const int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(len), out,
                                      static_cast<int>(len));
    out[n > 0 ? n : 0] = L'\0';
    return out;
}

char* WideToText(char* buffer, unsigned codePage, const wchar_t* wide)
{
    if (!wide)
        return nullptr;
    // The size the conversion reports, for the ANSI code page too: it is the
    // wide length + 1 in a single-byte code page and no overrun in another.
    const int size = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    const size_t room = size > 0 ? static_cast<size_t>(size) : 1;
    char* out = buffer;
    if (!out) {
        out = static_cast<char*>(calloc(room, 1));
        if (!out)
            return nullptr;
    }
    const int n = WideCharToMultiByte(codePage, 0, wide, -1, out, static_cast<int>(room), nullptr,
                                      nullptr);
    if (n <= 0)
        out[0] = '\0';
    return out;
}
