// The INI document: an ordered list of named sections, each a DProps named
// after its section. The one text form of the locale, of every block of a
// project file and of automation scripts; read and written whole.
#pragma once

#include <deque>
#include <string>

#include "foundation/DProps.h"

class DSettings
{
public:
    // charset is kept until the first parse (null: empty); writing never consults it.
    explicit DSettings(const char* charset = nullptr);
    virtual ~DSettings();

    DSettings(const DSettings&) = delete;
    DSettings& operator=(const DSettings&) = delete;

    // Replaces every section by those of a NUL-terminated text: a key's first
    // occurrence in a section wins, only the first comment-only line of a
    // section survives, a section without entries vanishes, and a line's
    // comment begins after its last ";" (its escapes "&59&", "&13&", "&10&"
    // and "&38&" read as ";", CR, LF and "&"). False for a null or empty text
    // (the sections are gone all the same).
    bool Parse(const char* text);
    // The whole document as text, "\r\n" after every line and a blank line
    // before every header but the first. A value holding ";" gets an empty
    // comment behind it, a comment holding ";" or a line break is written
    // with escapes, so that every value and comment reads back whole.
    std::string Write() const;
    // Parses a whole file. A file that cannot be read leaves the document as it
    // was; otherwise the file name is kept when the parse succeeds.
    bool Load(const char* path);

    // A copy of the first section whose name equals name ignoring case into out
    // (out is untouched when there is none; a null name finds nothing). position,
    // when given, gets that section's index, or Count() when there is none.
    bool GetSection(const char* name, DProps& out, int* position = nullptr) const;
    // Merges bag into the first section of that name (its keys overwrite, the
    // section's other keys stay); with no such section, bag takes the name and
    // a copy of it becomes the last section. Always true.
    bool SetSection(const char* name, DProps& bag);

    int Count() const { return static_cast<int>(m_sections.size()); }
    // The section at index, null outside the list.
    const DProps* SectionAt(int index) const;
    const std::string& CommentMarker() const { return m_commentMarker; }
    const std::string& FileName() const { return m_fileName; }
    const std::string& Charset() const { return m_charset; }

private:
    int FindSection(const char* name) const;

    std::string m_commentMarker = ";";
    std::string m_fileName;
    std::string m_charset;
    std::deque<DProps> m_sections;
};
