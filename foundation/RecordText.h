// Record text: a property bag written as one line { "key": "value", ... } and
// read back, plus the checksum that fingerprints bags, tables and projects.
//
// The form only looks like JSON: every value is a quoted text, nothing nests,
// and the escapes are a backslash before a backslash or a double quote, and
// "\r" and "\n" for line breaks, so that a record always stays one line.
// Stock, part and result rows of a project file and the automation command
// parameters travel in it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DProps;

// PropsFromJson modes: unescape the values, or keep them as they stand in the text.
constexpr int JsonUnescape = 0;
constexpr int JsonRaw = 4;

// "{ ", the items "\"key\": \"value\"" joined by ", ", then " }", the values
// escaped; entries with an empty key and all comments are left out. An empty
// (or null) bag gives the empty text. The bag's lock is held while it is read.
std::string PropsToJson(const DProps* bag);

// Reads the items of a record text into the bag with overwrite and empty
// comments, undoing the escapes unless the mode is JsonRaw; the bag is not
// cleared first. Malformed items are skipped. Always true (a null bag reads
// nothing).
bool PropsFromJson(const char* text, DProps* bag, int mode = JsonUnescape);

// Appends each quoted text of { "first", "second" } (braces optional) to the
// list, unescaped unless raw; items without a pair of quotes are skipped.
bool StrListFromJson(const char* text, std::vector<std::string>& list, bool raw = false);

// A backslash before every backslash and double quote; null gives "".
std::string StrEscapeQuotes(const char* text);
// Drops every backslash and keeps the character after it as it is; a
// backslash at the very end is dropped. Null gives "".
std::string StrUnescapeBackslashes(const char* text);
// Distance from start to the first occurrence of pattern at or after start
// that does not follow an escaping backslash; -1 when there is none.
long StrFindUnescaped(const std::string& s, const char* pattern, long start = 0);

// The program's own CRC-32: reflected table of 0xEDB88320, start 0xFFFFFFFF,
// bytes 0x80..0xFF entering as 256 minus the byte, no final inversion. Stored
// fingerprints depend on it bit for bit, so a library CRC cannot stand in.
// Null gives 0, the empty text 0xFFFFFFFF. DProps::Checksum, the checksum of
// key, value and comment of every entry in bag order, is built on it here.
uint32_t Crc32(const char* text);
