#include "foundation/StrList.h"

#include <clocale>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "foundation/StrUtil.h"

// ---- UStringList ------------------------------------------------------------------

UStringList UStringList::Build(const char* text, ...)
{
    UStringList list;
    va_list args;
    va_start(args, text);
    for (const char* t = text; t && *t; t = va_arg(args, const char*))
        list.emplace_back(t);
    va_end(args);
    return list;
}

UString UStringList::At(const UStringList* list, long index)
{
    if (!list || index < 0 || index >= list->Count())
        return UString();
    return (*list)[static_cast<size_t>(index)];
}

long UStringList::Find(const char* text, const UStringList* list, bool matchCase)
{
    if (!list || list->empty())
        return -1;
    if (!UString(text).HasText(true))
        return -1;
    for (long i = 0; i < list->Count(); ++i) {
        if ((*list)[static_cast<size_t>(i)].IsEqual(text, -1, matchCase))
            return i;
    }
    return -1;
}

long UStringList::Add(UStringList* list, const char* text)
{
    if (!list)
        return -1;
    list->emplace_back(text);
    return list->Count();
}

long UStringList::RemoveAt(UStringList* list, long index)
{
    if (!list || index < 0 || index >= list->Count())
        return 0;
    list->erase(list->begin() + index);
    return list->Count();
}

UString UStringList::Join(const UStringList* list, bool quote, const char* separator)
{
    if (!list)
        return UString();
    if (!separator)
        separator = ", ";
    // Built apart and taken over once: appending to the string itself would
    // copy the text so far for every item. A piece that would carry the text
    // past the string's limit is left out, as appending it would leave it.
    std::string out;
    const auto append = [&out](const char* text, size_t n) {
        if (n > 0 && out.size() + n <= static_cast<size_t>(UString::MaxText))
            out.append(text, n);
    };
    const size_t separatorLength = strlen(separator);
    for (const UString& item : *list) {
        if (!out.empty())
            append(separator, separatorLength);
        if (quote)
            append("\"", 1);
        append(item.GetText(), strlen(item.GetText()));
        if (quote)
            append("\"", 1);
    }
    return UString(out.c_str());
}

bool UStringList::Unquote(UStringList* list)
{
    if (!list)
        return false;
    for (UString& item : *list) {
        long length = item.GetLength();
        const char* text = item.GetText();
        if (length > 0 && text[0] == '"' && text[length - 1] == '"')
            item = length > 1 ? item.Mid(1, length - 2) : UString();
    }
    return true;
}

long UStringList::Split(UStringList* list, const char* text, const char* separator,
                        bool clearFirst, bool trimItems)
{
    UString whole(text);
    if (!list || !whole.HasText(true))
        return 0;
    if (clearFirst)
        list->clear();
    if (!separator || !*separator)
        return 0;
    // The tokens of UString::GetToken 0, 1, 2, ... in one pass: "a;b;" has
    // "a", "b" and "".
    const char* data = whole.GetText();
    const long length = whole.GetLength();
    const long separatorLength = static_cast<long>(strlen(separator));
    long added = 0;
    for (long start = 0;;) {
        const char* hit = start < length ? strstr(data + start, separator) : nullptr;
        const long end = hit ? static_cast<long>(hit - data) : length;
        UString token(std::string(data + start, static_cast<size_t>(end - start)).c_str());
        if (trimItems)
            token.Trim();
        list->push_back(std::move(token));
        ++added;
        if (!hit)
            break;
        start = end + separatorLength;
    }
    return added;
}

// ---- The configured decimal separator -------------------------------------------

namespace {

std::mutex& SeparatorMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& SeparatorText()
{
    static std::string separator = ".";
    return separator;
}

// NUL stands for an empty configured separator.
char SeparatorChar()
{
    std::lock_guard<std::mutex> guard(SeparatorMutex());
    return SeparatorText().empty() ? '\0' : SeparatorText()[0];
}

bool IsDigitOfBase(char c, int base, int& value)
{
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'z')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z')
        value = c - 'A' + 10;
    else
        return false;
    return value < base;
}

// Digits are read from the right end; the first character that is not a
// digit of the base ends the number, so '12px' reads 0 and 'x12' reads 12.
uint32_t ParseDigits(const char* text, int base)
{
    uint32_t result = 0;
    uint32_t weight = 1;
    for (size_t i = strlen(text); i > 0; --i) {
        int value = 0;
        if (!IsDigitOfBase(text[i - 1], base, value))
            break;
        result += static_cast<uint32_t>(value) * weight;
        weight *= static_cast<uint32_t>(base);
    }
    return result;
}

} // namespace

void NumSetSeparator(const char* separator)
{
    std::lock_guard<std::mutex> guard(SeparatorMutex());
    SeparatorText() = StrFromText(separator);
}

