// Text helpers, number conversion and the one tolerance of the system.
//
// Text is the standard narrow string in the ANSI code page. Wherever a helper
// takes a const char*, a null pointer reads as the empty text. Every helper
// that turns numbers into text or back follows the decimal point of the
// run-time numeric locale (setlocale), which the application sets from the
// user's settings.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// Format strings are checked against what msvcrt reads ("%I64d" and "%lld" pass,
// "%zu" does not). In C++ code libstdc++ switches the printf family to MinGW's
// own implementation whatever __USE_MINGW_ANSI_STDIO says; keeping formats
// within msvcrt's set keeps them valid for both.
#if defined(__GNUC__)
#define STRUTIL_PRINTF(fmt, args) __attribute__((format(ms_printf, fmt, args)))
#else
#define STRUTIL_PRINTF(fmt, args)
#endif

// Two lengths, costs, fractions or sums are equal when they differ by less than
// this; a divisor or a sum is zero when it lies strictly between -Tolerance and
// Tolerance. Never changed at run time.
constexpr double Tolerance = 1e-7;

// ---- Tolerance, rounding and arithmetic -------------------------------------

// a > b, or a and b within eps of each other.
bool IsAtLeast(double a, double b, double eps = Tolerance);
// abs(x) < eps (strict).
bool IsNearZero(double x, double eps = Tolerance);
// abs(a - b) < eps (strict).
bool NumEqual(double a, double b, double eps = Tolerance);

// a / b; 0 when b lies strictly between -1e-7 and 1e-7.
double SafeDivide(double a, double b);
// a / b computed as a double; 0 when b is 0.
double SafeDivide(long a, long b);
// Mixed or other arithmetic arguments (int literals, a long over a double):
// two integers divide as longs, anything else as doubles.
template <class A, class B,
          class = std::enable_if_t<std::is_arithmetic<A>::value && std::is_arithmetic<B>::value>>
inline double SafeDivide(A a, B b)
{
    if constexpr (std::is_integral<A>::value && std::is_integral<B>::value)
        return SafeDivide(static_cast<long>(a), static_cast<long>(b));
    else
        return SafeDivide(static_cast<double>(a), static_cast<double>(b));
}

// Halves round away from zero: 2.5 gives 3, -2.5 gives -3.
long RoundToLong(double x);

// Rescales the values in place to whole percentages; the last one takes up the
// rounding so that the list always sums to 100 (an empty list stays empty).
void MakePercentages(std::vector<long>& values);

// ---- Numbers to text and back -----------------------------------------------

std::string StrFromLong(long x);
std::string StrFromUInt64(uint64_t x);
// x printed with a printf format for one double ("%.5f" for lengths and costs).
std::string StrFromDouble(double x, const char* format = "%.5f");
// "%f", then trailing zeroes dropped while a digit stays after the decimal point:
// 2.5 -> "2.5", 3 -> "3.0"; with a comma as decimal point 3 -> "3,".
std::string StrFromDoubleCompact(double x);
// Eight upper-case hexadecimal digits: the key under which windows and owned
// objects are registered in property bags.
std::string StrFromPointer(const void* p);
// The pointer a "%p" text names; null for a null, empty or unreadable text.
void* StrToPointer(const char* text);
// atoi: leading blanks skipped, digits up to the first non-digit; 0 when empty.
long StrToLong(const std::string& s);
long StrToLong(const char* text);
// atof; 0.0 when empty.
double StrToDouble(const std::string& s);
double StrToDouble(const char* text);

// ---- Building and formatting ------------------------------------------------

// A string from a NUL-terminated text; null gives the empty text.
std::string StrFromText(const char* text);
// A copy that ends at the first NUL byte of s.
std::string StrCopy(const std::string& s);
// Pointer to character i when 0 <= i < length, otherwise to the first character.
const char* StrCharAt(const std::string& s, long i);
char* StrCharAt(std::string& s, long i);

