#include "foundation/TextBlocks.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "foundation/DProps.h"
#include "foundation/StrUtil.h"

namespace {

const char kStartOpen[] = "<!--block:";
const char kMarkerClose[] = "-->";

std::string StartMarker(const std::string& name) { return kStartOpen + name + kMarkerClose; }
std::string EndMarker(const std::string& name) { return "<!--" + name + ":block-->"; }

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

// Reads a number the way atoi does (blanks, a sign, digits up to the first
// non-digit) over [first, last); the result wraps instead of overflowing
// because only its low 16 bits are wanted.
unsigned long ReadDecimal(const wchar_t* first, const wchar_t* last)
{
    while (first < last && (*first == ' ' || (*first >= 9 && *first <= 13)))
        ++first;
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    unsigned long value = 0;
    for (; first < last && *first >= '0' && *first <= '9'; ++first)
        value = value * 10u + static_cast<unsigned long>(*first - '0');
    return negative ? 0ul - value : value;
}

// Decodes "&#NNN;" references; the plain stretches between them come in unchanged.
std::wstring DecodeWide(const std::wstring& text)
{
    std::wstring out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t at = text.find(L"&#", pos);
        if (at == std::wstring::npos) {
            out.append(text, pos, std::wstring::npos);
            break;
        }
        out.append(text, pos, at - pos);
        size_t refEnd = text.find(L';', at + 2);
        if (refEnd == std::wstring::npos)
            refEnd = text.size();
        const wchar_t* digits = text.c_str();
        wchar_t unit = static_cast<wchar_t>(ReadDecimal(digits + at + 2, digits + refEnd) & 0xFFFFu);
        if (unit != 0)
            out.push_back(unit);
        pos = refEnd + 1;
    }
    return out;
}

}  // namespace

std::string BlockWrap(const char* text, const char* name)
{
    if (IsEmpty(name))
        return std::string();
    std::string block = StartMarker(name);
    block += "\r\n";
    if (text != nullptr)
        block += text;
    block += EndMarker(name);
    block += "\r\n";
    return block;
}

std::string BlockExtract(const char* text, const char* name)
{
    if (IsEmpty(text) || IsEmpty(name))
        return std::string();
    const std::string all(text);
    const std::string start = StartMarker(name);
    size_t at = all.find(start);
    if (at == std::string::npos)
        return std::string();
    size_t begin = at + start.size();
    size_t end = all.find(EndMarker(name), begin);
    if (end == std::string::npos)
        return all.substr(begin);
    return all.substr(begin, end - begin);
}

bool BlockEnumerate(const char* text, int n, std::string& content, std::string* name)
{
    content.clear();
    if (IsEmpty(text) || n < 0)
        return false;
    const std::string all(text);
    const size_t openLength = std::strlen(kStartOpen);
    size_t pos = 0;
    int countdown = n;
    for (;;) {
        size_t open = all.find(kStartOpen, pos);
        if (open == std::string::npos) {
            // A text without any block is one anonymous block.
            if (n == 0) {
                content = all;
                return true;
            }
            return false;
        }
        size_t nameBegin = open + openLength;
        size_t close = all.find(kMarkerClose, nameBegin);
        if (close == std::string::npos)
            return false;
        std::string blockName = all.substr(nameBegin, close - nameBegin);
        if (name != nullptr)
            *name = blockName;
        size_t end = all.find(EndMarker(blockName), close + std::strlen(kMarkerClose));
        if (countdown == 0) {
            content = BlockExtract(text, blockName.c_str());
            return true;
        }
        if (end == std::string::npos)
            return false;
        --countdown;
        pos = end;
    }
}

UWString DecodeCharRefs(const char* text)
{
    // No ANSI code page has "&", "#", ";" or a digit as the second byte of a
    // character, so decoding after the conversion reads the same references.
    UWString wide;
    wide.SetA(text);
    return UWString(DecodeWide(wide.GetW()).c_str());
}

UWString DecodeCharRefsW(const wchar_t* text)
{
    return UWString(DecodeWide(text == nullptr ? L"" : text).c_str());
}

