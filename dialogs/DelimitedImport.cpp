#include "dialogs/DelimitedImport.h"

#include <algorithm>
#include <cstring>

#include "document/DCSProject.h"
#include "foundation/Helper.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/TextDecode.h"

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

// The file's text as ReadTextFile decodes it; false, with the reason in
// error when one is worth telling, when it is missing, empty, unreadable or
// no text the program can read as written.
bool ReadText(const char* path, std::string& text, std::string* error)
{
    const TextDecodeResult read = ReadTextFile(path, text);
    if (!read.Ok()) {
        if (error && read.error != TextDecodeError::Unreadable)
            *error = TextDecodeMessage(read);
        return false;
    }
    return !text.empty();
}

// The keys of a format file: the whole file split at separator, each key
// trimmed; false when none was read (error says why when the file was no
// text the program can read).
bool ReadFormatKeys(const char* path, const char* separator, std::vector<std::string>& keys, std::string* error)
{
    std::string text;
    if (!path || !ReadText(path, text, error))
        return false;
    // Blanks and line breaks around the whole list add no empty key.
    StrTrim(text);
    return StrSplit(text, keys, separator, true) > 0;
}

std::string LineBreakOf(const std::string& recordSeparator)
{
    return recordSeparator.empty() ? "\r\n" : recordSeparator;
}

// The row's value of a number field: trimmed when it reads as the number
// written, else as it came.
std::string NumberField(const std::string& value, bool integer)
{
    std::string trimmed = value;
    StrTrim(trimmed);
    return trimmed.empty() || NumIsPlain(trimmed.c_str(), integer, ".,") ? trimmed : value;
}

struct FieldRule {
    const char* key;
    enum { Text, Decimal, Integer } type;
    const char* def;
};

const std::vector<FieldRule>& RulesOf(long kind)
{
    static const std::vector<FieldRule> stock = {
        {"length", FieldRule::Decimal, ""}, {"quantity", FieldRule::Integer, "0"},
        {"knife", FieldRule::Decimal, "0"}, {"indent", FieldRule::Decimal, "0"},
        {"cost", FieldRule::Decimal, "1"},  {"comment", FieldRule::Text, ""},
    };
    static const std::vector<FieldRule> parts = {
        {"length", FieldRule::Decimal, ""},
        {"quantity", FieldRule::Integer, ""},
        {"label", FieldRule::Text, ""},
        {"comment", FieldRule::Text, ""},
    };
    return kind == RowsBlanks ? stock : parts;
}

} // namespace

const std::vector<ImportField>& ImportFields(long kind)
{
    static const std::vector<ImportField> stock = {{"length", "Length"}, {"quantity", "Quantity"},
                                                   {"knife", "Knife"},   {"indent", "Indent+"},
                                                   {"cost", "Cost"},     {"comment", "Comment"}};
    static const std::vector<ImportField> parts = {
        {"length", "Length"}, {"quantity", "Quantity"}, {"label", "Label"}, {"comment", "Comment"}};
    return kind == RowsBlanks ? stock : parts;
}

