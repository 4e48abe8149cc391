#include "foundation/DSettings.h"

#include <cstring>

#include "foundation/DAuto.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"

namespace {

// The reader's comment introducer: a line's comment starts after the last one.
const char kCommentChar = ';';

// A comment that holds ";" or a line break cannot stand behind the last ";"
// of its line as it is: such a comment is written with these characters, and
// "&" itself, as decimal escapes ("&59&"), and the reader turns exactly these
// four escapes back. A comment that holds none of them, nor any text that
// reads as one, is written as typed, so hand-written files ("R&D") and files
// written before read as they always did.
const char kCommentEscaped[] = ";\r\n";
const char* const kCommentEscapes[] = {"&59&", "&13&", "&10&", "&38&"};
const char kCommentEscapedAs[] = {';', '\r', '\n', '&'};

bool CommentShowsEscape(const std::string& comment)
{
    for (const char* escape : kCommentEscapes)
        if (comment.find(escape) != std::string::npos)
            return true;
    return false;
}

std::string EscapeComment(const std::string& comment)
{
    if (comment.find_first_of(kCommentEscaped) == std::string::npos && !CommentShowsEscape(comment))
        return comment;
    return StrEscapeChars(comment, kCommentEscaped);
}

std::string UnescapeComment(const std::string& comment)
{
    if (comment.find('&') == std::string::npos)
        return comment;
    std::string out;
    out.reserve(comment.size());
    for (size_t i = 0; i < comment.size();) {
        size_t k = 0;
        while (k < sizeof kCommentEscapedAs && comment.compare(i, 4, kCommentEscapes[k]) != 0)
            ++k;
        if (k < sizeof kCommentEscapedAs) {
            out += kCommentEscapedAs[k];
            i += 4;
        } else {
            out += comment[i++];
        }
    }
    return out;
}

}  // namespace

DSettings::DSettings(const char* charset) : m_charset(StrFromText(charset)) {}

DSettings::~DSettings() = default;

bool DSettings::Parse(const char* text)
{
    m_sections.clear();
    if (text == nullptr || *text == '\0')
        return false;

    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    if (p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF && p[3] != '\0') {
        m_charset = "utf-8";
        p += 3;
    } else {
        m_charset.clear();
    }

    DProps working;
    while (*p != '\0') {
        const unsigned char* start = p;
        while (*p != '\0' && *p != '\r' && *p != '\n')
            ++p;
        std::string line(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
        // A break swallows the control bytes after it, blank lines included.
        if (*p != '\0')
            while (*p != '\0' && *p < 32)
                ++p;

        StrTrim(line);
        if (line.empty())
            continue;

        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            if (working.Count() > 0)
                m_sections.emplace_back(working);
            working.Clear();
            working.Name(name.c_str());
            working.Charset(m_charset.c_str());
            continue;
        }

        std::string assignment = line;
        std::string comment;
        size_t semicolon = line.rfind(kCommentChar);
        if (semicolon != std::string::npos) {
            assignment = line.substr(0, semicolon);
            comment = line.substr(semicolon + 1);
        }
        std::string key = assignment;
        std::string value;
        size_t equals = assignment.find('=');
        if (equals != std::string::npos) {
            key = assignment.substr(0, equals);
            value = assignment.substr(equals + 1);
        }
        StrTrim(key);
        StrTrim(value);
        StrTrim(comment);
        comment = UnescapeComment(comment);
        if (key.empty())
            key = m_commentMarker;
        working.SetString(key.c_str(), value, comment.c_str(), false);
    }
    if (working.Count() > 0)
        m_sections.emplace_back(working);
    return true;
}

std::string DSettings::Write() const
{
    std::string out;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const DProps& section = m_sections[i];
        const std::string name = section.Name();
        if (!name.empty()) {
            if (i > 0)
                out += "\r\n";
            out += "[";
            out += name;
            out += "]\r\n";
        }
        const int count = section.Count();
        for (int j = 0; j < count; ++j) {
            const char* key = section.GetKeyAt(j);
            const char* value = section.GetValueAt(j);
            const char* comment = section.GetCommentAt(j);
            const bool isEntry = m_commentMarker != key;
            if (isEntry) {
                out += key;
                out += "=";
                out += value;
            }
            if (*comment != '\0') {
                if (isEntry && *value != '\0')
                    out += "    ";
                out += m_commentMarker;
                out += " ";
                out += EscapeComment(comment);
            } else if (isEntry && std::strchr(value, kCommentChar) != nullptr) {
                // The reader takes the last ";" of a line for the start of its
                // comment; an empty comment behind the value keeps it whole.
                out += m_commentMarker;
            }
            out += "\r\n";
        }
    }
    return out;
}

bool DSettings::Load(const char* path)
{
    DAuto<char> data(Helper::ReadWholeFile(path));
    if (!data.IsHeld())
        return false;
    m_fileName.clear();
    const bool parsed = Parse(data.Get());
    if (parsed)
        m_fileName = StrFromText(path);
    return parsed;
}

int DSettings::FindSection(const char* name) const
{
    if (name == nullptr)
        return -1;
    for (size_t i = 0; i < m_sections.size(); ++i)
        if (StrEqual(m_sections[i].Name(), name, true))
            return static_cast<int>(i);
    return -1;
}

bool DSettings::GetSection(const char* name, DProps& out, int* position) const
{
    if (position != nullptr)
        *position = Count();
    const int index = FindSection(name);
    if (index < 0)
        return false;
    out = m_sections[static_cast<size_t>(index)];
    if (position != nullptr)
        *position = index;
    return true;
}

bool DSettings::SetSection(const char* name, DProps& bag)
{
    const int index = FindSection(name);
    if (index >= 0) {
        m_sections[static_cast<size_t>(index)].CopyFrom(&bag, 0, -1);
        return true;
    }
    bag.Name(name);
    m_sections.emplace_back(bag);
    return true;
}

const DProps* DSettings::SectionAt(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_sections[static_cast<size_t>(index)];
}