// printf-style formatting into owned strings; the result is never cut.
// A null format leaves out unchanged.
std::string& StrFormat(std::string& out, const char* format, ...) STRUTIL_PRINTF(2, 3);
// The same, appended to out.
std::string& StrAppendFormat(std::string& out, const char* format, ...) STRUTIL_PRINTF(2, 3);
// Formatting through a buffer of the calling thread, returned as a new string;
// a null format gives the empty text.
std::string StrFormatStatic(const char* format, ...) STRUTIL_PRINTF(1, 2);
// Bounded formatting into a caller's buffer of 1024 characters: a longer result
// is cut at 1023 characters, always terminated. Returns the characters written.
long FormatBuffer1024(char* buffer, const char* format, ...) STRUTIL_PRINTF(2, 3);
// The va_list forms the above are built on (the whole result, never cut).
std::string StrFormatV(const char* format, va_list args);
std::string& StrAppendFormatV(std::string& out, const char* format, va_list args);

// ---- Comparing, searching and cutting -----------------------------------------

// false when text is null or of another length; byte equality, or _stricmp.
bool StrEqual(const std::string& s, const char* text, bool ignoreCase = false);
// The string is not empty and begins with "$".
bool StrStartsWithDollar(const std::string& s);
// Inserts text at position; appends when position is negative or not below the length.
std::string& StrInsert(long position, std::string& s, const char* text);
// count bytes from start (start < 0 counts as 0; a negative count or one past the
// end takes the rest; a start at or past the end gives the empty text).
std::string StrMid(const std::string& s, long start, long count = -1);
// Bytes first to last inclusive; last -1 means the last byte.
std::string StrSlice(const std::string& s, long first, long last = -1);
// The text before the first (or last) occurrence of any of the characters: the
// whole text when none occurs, the empty text when the set is empty.
std::string StrBeforeAny(const std::string& s, const char* characters, bool first = true);
// The text after the first (or last) occurrence of any of the characters; the
// empty text when none occurs or the set is empty.
std::string StrAfterAny(const std::string& s, const char* characters, bool first = true);
// In place: removes bytes up to 32 (and 0xA0 with alsoNbsp) from both ends or
// from the right end only.
std::string& StrTrim(std::string& s, bool rightOnly = false, bool alsoNbsp = false);
// In place: removes the UTF-8 byte-order mark (EF BB BF) that editors and
// spreadsheets put at the start of a text file, when s begins with it.
std::string& StrDropUtf8Bom(std::string& s);
// Replaces every occurrence of what, left to right, never rescanning inserted
// text; a null with deletes. Returns the count.
long StrReplaceAll(std::string& s, const char* what, const char* with);
// The n-th token (from 0) of s by a separator text into out. With skipQuoted,
// separators between double quotes do not split (the quotes stay in the token).
// An empty s or a null separator gives false and leaves out untouched; a token
// past the last gives false and an empty out.
bool StrToken(const std::string& s, std::string& out, long n, const char* separator,
              bool trim = false, bool skipQuoted = false);
// The n-th field (from 0) of s by a separator text; the empty text when none.
std::string StrField(const std::string& s, const char* separator, long n);
// Replaces each byte of s found in characters (and the marker itself) by the
// marker, its value as a signed 8-bit number and the marker: "&13&".
std::string StrEscapeChars(const std::string& s, const char* characters, const char* marker = "&");
// The reverse of StrEscapeChars.
std::string StrUnescapeChars(const std::string& s, const char* marker = "&");
// The one-character name of a row: a-z, A-Z, 0-9, the bytes 0xC0..0xFE, then "*".
std::string RowLetter(long n);

// ---- Lists of strings ---------------------------------------------------------

// Index of the first element equal to text ignoring case; -1 when none.
long StrListFind(const std::vector<std::string>& list, const char* text);
// Appends the tokens of text (those of StrToken, read in one pass) to the
// list; returns how many were appended.
long StrSplit(const std::string& text, std::vector<std::string>& list, const char* separator,
              bool trim = false, bool skipQuoted = false);
// The elements with the separator between them; a null separator means ";".
std::string StrJoin(const std::vector<std::string>& list, const char* separator = ";");

// ---- Narrow and wide text -----------------------------------------------------

// Converts with the given code page (0 = ANSI, 65001 = UTF-8). With a null
// buffer the result goes into a new zero-filled block of 2 x length + 2 bytes
// that the caller releases with free(). A caller's buffer must hold the whole
// text and its terminator. A null text (or a failed allocation) gives null.
wchar_t* TextToWide(wchar_t* buffer, const char* text, unsigned codePage = 0);
// The reverse. A new block (released with free()) holds the byte count the
// conversion reports for the code page, or wide length + 1 bytes for code page 0.
char* WideToText(char* buffer, unsigned codePage, const wchar_t* wide);