PropsList RowsFromRecords(const PropsList& records, long kind)
{
    const std::vector<FieldRule>& rules = RulesOf(kind);
    PropsList rows;
    rows.reserve(records.size());
    for (const DProps& record : records) {
        DProps row;
        for (const FieldRule& rule : rules) {
            const char* given = record.Get(rule.key);
            std::string value = given ? given : "";
            if (rule.type != FieldRule::Text) {
                value = NumberField(value, rule.type == FieldRule::Integer);
                if (value.empty())
                    value = rule.def;
            }
            row.Set(rule.key, value.c_str());
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool AppendImportedRows(DCSProject& material, const PropsList& records, long kind)
{
    if (records.empty())
        return false;
    return material.AppendRows(RowsFromRecords(records, kind), kind == RowsBlanks ? RowsBlanks : RowsPieces);
}

long FirstUnsplitLine(const std::string& text, const std::string& separator, const std::string& recordSeparator,
                      size_t keys, std::string* lineText)
{
    // A line without the separator cannot give the fields the format asks
    // for: its whole text would land in the first field, a row that looks
    // imported but holds nothing of what was meant. One field per line (the
    // separator is the line break itself) reads the text as one run.
    const std::string lineBreak = LineBreakOf(recordSeparator);
    if (keys < 2 || (!separator.empty() && separator[0] == lineBreak[0]))
        return 0;
    std::vector<std::string> lines;
    StrSplit(text, lines, lineBreak.c_str(), true);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && (separator.empty() || lines[i].find(separator[0]) == std::string::npos)) {
            if (lineText)
                *lineText = lines[i];
            return static_cast<long>(i) + 1;
        }
    }
    return 0;
}

std::string UnsplitLineMessage(long line, const std::string& lineText, const std::string& separator)
{
    std::string quoted = lineText;
    if (quoted.size() > 40)
        quoted = quoted.substr(0, 40) + "...";
    std::string name;
    if (separator.empty())
        name = "no field separator";
    else if (separator[0] == '\t')
        name = "no tab";
    else
        name = std::string("no \"") + separator[0] + "\"";
    std::string message;
    StrFormat(message, "Nothing was imported: line %ld (\"%s\") has %s to split it into fields.", line,
              quoted.c_str(), name.c_str());
    return message;
}

std::string SeparatorToSetting(const std::string& separator)
{
    return StrEscapeChars(separator, "\t\r\n");
}

std::string SeparatorFromSetting(const std::string& stored)
{
    return StrUnescapeChars(stored);
}

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
    // A refusal the user can mend is told; the others (nothing to read) need
    // no words beyond the failed result.
    auto refuse = [&params](const std::string& error) {
        if (!error.empty())
            params.Set("error", error.c_str());
        return false;
    };
    if (text.empty()) {
        const std::string file = DProps::GetString(params, "file", "");
        std::string error;
        if (file.empty() || !ReadText(file.c_str(), text, &error))
            return refuse(error);
        if (separator.empty()) {
            const std::string extension = ExtensionOf(file);
            if (extension == "csv")
                separator = ",";
            else if (extension == "tab")
                separator = "\t";
        }
    }
    TextToCrLf(text);
    // Lines are named as the file counts them, blank ones before the first
    // row included.
    const auto first = std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 32; });
    const long linesBefore = static_cast<long>(std::count(text.begin(), first, '\n'));
    StrTrim(text);
    if (text.empty())
        return false;

    if (params.IndexOf("format") < 0 && params.IndexOf("format.file") >= 0) {
        std::vector<std::string> keys;
        const std::string formatFile = DProps::GetString(params, "format.file", "");
        std::string error;
        if (ReadFormatKeys(formatFile.c_str(), ";", keys, &error))
            params.Set("format", StrJoin(keys, ";").c_str());
        else if (!error.empty())
            return refuse("Format file " + formatFile + ": " + error);
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
                return refuse("Nothing was imported: no field separator (tab, \";\" or \",\") "
                              "stands the same number of times in every line.");
            }
        }
    }
    separator = separator.substr(0, 1);
    params.Set("field.separator", separator.c_str());
    std::string lineText;
    const long unsplit =
        FirstUnsplitLine(text, separator, recordSeparator, DData::FormatKeys(params).size(), &lineText);
    if (unsplit > 0)
        return refuse(UnsplitLineMessage(unsplit + linesBefore, lineText, separator));

    return DData::Import(params, table, text, true) > 0;
}

bool FormatFile(const char* separator, const char* path, bool read, std::vector<std::string>& keys)
{
    if (!separator || !*separator)
        separator = ";";
    if (read)
        return ReadFormatKeys(path, separator, keys, nullptr);
    const std::string text = StrJoin(keys, separator);
    return Helper::WriteBuffer(path, static_cast<long>(text.size()), text.data(), false) > 0;
}

std::string& TextToCrLf(std::string& text)
{
    size_t bare = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ||
            (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++bare;
    }
    if (bare == 0)
        return text;
    std::string out;
    out.reserve(text.size() + bare);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += c;
        if (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            out += '\n';
    }
    text.swap(out);
    return text;
}