std::string NumGetSeparator()
{
    std::lock_guard<std::mutex> guard(SeparatorMutex());
    return SeparatorText();
}

// ---- Number text -----------------------------------------------------------------

char* NumCutZeros(char* text, bool dropTail)
{
    // With an empty separator no text holds one, so nothing is cut; the
    // integer zeros of "100" must never go.
    char sep = SeparatorChar();
    if (!text || sep == '\0')
        return text;
    size_t length = strlen(text);
    if (length <= 1 || !strchr(text, sep))
        return text;
    while (length > 1 && text[length - 1] == '0' && text[length - 2] != sep)
        text[--length] = '\0';
    if (dropTail && length > 2) {
        if (text[length - 1] == sep)
            text[--length] = '\0';
        if (length >= 2 && text[length - 1] == '0' && text[length - 2] == sep) {
            length -= 2;
            text[length] = '\0';
        }
    }
    return text;
}

std::string& NumCutZeros(std::string& text, bool dropTail)
{
    if (!text.empty()) {
        NumCutZeros(&text[0], dropTail);
        text.resize(strlen(text.c_str()));
    }
    return text;
}

std::string& NumUseSeparator(std::string& text, bool cutZeros)
{
    char sep = SeparatorChar();
    if (sep != '\0') {
        for (char& c : text) {
            if (c == '.' || c == ',')
                c = sep;
        }
    }
    if (cutZeros)
        NumCutZeros(text, true);
    return text;
}

std::string NumGroupThousands(std::string& text)
{
    NumCutZeros(text, true);
    if (text.empty())
        return "0";
    std::string out = text;
    if (atoi(out.c_str()) <= 9999)
        return out;
    char sep = SeparatorChar();
    size_t end = sep != '\0' ? out.find(sep) : std::string::npos;
    if (end == std::string::npos)
        end = out.size();
    size_t firstDigit = out.find_first_of("0123456789");
    for (size_t at = end; at >= firstDigit + 4; at -= 3)
        out.insert(at - 3, 1, ' ');
    return out;
}

std::string NumToText(long decimals, bool cutZeros, double value)
{
    std::string format;
    StrFormat(format, "%%.%ldf", decimals < 0 ? 0L : decimals);
    std::string text;
    StrFormat(text, format.c_str(), value);
    if (cutZeros)
        NumCutZeros(text, true);
    return text;
}

std::string NumCompact(const char* text)
{
    std::string out = StrFromText(text);
    StrTrim(out);
    if (out.find_first_not_of("0123456789 .,+-") == std::string::npos) {
        std::string squeezed;
        for (char c : out) {
            if (c != ' ')
                squeezed += c;
        }
        out.swap(squeezed);
    }
    return out;
}

bool NumIsPlain(const char* text, bool integer, const char* marks)
{
    std::string t = StrFromText(text);
    StrTrim(t);
    const char point[2] = {*localeconv()->decimal_point, '\0'};
    const char* decimal = marks ? marks : point;
    size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    bool digit = false;
    bool mark = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (!integer && !mark && c != '\0' && strchr(decimal, c)) {
            mark = true;
        } else {
            return false;
        }
    }
    return digit;
}

int32_t NumParse(const char* text, int32_t def)
{
    if (!text || !*text)
        return def;
    if (strncmp(text, "0x", 2) == 0)
        return static_cast<int32_t>(ParseDigits(text + 2, 16));
    if (text[0] == '#')
        return static_cast<int32_t>(ParseDigits(text + 1, 16));
    return static_cast<int32_t>(ParseDigits(text, 10));
}

uint32_t NumParseColor(const char* text, uint32_t def)
{
    std::string trimmed = StrFromText(text);
    StrTrim(trimmed);
    if (trimmed.empty())
        return def;
    const char* t = trimmed.c_str();
    if (strncmp(t, "0x", 2) == 0)
        return ParseDigits(t + 2, 16);
    if (t[0] == '#') {
        // Written as RRGGBB, kept as 0x00BBGGRR.
        uint32_t rgb = ParseDigits(t + 1, 16);
        return (rgb & 0xFF00FF00u) | ((rgb & 0xFF) << 16) | ((rgb >> 16) & 0xFF);
    }
    return ParseDigits(t, 10);
}

char* PathSegment(const char* text, long n, char* buffer)
{
    constexpr size_t Size = 1024;
    thread_local char own[Size];
    if (!buffer)
        buffer = own;
    buffer[0] = '\0';
    if (!text || n < 0)
        return buffer;
    const char* start = text;
    for (long i = 0; i < n; ++i) {
        start = strchr(start, '/');
        if (!start)
            return buffer;
        ++start;
    }
    const char* end = strchr(start, '/');
    size_t length = end ? static_cast<size_t>(end - start) : strlen(start);
    if (length > Size - 1)
        length = Size - 1;
    memcpy(buffer, start, length);
    buffer[length] = '\0';
    return buffer;
}
