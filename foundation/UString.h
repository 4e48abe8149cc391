// The program's own narrow string (ANSI code page), and a text held in both its
// narrow and its wide form for the wide-character system calls.
#pragma once

#include <string>

#include "foundation/StrUtil.h"

// A growable, NUL-terminated byte buffer that grows in 128-byte steps and holds
// at most 0xFFFFF bytes of text. An empty string made by assignment has no
// buffer at all; reading it gives the empty text. Not locked: one thread at a time.
class UString
{
public:
    // The largest text a string may reserve room for.
    static constexpr long MaxText = 0xFFFFF;
    static constexpr long DefaultGrowStep = 128;

    UString();
    UString(const UString& other);
    UString(UString&& other) noexcept;
    // From a NUL-terminated text; null gives an empty string.
    UString(const char* text);
    // The text of "%ld".
    explicit UString(long value);
    explicit UString(int value) : UString(static_cast<long>(value)) {}
    // The text of "%.5f" in the run-time numeric locale.
    explicit UString(double value);
    virtual ~UString();

    // The concatenation of the texts up to the first null or empty one; the
    // list must end with a null pointer.
    static UString Concat(const char* text, ...) __attribute__((sentinel));

    // Nothing when both share a buffer; otherwise a copy of the other's text.
    UString& operator=(const UString& other);
    UString& operator=(UString&& other) noexcept;
    // Nothing when text lies inside this string's own text; null or the empty
    // text leaves the string without buffer; a text over 0xFFFFF bytes leaves it empty.
    UString& operator=(const char* text);
    // The same without the own-text test.
    UString& Assign(const char* text);
    UString& operator+=(const UString& other);
    // Appends n bytes of text (n = -1: all of it).
    UString& Append(const char* text, long n = -1);

    // false when either string is empty; otherwise byte equality.
    bool operator==(const UString& other) const;
    // Byte order (unsigned); a string without text orders before every string with text.
    bool operator<(const UString& other) const;

    // ---- Buffer and editing ----

    // Room for n bytes of text; false when n <= 0, n > 0xFFFFF or out of memory.
    bool Reserve(long n);
    // Frees the text and gives a zero-filled buffer of room for n bytes for a
    // system call to write into; returns n, or 0 on failure.
    long AllocBuffer(long n);
    // Writes n bytes of text (-1: all) at position (past the end counts as the
    // end); returns the buffer, or null when it could not grow (then unchanged).
    char* Write(long n, const char* text, long position);
    // Inserts n bytes of text (-1: all) at position (clamped to the length).
    char* Insert(long n, const char* text, long position);
    // Removes count bytes at position (-1 or past the end: the rest). Returns the new length.
    long Delete(long count, long position);
    // printf-style formatting; an argument may be this string's own text. A null
    // format leaves the string unchanged.
    UString& Format(const char* format, ...) STRUTIL_PRINTF(2, 3);
    // Removes bytes up to 32 from both ends, or from the right end only (a
    // string of blanks only is then left as it is).
    UString& Trim(bool rightOnly = false);
    // Upper-cases the ASCII letters.
    UString& MakeUpper();
    // Reverses the bytes; returns the number of swaps.
    long Reverse();
    // Replaces every occurrence of what by with (null or empty: deletes), never
    // rescanning inserted text; returns the number of replacements.
    long ReplaceAll(const char* what, const char* with);

    // ---- Reading ----

    // Never null: the empty text when there is no buffer.
    const char* GetText() const { return m_data ? m_data : ""; }
    // The buffer itself, null when there is none.
    char* GetData() { return m_data; }
    const char* GetData() const { return m_data; }
    long GetLength() const { return m_length; }
    long GetCapacity() const { return m_capacity; }
    long GetGrowStep() const { return m_growStep; }
    bool IsEmpty() const { return m_length == 0; }
    std::string ToStdString() const { return std::string(GetText(), m_length); }

    // Some text (with trim: some text after trimming both ends).
    bool HasText(bool trim = false) const;
    // Byte i when 0 <= i < capacity, else the buffer's start (null without buffer).
    char* CharAt(long i);
    const char* CharAt(long i) const;
    // atoi of the text; 0 without text.
    long ToLong() const;
    // count bytes from start (count < 0: to the end).
    UString Mid(long start, long count = -1) const;
    // Makes this string bytes first..last inclusive of source (first < 0: 0;
    // last < 0: the end); returns last - first + 1.
    long CopyRange(const UString& source, long first, long last = -1);
    // Offset of pattern at or after start, counted from start; -1 when not found,
    // without buffer or with an empty pattern; -2 when start is outside the text.
    long Find(const char* pattern, long start = 0, bool matchCase = true) const;
    // Index of the last occurrence of pattern; -1 when none.
    long ReverseFind(const char* pattern, bool matchCase = true) const;
    // The n-th token (from 0) by a separator text; 'a;b;' has 'a', 'b' and ''.
    bool GetToken(long n, const char* separator, UString& out) const;
    UString Token(long n, const char* separator) const;
    // Compares the first n bytes (n < 0: the longer length) with pattern;
    // false without buffer or for a pattern of blanks only.
    bool IsEqual(const char* pattern, long n = -1, bool matchCase = true) const;

private:
    void FreeBuffer();
    // Write (insert false) or Insert (insert true).
    char* Put(long n, const char* text, long position, bool insert);

    char* m_data = nullptr;
    long m_length = 0;
    long m_capacity = 0;
    long m_growStep = DefaultGrowStep;
};

// One text in two forms, narrow (ANSI code page) and wide. After SetA or SetW
// both forms are present; after a copy or an append only one is, and a reader
// of the missing form sees no text.
class UWString
{
public:
    UWString() = default;
    // As SetW.
    explicit UWString(const wchar_t* wide);
    // As operator=.
    UWString(const UWString& other);
    ~UWString();

    // Copies only the other's wide form when it has one, else its narrow form.
    UWString& operator=(const UWString& other);

    // Both forms from a narrow text; null leaves both empty.
    void SetA(const char* text);
    // Both forms from a wide text; null leaves both empty.
    void SetW(const wchar_t* wide);
    // Appends to the wide form; the narrow form is released.
    void AppendA(const char* text);
    void AppendW(const wchar_t* wide);

    // Never null: the empty text when the form is missing.
    const char* GetA() const { return m_narrow ? m_narrow : ""; }
    const wchar_t* GetW() const { return m_wide ? m_wide : L""; }
    bool HasA() const { return m_narrow != nullptr; }
    bool HasW() const { return m_wide != nullptr; }
    // Characters of the narrow form once both forms agree (a missing form is
    // made from the other); 0 without text. Defined with the owned buffers.
    long GetLength();

private:
    void Free();

    char* m_narrow = nullptr;
    wchar_t* m_wide = nullptr;
    unsigned long m_flags = 0;
};
