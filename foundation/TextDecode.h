// The bytes of a text file as the program's narrow text (the ANSI code page):
// a UTF-8 byte-order mark is dropped and the UTF-8 behind it converted, UTF-16
// with a byte-order mark (either byte order) is converted, and anything
// holding a zero byte is refused as no text at all. Bytes without a mark are
// taken as they are. Whatever cannot be read as typed is refused, never
// handed on changed.
#pragma once

#include <cstddef>
#include <string>

enum class TextDecodeError {
    None,
    // A zero byte (or a zero character of UTF-16): a binary file.
    ZeroByte,
    // UTF-8 or UTF-16 that breaks its own rules (an odd byte count, a
    // broken sequence).
    Malformed,
    // A character the ANSI code page has no sign for.
    NotInCodePage,
    // The file is missing or unreadable.
    Unreadable,
};

enum class TextEncoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

struct TextDecodeResult {
    TextDecodeError error = TextDecodeError::None;
    TextEncoding encoding = TextEncoding::Ansi;
    // The line (from 1) of the first fault; 0 when there is none or the
    // fault has no line (Unreadable).
    long line = 0;

    bool Ok() const { return error == TextDecodeError::None; }
};

// Decodes length bytes into text (replaced; left empty on failure).
TextDecodeResult DecodeTextBytes(const char* bytes, size_t length, std::string& text);

// Reads a whole file and decodes it. An empty file gives an empty text and
// no error; a missing or unreadable one gives Unreadable.
TextDecodeResult ReadTextFile(const char* path, std::string& text);

// An English sentence that says why the text was refused, naming the line
// when there is one ("" for no error).
std::string TextDecodeMessage(const TextDecodeResult& result);
