#include "dialogs/DelimitedImport.h"

#include <algorithm>
#include <cstring>

#include "foundation/DAuto.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"

const char* const ImportSeparatorList = "\t \\tab|; \\semi-colon|, \\comma|\r \\linebreak";
const char* const ExportSeparatorList = "\t \\tab~; \\semi-colon~, \\comma~| \\vertical bar~";
const char* const EmptyFieldTitle = "\\Empty field";

namespace {

std::vector<std::string> SplitList(const char* list, const char* separator)
{
    std::vector<std::string> entries;
    StrSplit(list, entries, separator);
    return entries;
}

// The lines detection looks at: trimmed, up to (not including) the first
// blank one, so a text's tail after an empty line never decides.
std::vector<std::string> ExaminedLines(const std::string& text, const std::string& recordSeparator)
{
    std::vector<std::string> lines;
    StrSplit(text, lines, recordSeparator.empty() ? "\r\n" : recordSeparator.c_str(), true);
    const auto blank = std::find(lines.begin(), lines.end(), std::string());
    lines.erase(blank, lines.end());
    return lines;
}

long CountOf(const std::string& line, char c)
{
    return static_cast<long>(std::count(line.begin(), line.end(), c));
}

// The first candidate whose character passes keep(count in line, count in
// the first line) in every examined line; "" when none does. Without a line
// to look at, nothing is found: a text that begins with a blank line says
// nothing about its separator.
template <class Keep>
std::string FirstCandidate(const std::string& text, const std::vector<std::string>& candidates,
                           const std::string& recordSeparator, Keep keep)
{
    const std::vector<std::string> lines = ExaminedLines(text, recordSeparator);
    if (lines.empty())
        return std::string();
    for (const std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        const long first = CountOf(lines.front(), candidate[0]);
        const bool everywhere = std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return keep(CountOf(line, candidate[0]), first);
        });
        if (everywhere)
            return candidate;
    }
    return std::string();
}

std::string ExtensionOf(const std::string& path)
{
    char extension[Helper::PathBufferSize];
    if (!Helper::SplitPath(path.c_str(), nullptr, nullptr, extension))
        return std::string();
    return extension;
}

// The file's text up to its first zero byte; false when it is missing, empty
// or unreadable.
bool ReadText(const char* path, std::string& text)
{
    DAuto<char> bytes(Helper::ReadWholeFile(path));
    if (!bytes.Get())
        return false;
    text = bytes.Get();
    return true;
}

// A line without the separator cannot give the fields the format asks for:
// its whole text would land in the first field and "-" in the others, rows
// that look imported but hold nothing of what was meant. One field per line
// (the separator is the line break itself) reads the text as one run.
bool SplitsIntoFields(const std::string& text, const std::string& separator, const std::string& recordSeparator,
                      size_t keys)
{
    const std::string lineBreak = recordSeparator.empty() ? "\r\n" : recordSeparator;
    if (keys < 2 || (!separator.empty() && separator[0] == lineBreak[0]))
        return true;
    if (separator.empty())
        return false;
    std::vector<std::string> lines;
    StrSplit(text, lines, lineBreak.c_str(), true);
    return std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.empty() || line.find(separator[0]) != std::string::npos;
    });
}

} // namespace

std::vector<std::string> ImportSeparators()
{
    return SplitList(ImportSeparatorList, "|");
}

std::vector<std::string> ExportSeparators()
{
    return SplitList(ExportSeparatorList, "~");
}

std::string DetectSeparator(const std::string& text, const std::vector<std::string>& candidates,
                            const std::string& recordSeparator)
{
    return FirstCandidate(text, candidates, recordSeparator,
                          [](long count, long) { return count >= 2; });
}

std::string DetectSeparatorOrLineBreak(const std::string& text,
                                       const std::vector<std::string>& candidates,
                                       const std::string& recordSeparator)
{
    std::string found = DetectSeparator(text, candidates, recordSeparator);
    if (found.empty() && !text.empty() && CountOf(text, '\r') > 3)
        found = "\r";
    return found;
}

std::string DetectSeparatorByCount(const std::string& text, const std::vector<std::string>& candidates,
                                   const std::string& recordSeparator)
{
    return FirstCandidate(text, candidates, recordSeparator,
                          [](long count, long first) { return count > 0 && count == first; });
}

bool ImportRecords(DData& table, DProps& params)
{
    std::string separator = DProps::GetString(params, "field.separator", "");
    std::string text = DProps::GetString(params, "text", "");
    if (text.empty()) {
        const std::string file = DProps::GetString(params, "file", "");
        if (file.empty() || !ReadText(file.c_str(), text))
            return false;
        if (separator.empty()) {
            const std::string extension = ExtensionOf(file);
            if (extension == "csv")
                separator = ",";
            else if (extension == "tab")
                separator = "\t";
        }
    }
    TextToCrLf(text);
    StrTrim(text);
    if (text.empty())
        return false;

    if (params.IndexOf("format") < 0 && params.IndexOf("format.file") >= 0) {
        std::vector<std::string> keys;
        const std::string formatFile = DProps::GetString(params, "format.file", "");
        if (FormatFile(";", formatFile.c_str(), true, keys))
            params.Set("format", StrJoin(keys, ";").c_str());
    }

    const std::string recordSeparator = DProps::GetString(params, "record.separator", "");
    if (separator.empty()) {
        const std::vector<std::string> candidates = ImportSeparators();
        separator = DetectSeparator(text, candidates, recordSeparator);
        // Two or more columns cannot be told apart without a separator; one
        // that every line holds equally often is the best evidence left.
        if (separator.empty() && DData::FormatKeys(params).size() > 1) {
            separator = DetectSeparatorByCount(text, candidates, recordSeparator);
            if (separator.empty()) {
                params.Set("field.separator", "");
                return false;
            }
        }
    }
    separator = separator.substr(0, 1);
    params.Set("field.separator", separator.c_str());
    if (!SplitsIntoFields(text, separator, recordSeparator, DData::FormatKeys(params).size()))
        return false;

    return DData::Import(params, table, text, true) > 0;
}

bool FormatFile(const char* separator, const char* path, bool read, std::vector<std::string>& keys)
{
    if (!separator || !*separator)
        separator = ";";
    if (read) {
        std::string text;
        if (!path || !ReadText(path, text))
            return false;
        StrDropUtf8Bom(text);
        // Blanks and line breaks around the whole list add no empty key.
        StrTrim(text);
        return StrSplit(text, keys, separator, true) > 0;
    }
    const std::string text = StrJoin(keys, separator);
    return Helper::WriteBuffer(path, static_cast<long>(text.size()), text.data(), false) > 0;
}

std::string& TextToCrLf(std::string& text)
{
    size_t bare = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            ++bare;
    }
    if (bare == 0)
        return text;
    std::string out;
    out.reserve(text.size() + bare);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    text.swap(out);
    return text;
}
