// Delimited text into records without a window: the import that automation
// runs, the guess of a text's field separator, and the field-format files
// ("*.fmt") that keep a field order. The import and export dialogs use the
// same pieces; the parse itself is the record table's (DData::Import).
#pragma once

#include <string>
#include <vector>

#include "foundation/DData.h"
#include "foundation/DProps.h"

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

// Reads delimited text into table (its records are replaced). Parameters:
// "text", else the whole file "file"; "field.separator" (first character),
// else "," for a file ending in ".csv", TAB for ".tab", else detected;
// "record.separator" (default "\r\n"); "format", else the keys of the format
// file "format.file"; "format.separator"; "compact". Writes back
// "field.separator" (the character used, or empty) and "format" when it came
// from the format file. True when at least one record position was read.
//
// Line feeds without a carriage return end lines as "\r\n" does, so a text
// written on another system reads line by line. When detection finds no
// separator and the format has more than one key, the candidate that occurs
// equally often (at least once) in every examined line is taken; when there
// is none the import fails rather than put whole lines into the first field;
// so does a format of two or more keys when a line lacks the separator.
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

// In place: every line feed not preceded by a carriage return gets one.
std::string& TextToCrLf(std::string& text);
