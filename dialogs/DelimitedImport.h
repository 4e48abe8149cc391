// Delimited text into records without a window: the import that automation
// runs, the guess of a text's field separator, and the field-format files
// ("*.fmt") that keep a field order. The import and export dialogs use the
// same pieces; the parse itself is the record table's (DData::Import).
#pragma once

#include <string>
#include <vector>

#include "foundation/DData.h"
#include "foundation/DProps.h"

class DCSProject;

// The candidates of the import, in the order detection prefers them, and the
// choices of the export. Each entry is the separator character, a blank and
// a label; only the first character is ever used as a separator.
extern const char* const ImportSeparatorList;  // "\t \tab|; \semi-colon|, \comma|\r \linebreak"
extern const char* const ExportSeparatorList;  // "\t \tab~; \semi-colon~, \comma~| \vertical bar~"
// The default title of the empty-field entry (EmptyFieldKey, DData.h).
extern const char* const EmptyFieldTitle;      // "\Empty field"

// The entries of ImportSeparatorList (split at "|") and ExportSeparatorList
// (split at "~").
std::vector<std::string> ImportSeparators();
std::vector<std::string> ExportSeparators();

// A field that delimited text may fill in a row of a kind (RowsBlanks or
// RowsPieces), with its default title.
struct ImportField {
    const char* key;
    const char* title;
};
// Stock: length, quantity, knife, indent, cost, comment; parts: length,
// quantity, label, comment.
const std::vector<ImportField>& ImportFields(long kind);

// The rows of the kind that imported records make, as the source data page
// and automation both append them: each field of the kind, in that order,
// with the record's value, or its default when the record has none or an
// empty number (stock quantity, kerf and trim 0, cost 1, texts empty; a
// part's length and quantity stay empty, which the order check reports).
// Number fields are trimmed; one that is no number (an optional sign,
// digits and at most one "." or ",") is kept as written, so the editor and
// the order check flag it instead of reading another number out of it.
// Keys of the records that are no field of the kind are left out.
PropsList RowsFromRecords(const PropsList& records, long kind);

// Appends the rows that records make to the material (DCSProject::AppendRows:
// stamped with the material's name, numbered, counted, checked, its results
// dropped). False when there is no record.
bool AppendImportedRows(DCSProject& material, const PropsList& records, long kind);

// The first line (from 1) that a format of more than one key cannot split
// because it lacks the separator, its text (trimmed) into lineText; 0 when
// every line splits. Blank lines split; so does every line when the
// separator is the line break or the format has one key.
long FirstUnsplitLine(const std::string& text, const std::string& separator,
                      const std::string& recordSeparator, size_t keys, std::string* lineText = nullptr);
// The sentence that refuses such a text, naming the line and quoting its
// beginning.
std::string UnsplitLineMessage(long line, const std::string& lineText, const std::string& separator);

// A field separator as the settings keep it: the tab and the line break
// escaped ("&9&", "&13&"), since a settings line loses blanks and control
// characters at its ends; and back.
std::string SeparatorToSetting(const std::string& separator);
std::string SeparatorFromSetting(const std::string& stored);

// Reads delimited text into table (its records are replaced). Parameters:
// "text", else the whole file "file"; "field.separator" (first character),
// else "," for a file ending in ".csv", TAB for ".tab", else detected;
// "record.separator" (default "\r\n"); "format", else the keys of the format
// file "format.file"; "format.separator"; "compact". Writes back
// "field.separator" (the character used, or empty) and "format" when it came
// from the format file. True when at least one record position was read.
//
// A file is read as ReadTextFile decodes it (a byte-order mark honoured, a
// binary file refused). Line feeds or carriage returns alone end lines as
// "\r\n" does, so a text written on another system reads line by line. When
// detection finds no separator and the format has more than one key, the
// candidate that occurs equally often (at least once) in every examined line
// is taken; when there is none the import fails rather than put whole lines
// into the first field; so does a format of two or more keys when a line
// lacks the separator. A refusal that the user can act on is told in
// "error" (written only then).
bool ImportRecords(DData& table, DProps& params);

// The first candidate that occurs at least twice in every line up to the
// first blank one (lines split at recordSeparator, "\r\n" when empty, and
// trimmed); "" when none does or the list is empty. Returns the whole entry.
std::string DetectSeparator(const std::string& text, const std::vector<std::string>& candidates,
                            const std::string& recordSeparator);

// The same, then, when nothing survived and the text is not empty: "\r" when
// the whole text holds more than three carriage returns (one field per
// line), else "". The import dialog's detection.
std::string DetectSeparatorOrLineBreak(const std::string& text,
                                       const std::vector<std::string>& candidates,
                                       const std::string& recordSeparator);

// The first candidate that occurs the same number of times, at least once, in
// every line DetectSeparator examines; "" when none does.
std::string DetectSeparatorByCount(const std::string& text, const std::vector<std::string>& candidates,
                                   const std::string& recordSeparator);

// Reads (read set) the keys of a format file, appending them to keys: the
// whole file split at separator, every key trimmed; true when a key was
// appended. Or writes keys joined by separator as the whole file, replacing
// it only once the new one is written; true when a byte was written (an
// empty list leaves an empty file and gives false).
bool FormatFile(const char* separator, const char* path, bool read, std::vector<std::string>& keys);

// In place: every line feed not preceded by a carriage return gets one, and
// every carriage return not followed by a line feed gets one.
std::string& TextToCrLf(std::string& text);
