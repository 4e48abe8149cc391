// The recently used project files behind the recent-projects menu: most
// recent first, each path once, at most a fixed number, kept without the
// file extension and handed out with it (only while the file exists). And
// the reader of one command-line option "-key:value".
#pragma once

#include "foundation/StrList.h"
#include "foundation/UString.h"

class URecentList {
public:
    URecentList() = default;
    ~URecentList();

    // Empties the list and fills it from the text split at "|" (pieces
    // trimmed, an empty piece an empty item); with onlyExisting only the
    // pieces that name an existing file. The maximum is not applied here.
    long FromText(const char* text, bool onlyExisting);
    // The items joined with "|": the form stored under "history".
    UString ToText() const;
    // Folder and file name of the path without its last extension, to the front.
    void AddPath(const char* path);
    // Moves the text (found ignoring case) to the front or inserts it there,
    // then drops items from the end beyond the maximum. Empty text: nothing.
    void AddFront(const char* text);
    // Item i; the empty text out of range.
    UString GetAt(long i) const;
    // Item i with "." and the extension, when that names an existing file;
    // the empty text otherwise.
    UString GetExistingAt(long i) const;
    // Drops every item whose file is gone; returns how many are left.
    long RemoveMissing();

    long Count() const { return m_items.Count(); }
    long GetMaxCount() const { return m_maxCount; }
    void SetMaxCount(long count) { m_maxCount = count; }
    const UString& GetExtension() const { return m_extension; }
    void SetExtension(const char* extension) { m_extension = extension; }

private:
    UStringList m_items;
    long m_maxCount = 20;
    UString m_extension;
};

// One option written as dashes, a key, ":" and a value. key and value are
// emptied first. False for a null argument. The value runs from after the
// first ":" (one opening double quote skipped) to the end or the next double
// quote; when the text up to the next ":" is blank the value stays empty and
// the answer is true. Otherwise true when the key is not empty.
bool SplitCommandLineArg(const char* argument, UString& key, UString& value);