const char* HtmlEscape(UString& text)
{
    // "&" goes first so that the entities made by the later steps stay as they are.
    static const char* const kPairs[][2] = {
        {"&", "&amp;"}, {">=", "&ge;"}, {"<=", "&le;"}, {">", "&gt;"},
        {"<", "&lt;"},  {"\r\n", "<br>"}, {"\t", "&nbsp;&nbsp;&nbsp;&nbsp;"},
    };
    for (const auto& pair : kPairs)
        text.ReplaceAll(pair[0], pair[1]);
    return text.GetText();
}

std::string ColorToHtml(COLORREF color)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", GetRValue(color), GetGValue(color),
                  GetBValue(color));
    return buffer;
}

std::string TextShorten(const char* text)
{
    if (IsEmpty(text))
        return std::string();
    std::string shown(text);
    if (shown.size() < 20)
        return shown;
    return shown.substr(0, 17) + "...";
}

std::string TextDuration(long seconds, const DProps* words)
{
    DProps units;
    units.Set("hrs", "h", nullptr, true);
    units.Set("mins", "m", nullptr, true);
    units.Set("secs", "s", nullptr, true);
    if (words != nullptr)
        units.CopyFrom(words, 0, -1);
    const long hours = seconds / 3600;
    const long minutes = (seconds / 60) % 60;
    const long rest = seconds % 60;
    const std::string hrs = DProps::GetString(units, "hrs");
    const std::string mins = DProps::GetString(units, "mins");
    const std::string secs = DProps::GetString(units, "secs");
    std::string text;
    if (hours != 0)
        StrFormat(text, "%ld %s %02ld %s %02ld %s", hours, hrs.c_str(), minutes, mins.c_str(), rest,
                  secs.c_str());
    else if (minutes != 0)
        StrFormat(text, "%ld %s %02ld %s", minutes, mins.c_str(), rest, secs.c_str());
    else
        StrFormat(text, "%ld %s", rest, secs.c_str());
    return text;
}

int TextSplitWords(const wchar_t* text, UWStringList& list)
{
    if (text == nullptr || *text == L'\0')
        return static_cast<int>(list.size());
    const wchar_t* piece = text;
    for (const wchar_t* p = text;; ++p) {
        if (*p == L' ') {
            list.emplace_back(std::wstring(piece, p).c_str());
            list.emplace_back(L" ");
            piece = p + 1;
        } else if (*p == L'\0') {
            if (p != piece)
                list.emplace_back(piece);
            break;
        }
    }
    return static_cast<int>(list.size());
}

int TextFindFirstOf(const wchar_t* text, const UWStringList& separators, int* position)
{
    int best = -1;
    int bestPos = INT_MAX;
    if (text != nullptr) {
        for (size_t i = 0; i < separators.size(); ++i) {
            const wchar_t* sep = separators[i].GetW();
            // An empty separator matches nowhere: it would cut nothing off.
            if (sep == nullptr || *sep == L'\0')
                continue;
            const wchar_t* hit = std::wcsstr(text, sep);
            if (hit != nullptr && hit - text < bestPos) {
                bestPos = static_cast<int>(hit - text);
                best = static_cast<int>(i);
            }
        }
    }
    if (position != nullptr)
        *position = bestPos;
    return best;
}

int TextSplitAtAny(const wchar_t* text, UWStringList& list, const UWStringList& separators)
{
    if (text == nullptr)
        return static_cast<int>(list.size());
    const wchar_t* rest = text;
    while (*rest != L'\0') {
        int at = 0;
        int index = TextFindFirstOf(rest, separators, &at);
        if (index < 0) {
            list.emplace_back(rest);
            break;
        }
        const wchar_t* sep = separators[static_cast<size_t>(index)].GetW();
        list.emplace_back(std::wstring(rest, rest + at).c_str());
        list.emplace_back(sep);
        rest += at + std::wcslen(sep);
    }
    return static_cast<int>(list.size());
}

int TextSplitControls(UWStringList& list, const wchar_t* text)
{
    if (text == nullptr || *text == L'\0')
        return 0;
    list.clear();
    const wchar_t* piece = text;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        if (*p < 32) {
            if (p != piece)
                list.emplace_back(std::wstring(piece, p).c_str());
            const wchar_t control[2] = {*p, L'\0'};
            list.emplace_back(control);
            piece = p + 1;
        }
    }
    if (*piece != L'\0')
        list.emplace_back(piece);
    return static_cast<int>(list.size());
}
