// String lists of UString, and number text under the configured decimal
// separator: cutting trailing zeros, fixed decimals, grouping thousands, and
// reading integers and colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/UString.h"

// The ordered list of UString that the recent-files list, the printer lists,
// file listings and text imports are made of. The static operations take the
// list by pointer and treat a null list as documented for each.
class UStringList : public std::vector<UString>
{
public:
    // One item per text up to the first null or empty one; the argument list
    // must end with a null pointer.
    static UStringList Build(const char* text, ...) __attribute__((sentinel));

    // A copy of the item; the empty text for a null list or an index out of range.
    static UString At(const UStringList* list, long index);
    // The first item equal to text over its whole length; -1 for a null or
    // empty list, a blank text or no match.
    static long Find(const char* text, const UStringList* list, bool matchCase);
    // Appends a copy; the new count, -1 for a null list.
    static long Add(UStringList* list, const char* text);
    // The new count; 0 (nothing removed) for a null or empty list or an index out of range.
    static long RemoveAt(UStringList* list, long index);
    // The items in order; the separator (", " when null) goes before an item
    // whenever the text so far is not empty; quote wraps each item in "".
    static UString Join(const UStringList* list, bool quote, const char* separator = nullptr);
    // Drops one pair of surrounding double quotes from every item; false for a null list.
    static bool Unquote(UStringList* list);
    // Appends every separator-delimited token of text (empty tokens included);
    // a blank text adds nothing and leaves the list alone even with clearFirst.
    // Returns the number of items added.
    static long Split(UStringList* list, const char* text, const char* separator,
                      bool clearFirst, bool trimItems);

    long Count() const { return static_cast<long>(size()); }
};

// ---- The configured decimal separator -----------------------------------------

// The process-wide separator text the number functions read: "." at process
// start. The application sets it together with the run-time numeric locale, so
// printf-formatted doubles carry the same character.
void NumSetSeparator(const char* separator);
std::string NumGetSeparator();

// ---- Number text ----------------------------------------------------------------

// In place: trailing "0" characters go, keeping one right after the separator;
// with dropTail a trailing separator, or separator + "0", goes too (when more
// than two characters remain). A text without the separator is left alone.
char* NumCutZeros(char* text, bool dropTail);
std::string& NumCutZeros(std::string& text, bool dropTail);
// In place: every "." and "," becomes the separator; with cutZeros, then
// NumCutZeros(text, true).
std::string& NumUseSeparator(std::string& text, bool cutZeros);
// Cuts the caller's text in place (NumCutZeros with dropTail), then returns it
// with a blank every three digits left of the separator when its integer value
// exceeds 9999. An empty text gives "0".
std::string NumGroupThousands(std::string& text);
// The value with that many decimals; with cutZeros, trailing zeros cut.
std::string NumToText(long decimals, bool cutZeros, double value);
// Trimmed; a text of digits, blanks, ".", ",", "+" and "-" only also loses its
// blanks, so "12 500" reads as one number.
std::string NumCompact(const char* text);
// Whether text, blanks around it aside, is a plain decimal number: an
// optional sign, at least one digit and, unless integer, at most one decimal
// mark, any character of marks (the numeric locale's decimal point when marks
// is null). No exponent, no blanks, units or group marks inside: what atof
// would read only in part is no number.
bool NumIsPlain(const char* text, bool integer, const char* marks = nullptr);
// "0x" or "#" prefix: hexadecimal, else decimal; digits read from the right
// up to the first that is not a digit of the base; no sign. Empty: def.
int32_t NumParse(const char* text, int32_t def);
// A colour 0x00BBGGRR: "0x..." as it stands, "#RRGGBB" with red and blue
// exchanged, else decimal. A blank text gives def.
uint32_t NumParseColor(const char* text, uint32_t def);

// The n-th (from 0) "/"-separated segment of text into a caller's buffer of
// 1024 bytes (cut to 1023); the empty text when there is no such segment.
// A null buffer uses one of the calling thread. Returns the buffer.
char* PathSegment(const char* text, long n, char* buffer);
