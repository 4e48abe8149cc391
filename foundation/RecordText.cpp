#include "foundation/RecordText.h"

#include <array>
#include <cstring>

#include "foundation/DLock.h"
#include "foundation/DProps.h"
#include "foundation/StrUtil.h"

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> CrcTable = MakeCrcTable();

// A character is escaped when an odd run of backslashes stands right before
// it: each pair of backslashes is one escaped backslash.
bool IsEscaped(const std::string& s, size_t pos)
{
    size_t run = 0;
    while (pos > run && s[pos - run - 1] == '\\')
        ++run;
    return (run & 1) != 0;
}

bool IsUnescapedQuote(const std::string& s, size_t pos)
{
    return s[pos] == '"' && !IsEscaped(s, pos);
}

// Splits s at every delimiter that lies outside a quoted stretch.
std::vector<std::string> SplitOutsideQuotes(const std::string& s, char delimiter)
{
    std::vector<std::string> parts;
    bool quoted = false;
    size_t begin = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsUnescapedQuote(s, i))
            quoted = !quoted;
        else if (!quoted && s[i] == delimiter) {
            parts.push_back(s.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    parts.push_back(s.substr(begin));
    return parts;
}

// The text between the first unescaped double quote of s and the next one;
// false when s holds no such pair.
bool QuotedText(const std::string& s, std::string& out)
{
    size_t open = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        if (!IsUnescapedQuote(s, i))
            continue;
        if (open == std::string::npos) {
            open = i;
        } else {
            out = s.substr(open + 1, i - open - 1);
            return true;
        }
    }
    return false;
}

// A record is one line of a file: besides the backslash and the double quote,
// a value's line breaks are escaped, as "\r" and "\n". Writers always doubled
// a typed backslash, so no text written before holds these two escapes.
std::string EscapeValue(const char* text)
{
    std::string out;
    for (const char* p = text; p && *p; ++p) {
        if (*p == '\r') {
            out += "\\r";
        } else if (*p == '\n') {
            out += "\\n";
        } else {
            if (*p == '\\' || *p == '"')
                out += '\\';
            out += *p;
        }
    }
    return out;
}

// The reverse: "\r" and "\n" give the line breaks back, a backslash before
// any other character is dropped (a backslash at the very end as well).
std::string UnescapeValue(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (++i == text.size())
                break;
            c = text[i];
            if (c == 'r')
                c = '\r';
            else if (c == 'n')
                c = '\n';
        }
        out += c;
    }
    return out;
}

// Trims and drops one leading "{": what is left are the items, the closing
// brace still inside the last of them.
std::vector<std::string> JsonItems(const char* text)
{
    std::string body = StrFromText(text);
    StrTrim(body);
    if (!body.empty() && body[0] == '{')
        body.erase(0, 1);
    if (body.empty())
        return {};
    return SplitOutsideQuotes(body, ',');
}

} // namespace

std::string StrEscapeQuotes(const char* text)
{
    std::string out;
    if (!text)
        return out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\' || *p == '"')
            out += '\\';
        out += *p;
    }
    return out;
}

std::string StrUnescapeBackslashes(const char* text)
{
    std::string out;
    if (!text)
        return out;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\') {
            if (!*++p)
                break;
        }
        out += *p;
    }
    return out;
}

long StrFindUnescaped(const std::string& s, const char* pattern, long start)
{
    if (!pattern || !*pattern || start < 0)
        return -1;
    size_t from = static_cast<size_t>(start);
    while (from <= s.size()) {
        size_t hit = s.find(pattern, from);
        if (hit == std::string::npos)
            return -1;
        if (!IsEscaped(s, hit))
            return static_cast<long>(hit - static_cast<size_t>(start));
        from = hit + 1;
    }
    return -1;
}

uint32_t Crc32(const char* text)
{
    if (!text)
        return 0;
    uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        // High bytes enter by their magnitude as signed chars: stored
        // fingerprints were made that way, so 0xC3 and '=' weigh alike.
        uint32_t v = *p < 0x80 ? *p : 256u - *p;
        crc = (crc >> 8) ^ CrcTable[(crc ^ v) & 0xFF];
    }
    return crc;
}

unsigned long DProps::Checksum() const
{
    DAutoLock guard(&GetLock());
    std::string all;
    for (int i = 0; i < Count(); ++i) {
        all += GetKeyAt(i);
        all += GetValueAt(i);
        all += GetCommentAt(i);
    }
    return Crc32(all.c_str());
}

std::string PropsToJson(const DProps* bag)
{
    std::string out;
    if (!bag)
        return out;
    DAutoLock guard(&bag->GetLock());
    int count = bag->Count();
    if (count == 0)
        return out;
    out = "{ ";
    bool first = true;
    for (int i = 0; i < count; ++i) {
        const char* key = bag->GetKeyAt(i);
        if (!key || !*key)
            continue;
        if (!first)
            out += ", ";
        first = false;
        out += '"';
        out += key;
        out += "\": \"";
        out += EscapeValue(bag->GetValueAt(i));
        out += '"';
    }
    out += " }";
    return out;
}

bool PropsFromJson(const char* text, DProps* bag, int mode)
{
    if (!bag)
        return true;
    // A reader on another thread sees the record before or after, never half of it.
    DAutoLock guard(&bag->GetLock());
    for (const std::string& item : JsonItems(text)) {
        std::vector<std::string> parts = SplitOutsideQuotes(item, ':');
        std::string keyPart = parts[0];
        std::string valuePart = parts.size() > 1 ? parts[1] : std::string();
        StrTrim(keyPart);
        StrTrim(valuePart);

        // Keys hold no quotes of their own, so the first two quotes bound it.
        size_t open = keyPart.find('"');
        size_t close = open == std::string::npos ? open : keyPart.find('"', open + 1);
        if (close == std::string::npos)
            continue;
        std::string key = keyPart.substr(open + 1, close - open - 1);

        // An unquoted value (a bare number) is taken whole.
        std::string value;
        if (!QuotedText(valuePart, value))
            value = valuePart;
        if (!(mode & JsonRaw))
            value = UnescapeValue(value);
        bag->SetString(key.c_str(), value, "", true);
    }
    return true;
}

bool StrListFromJson(const char* text, std::vector<std::string>& list, bool raw)
{
    for (std::string item : JsonItems(text)) {
        StrTrim(item);
        std::string value;
        if (!QuotedText(item, value))
            continue;
        list.push_back(raw ? value : UnescapeValue(value));
    }
    return true;
}
