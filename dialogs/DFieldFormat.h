// The field order ("formatting") that the import and export dialogs let the
// user build: the fields a descriptor offers with their titles and column
// widths, and the chosen keys in column order, where the empty-field key may
// stand any number of times and every other field at most once. No window:
// the dialogs show it and hand its operations the user's choices.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "foundation/DProps.h"

class DFieldFormat {
public:
    // From a descriptor: "fields", "titles" and "columns" split at
    // "format.separator" (default ";"), "format" split at ";" (every item
    // trimmed); no "format" gives every field. A title beyond the last field
    // is the empty field's.
    void Setup(const DProps& descriptor);

    // Every entry that is neither a field nor the empty-field key becomes the
    // empty-field key, so a foreign key can never name a column.
    void ReplaceForeignKeys();

    const std::vector<std::string>& Fields() const { return m_fields; }
    const std::vector<std::string>& Keys() const { return m_keys; }
    bool IsField(const std::string& key) const;

    // The title of a key: its descriptor title; for the empty field the
    // descriptor's or "\Empty field"; "" for a key without title.
    std::string Title(const std::string& key) const;
    // The titles of the chosen keys, in order.
    std::vector<std::string> KeyTitles() const;

    // The keys joined by separator.
    std::string FormatText(const char* separator) const;

    // The choices a pop-up menu offers: every field not yet chosen, in field
    // order, with command (field index + 1) and its title (the key when it
    // has none); then the empty field with command (field count + 1).
    std::vector<std::pair<long, std::string>> MenuChoices() const;
    // The key of a menu command; "" for a command that names nothing.
    std::string KeyOfCommand(long command) const;

    // Each returns the index to select afterwards (-1: none), or the old
    // selection when nothing changed.
    // In front of position at (at past the end appends; a negative at puts it first).
    long Insert(long at, const std::string& key);
    long Append(const std::string& key);
    long Remove(long at);
    long MoveUp(long at);
    long MoveDown(long at);
    // The keys in place of the chosen ones, foreign keys as the empty field.
    void ReplaceKeys(const std::vector<std::string>& keys);

    // Column widths in pixels for a list whose usable width is given: every
    // field starts at 100, a "columns" entry replaces it (an empty entry
    // reads 0), then all are scaled to the usable width and rounded, halves
    // away from zero.
    std::vector<long> ColumnWidths(long usableWidth) const;

private:
    std::vector<std::string> m_fields;
    DProps m_titles;
    std::vector<std::string> m_widths;
    std::vector<std::string> m_keys;
};
