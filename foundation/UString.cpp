#include "foundation/UString.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>

namespace {

bool IsBlankByte(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// Whether p points into [begin, end]; ordered with std::less because the
// pointers may belong to unrelated blocks.
bool PointsInto(const char* p, const char* begin, const char* end)
{
    std::less<const char*> before;
    return begin && !before(p, begin) && !before(end, p);
}

void UpperAscii(std::string& s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
}

} // namespace

// ---- Construction, assignment and comparison ----------------------------------

UString::UString() = default;

UString::UString(const UString& other)
{
    *this = other;
}

UString::UString(UString&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity),
      m_growStep(other.m_growStep)
{
    other.m_data = nullptr;
    other.m_length = 0;
    other.m_capacity = 0;
}

UString::UString(const char* text)
{
    Assign(text);
}

UString::UString(long value)
{
    Format("%ld", value);
}

UString::UString(double value)
{
    // Whole, however long: "%.5f" of 1e300 is 307 characters.
    Assign(StrFromDouble(value, "%.5f").c_str());
}

UString::~UString()
{
    free(m_data);
}

UString UString::Concat(const char* text, ...)
{
    UString result;
    va_list args;
    va_start(args, text);
    for (const char* t = text; t && *t; t = va_arg(args, const char*))
        result.Append(t);
    va_end(args);
    return result;
}

void UString::FreeBuffer()
{
    free(m_data);
    m_data = nullptr;
    m_length = 0;
    m_capacity = 0;
}

UString& UString::operator=(const UString& other)
{
    if (m_data == other.m_data)
        return *this;
    return Assign(other.m_data);
}

UString& UString::operator=(UString&& other) noexcept
{
    if (this != &other) {
        free(m_data);
        m_data = other.m_data;
        m_length = other.m_length;
        m_capacity = other.m_capacity;
        other.m_data = nullptr;
        other.m_length = 0;
        other.m_capacity = 0;
    }
    return *this;
}

UString& UString::operator=(const char* text)
{
    if (text && PointsInto(text, m_data, m_data + m_length))
        return *this;
    return Assign(text);
}

UString& UString::Assign(const char* text)
{
    // Kept safe for the string's own text as well, though callers should not rely on it.
    std::string own;
    if (text && PointsInto(text, m_data, m_data + m_capacity)) {
        own = text;
        text = own.c_str();
    }
    FreeBuffer();
    if (!text || !*text)
        return *this;
    const size_t len = strlen(text);
    if (len > static_cast<size_t>(MaxText) || !Reserve(static_cast<long>(len)))
        return *this;
    memcpy(m_data, text, len);
    m_length = static_cast<long>(len);
    return *this;
}

UString& UString::operator+=(const UString& other)
{
    return Append(other.m_data, other.m_length);
}

UString& UString::Append(const char* text, long n)
{
    Write(n, text, m_length);
    return *this;
}

bool UString::operator==(const UString& other) const
{
    if (IsEmpty() || other.IsEmpty() || !m_data || !other.m_data)
        return false;
    if (m_data == other.m_data)
        return true;
    return m_length == other.m_length && memcmp(m_data, other.m_data, m_length) == 0;
}

bool UString::operator<(const UString& other) const
{
    const bool mine = m_data && m_length > 0;
    const bool theirs = other.m_data && other.m_length > 0;
    if (!mine)
        return theirs;
    if (!theirs)
        return false;
    // memcmp compares unsigned bytes, as strcmp does.
    const long common = m_length < other.m_length ? m_length : other.m_length;
    const int c = memcmp(m_data, other.m_data, common);
    if (c != 0)
        return c < 0;
    return m_length < other.m_length;
}

// ---- Buffer and editing -------------------------------------------------------

bool UString::Reserve(long n)
{
    if (n <= 0 || n > MaxText)
        return false;
    if (n < m_capacity)
        return true;
    // The smallest capacity in whole grow steps above n.
    const long capacity = m_capacity + ((n - m_capacity) / m_growStep + 1) * m_growStep;
    char* block = static_cast<char*>(calloc(capacity, 1));
    if (!block)
        return false;
    if (m_data)
        memcpy(block, m_data, m_length);
    free(m_data);
    m_data = block;
    m_capacity = capacity;
    return true;
}

long UString::AllocBuffer(long n)
{
    FreeBuffer();
    if (n < 1 || !Reserve(n))
        return 0;
    memset(m_data, 0, m_capacity);
    return n;
}

char* UString::Write(long n, const char* text, long position)
{
    return Put(n, text, position, false);
}

char* UString::Insert(long n, const char* text, long position)
{
    return Put(n, text, position, true);
}

char* UString::Put(long n, const char* text, long position, bool insert)
{
    if (!text || position < 0)
        return m_data;
    if (n < 0)
        n = static_cast<long>(strlen(text));
    if (position > m_length)
        position = m_length;
    if (n == 0)
        return m_data;
    const long end = position + n;
    const long length = insert ? m_length + n : (end > m_length ? end : m_length);
    if (length > MaxText)
        return nullptr;
    // The text may be this string's own, and growing or moving the rest
    // right would change it under our feet.
    std::string own;
    if (PointsInto(text, m_data, m_data + m_capacity)) {
        own.assign(text, n);
        text = own.data();
    }
    if (!Reserve(length))
        return nullptr;
    if (insert)
        memmove(m_data + end, m_data + position, m_length - position);
    memcpy(m_data + position, text, n);
    m_length = length;
    m_data[m_length] = '\0';
    return m_data;
}

long UString::Delete(long count, long position)
{
    if (!m_data || position < 0 || position >= m_length || count == 0)
        return m_length;
    if (count < 0 || count > m_length - position)
        count = m_length - position;
    memmove(m_data + position, m_data + position + count, m_length - position - count);
    m_length -= count;
    // The bytes past the text stay zero.
    memset(m_data + m_length, 0, count);
    return m_length;
}

UString& UString::Format(const char* format, ...)
{
    if (!format)
        return *this;
    va_list args;
    va_start(args, format);
    // Formatted apart first, so an argument may be this string's own text.
    const std::string text = StrFormatV(format, args);
    va_end(args);
    return Assign(text.c_str());
}

UString& UString::Trim(bool rightOnly)
{
    if (!m_data || m_length == 0)
        return *this;
    long end = m_length;
    while (end > 0 && IsBlankByte(m_data[end - 1]))
        --end;
    if (end == 0) {
        // Blanks only: trimmed away on both sides, kept when only the right is trimmed.
        if (!rightOnly)
            Delete(-1, 0);
        return *this;
    }
    Delete(-1, end);
    if (!rightOnly) {
        long begin = 0;
        while (begin < m_length && IsBlankByte(m_data[begin]))
            ++begin;
        Delete(begin, 0);
    }
    return *this;
}

UString& UString::MakeUpper()
{
    for (long i = 0; i < m_length; ++i) {
        if (m_data[i] >= 'a' && m_data[i] <= 'z')
            m_data[i] = static_cast<char>(m_data[i] - 'a' + 'A');
    }
    return *this;
}

long UString::Reverse()
{
    long swaps = 0;
    for (long i = 0, j = m_length - 1; i < j; ++i, --j, ++swaps) {
        const char c = m_data[i];
        m_data[i] = m_data[j];
        m_data[j] = c;
    }
    return swaps;
}

long UString::ReplaceAll(const char* what, const char* with)
{
    if (!m_data || m_length == 0 || !what || !*what)
        return 0;
    if (!with)
        with = "";
    // Inserted text is never searched again, so scanning the old text left to
    // right and building the new one apart gives the same result in one pass.
    const std::string text(m_data, m_length);
    const size_t whatLen = strlen(what);
    std::string result;
    long count = 0;
    size_t pos = 0;
    for (size_t found; (found = text.find(what, pos, whatLen)) != std::string::npos;
         pos = found + whatLen) {
        result.append(text, pos, found - pos);
        result += with;
        ++count;
    }
    if (count == 0)
        return 0;
    result.append(text, pos, std::string::npos);
    // Growing past the largest text leaves the string as it was.
    if (result.size() > static_cast<size_t>(MaxText))
        return 0;
    Assign(result.c_str());
    return count;
}

// ---- Reading ------------------------------------------------------------------

bool UString::HasText(bool trim) const
{
    if (!m_data || m_length <= 0)
        return false;
    if (!trim)
        return true;
    for (long i = 0; i < m_length; ++i) {
        if (!IsBlankByte(m_data[i]))
            return true;
    }
    return false;
}

char* UString::CharAt(long i)
{
    if (!m_data)
        return nullptr;
    return (i >= 0 && i < m_capacity) ? m_data + i : m_data;
}

const char* UString::CharAt(long i) const
{
    return const_cast<UString*>(this)->CharAt(i);
}

long UString::ToLong() const
{
    return (m_data && m_length > 0) ? atoi(m_data) : 0;
}

UString UString::Mid(long start, long count) const
{
    UString result;
    if (start < 0)
        start = 0;
    if (!m_data || count == 0 || start >= m_length)
        return result;
    if (count < 0 || count > m_length - start)
        count = m_length - start;
    result.Write(count, m_data + start, 0);
    return result;
}

long UString::CopyRange(const UString& source, long first, long last)
{
    const long length = source.m_length;
    if (first < 0)
        first = 0;
    if (last < 0 || last >= length)
        last = length - 1;
    const std::string range = (source.m_data && first < length && last >= first)
                                  ? std::string(source.m_data + first, last - first + 1)
                                  : std::string();
    Assign(range.c_str());
    return last - first + 1;
}

long UString::Find(const char* pattern, long start, bool matchCase) const
{
    if (!m_data || !pattern || !*pattern)
        return -1;
    if (start < 0 || start >= m_length)
        return -2;
    const char* from = m_data + start;
    if (matchCase) {
        const char* hit = strstr(from, pattern);
        return hit ? static_cast<long>(hit - from) : -1;
    }
    std::string text(from);
    std::string what(pattern);
    UpperAscii(text);
    UpperAscii(what);
    const size_t hit = text.find(what);
    return hit == std::string::npos ? -1 : static_cast<long>(hit);
}

long UString::ReverseFind(const char* pattern, bool matchCase) const
{
    if (!m_data || m_length == 0 || !pattern || !*pattern)
        return -1;
    std::string text(m_data, m_length);
    std::string what(pattern);
    if (!matchCase) {
        UpperAscii(text);
        UpperAscii(what);
    }
    const size_t hit = text.rfind(what);
    return hit == std::string::npos ? -1 : static_cast<long>(hit);
}

bool UString::GetToken(long n, const char* separator, UString& out) const
{
    // out may be this string itself: the token is taken apart before out changes.
    std::string token;
    bool ok = false;
    if (m_data && m_length > 0 && separator && *separator && n >= 0) {
        const long sepLen = static_cast<long>(strlen(separator));
        long p = 0;
        ok = true;
        for (long i = 0; i < n && ok; ++i) {
            const long f = p < m_length ? Find(separator, p, true) : -1;
            if (f < 0)
                ok = false;
            else
                p += f + sepLen;
        }
        if (ok) {
            const long f = p < m_length ? Find(separator, p, true) : -1;
            const long end = f < 0 ? m_length : p + f;
            token.assign(m_data + p, end - p);
        }
    }
    out.Assign(token.c_str());
    return ok;
}

UString UString::Token(long n, const char* separator) const
{
    UString token;
    GetToken(n, separator, token);
    return token;
}

bool UString::IsEqual(const char* pattern, long n, bool matchCase) const
{
    if (!m_data || !pattern)
        return false;
    bool blanksOnly = true;
    for (const char* p = pattern; *p && blanksOnly; ++p)
        blanksOnly = IsBlankByte(*p);
    if (blanksOnly)
        return false;
    const long patternLength = static_cast<long>(strlen(pattern));
    if (n < 0)
        n = m_length > patternLength ? m_length : patternLength;
    if (matchCase)
        return n > 0 && strncmp(m_data, pattern, n) == 0;
    if (n >= m_length)
        return _stricmp(m_data, pattern) == 0;
    const std::string head(m_data, n);
    return _stricmp(head.c_str(), pattern) == 0;
}

// ---- UWString -------------------------------------------------------------------

namespace {

wchar_t* CopyWide(const wchar_t* wide, size_t length)
{
    wchar_t* copy = static_cast<wchar_t*>(calloc(length + 1, sizeof(wchar_t)));
    if (copy)
        wmemcpy(copy, wide, length);
    return copy;
}

} // namespace

UWString::UWString(const wchar_t* wide)
{
    SetW(wide);
}

UWString::UWString(const UWString& other)
{
    *this = other;
}

UWString::~UWString()
{
    Free();
}

void UWString::Free()
{
    free(m_narrow);
    free(m_wide);
    m_narrow = nullptr;
    m_wide = nullptr;
}

UWString& UWString::operator=(const UWString& other)
{
    if (this == &other)
        return *this;
    char* narrow = nullptr;
    wchar_t* wide = nullptr;
    if (other.m_wide)
        wide = CopyWide(other.m_wide, wcslen(other.m_wide));
    else if (other.m_narrow)
        narrow = _strdup(other.m_narrow);
    Free();
    m_narrow = narrow;
    m_wide = wide;
    return *this;
}

void UWString::SetA(const char* text)
{
    // Both forms are made before the old ones go: text may be our own.
    char* narrow = text ? _strdup(text) : nullptr;
    wchar_t* wide = text ? TextToWide(nullptr, text, 0) : nullptr;
    Free();
    m_narrow = narrow;
    m_wide = wide;
}

void UWString::SetW(const wchar_t* wide)
{
    wchar_t* copy = wide ? CopyWide(wide, wcslen(wide)) : nullptr;
    char* narrow = wide ? WideToText(nullptr, 0, wide) : nullptr;
    Free();
    m_narrow = narrow;
    m_wide = copy;
}

void UWString::AppendA(const char* text)
{
    if (!text || !*text)
        return;
    wchar_t* wide = TextToWide(nullptr, text, 0);
    if (!wide)
        return;
    AppendW(wide);
    free(wide);
}

void UWString::AppendW(const wchar_t* wide)
{
    if (!wide || !*wide)
        return;
    wchar_t* converted = nullptr;
    const wchar_t* base = m_wide;
    if (!base && m_narrow)
        base = converted = TextToWide(nullptr, m_narrow, 0);
    const size_t baseLength = base ? wcslen(base) : 0;
    const size_t addLength = wcslen(wide);
    wchar_t* joined = static_cast<wchar_t*>(calloc(baseLength + addLength + 1, sizeof(wchar_t)));
    if (joined) {
        if (base)
            wmemcpy(joined, base, baseLength);
        wmemcpy(joined + baseLength, wide, addLength);
        Free();
        m_wide = joined;
    }
    free(converted);
}
