#include "foundation/TextDecode.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "foundation/Helper.h"

namespace {

// The line (from 1) of the character at offset: a line feed, or a carriage
// return not followed by one, ends a line.
template <class Char>
long LineAt(const Char* text, size_t offset)
{
    long line = 1;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == Char('\n') || (text[i] == Char('\r') && (i + 1 >= offset || text[i + 1] != Char('\n'))))
            ++line;
    }
    return line;
}

TextDecodeResult Failure(TextDecodeError error, TextEncoding encoding, long line)
{
    TextDecodeResult result;
    result.error = error;
    result.encoding = encoding;
    result.line = line;
    return result;
}

// Strict UTF-8 into UTF-16: overlong forms, surrogates and values past
// U+10FFFF are faults. Returns the offset of the first fault, or length.
size_t Utf8ToUtf16(const unsigned char* bytes, size_t length, std::wstring& wide)
{
    wide.clear();
    wide.reserve(length);
    size_t i = 0;
    while (i < length) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            wide += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        size_t extra = 0;
        unsigned long code = 0;
        unsigned long least = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return i;
        }
        if (i + extra >= length)
            return i;
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char next = bytes[i + k];
            if ((next & 0xC0) != 0x80)
                return i;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i;
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (code >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            wide += static_cast<wchar_t>(code);
        }
        i += extra + 1;
    }
    return length;
}

// UTF-16 into the ANSI code page; false when a character has no sign there.
bool WideToAnsi(const wchar_t* wide, size_t length, std::string& text)
{
    text.clear();
    if (length == 0)
        return true;
    const int count = static_cast<int>(length);
    BOOL usedDefault = FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, nullptr, 0, nullptr,
                                            &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    text.resize(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, &text[0], bytes, nullptr, &usedDefault);
    return !usedDefault;
}

// The line of the first character that WideToAnsi cannot take.
long FirstUnconvertibleLine(const std::wstring& wide)
{
    std::string scratch;
    for (size_t i = 0; i < wide.size(); ++i) {
        // A surrogate pair is one character.
        const size_t width = (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size()) ? 2 : 1;
        if (!WideToAnsi(wide.data() + i, width, scratch))
            return LineAt(wide.data(), i);
        i += width - 1;
    }
    return 0;
}

// The decoded UTF-16 handed on as narrow text, or the fault it holds.
TextDecodeResult FromWide(const std::wstring& wide, TextEncoding encoding, std::string& text)
{
    const size_t zero = wide.find(L'\0');
    if (zero != std::wstring::npos)
        return Failure(TextDecodeError::ZeroByte, encoding, LineAt(wide.data(), zero));
    if (!WideToAnsi(wide.data(), wide.size(), text)) {
        text.clear();
        return Failure(TextDecodeError::NotInCodePage, encoding, FirstUnconvertibleLine(wide));
    }
    TextDecodeResult result;
    result.encoding = encoding;
    return result;
}

bool StartsWith(const char* bytes, size_t length, const char* mark, size_t markLength)
{
    return length >= markLength && memcmp(bytes, mark, markLength) == 0;
}

} // namespace

TextDecodeResult DecodeTextBytes(const char* bytes, size_t length, std::string& text)
{
    text.clear();
    if (!bytes)
        length = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);

    if (StartsWith(bytes, length, "\xEF\xBB\xBF", 3)) {
        std::wstring wide;
        const size_t fault = Utf8ToUtf16(data + 3, length - 3, wide);
        if (fault < length - 3)
            return Failure(TextDecodeError::Malformed, TextEncoding::Utf8, LineAt(bytes + 3, fault));
        return FromWide(wide, TextEncoding::Utf8, text);
    }

    const bool little = StartsWith(bytes, length, "\xFF\xFE", 2);
    if (little || StartsWith(bytes, length, "\xFE\xFF", 2)) {
        const TextEncoding encoding = little ? TextEncoding::Utf16LittleEndian : TextEncoding::Utf16BigEndian;
        const size_t units = (length - 2) / 2;
        std::wstring wide(units, L'\0');
        for (size_t i = 0; i < units; ++i) {
            const unsigned first = data[2 + 2 * i];
            const unsigned second = data[3 + 2 * i];
            wide[i] = static_cast<wchar_t>(little ? first | (second << 8) : (first << 8) | second);
        }
        // A byte left over cannot be half a character of a well-formed file.
        if ((length - 2) % 2 != 0)
            return Failure(TextDecodeError::Malformed, encoding, LineAt(wide.data(), wide.size()));
        return FromWide(wide, encoding, text);
    }

    const void* zero = memchr(bytes, '\0', length);
    if (zero)
        return Failure(TextDecodeError::ZeroByte, TextEncoding::Ansi,
                       LineAt(bytes, static_cast<size_t>(static_cast<const char*>(zero) - bytes)));
    text.assign(bytes ? bytes : "", length);
    return TextDecodeResult();
}

TextDecodeResult ReadTextFile(const char* path, std::string& text)
{
    text.clear();
    if (!path || !*path || ::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return Failure(TextDecodeError::Unreadable, TextEncoding::Ansi, 0);
    uint32_t length = 0;
    std::unique_ptr<char[]> bytes(Helper::ReadWholeFile(path, &length));
    if (!bytes) {
        // The whole-file reader gives nothing for an empty file too.
        const HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return Failure(TextDecodeError::Unreadable, TextEncoding::Ansi, 0);
        LARGE_INTEGER size = {};
        const BOOL sized = ::GetFileSizeEx(file, &size);
        ::CloseHandle(file);
        if (!sized || size.QuadPart != 0)
            return Failure(TextDecodeError::Unreadable, TextEncoding::Ansi, 0);
        return TextDecodeResult();
    }
    return DecodeTextBytes(bytes.get(), length, text);
}

std::string TextDecodeMessage(const TextDecodeResult& result)
{
    std::string message;
    switch (result.error) {
    case TextDecodeError::None:
        return message;
    case TextDecodeError::ZeroByte:
        message = "The file is not text: it holds a zero byte";
        break;
    case TextDecodeError::Malformed:
        message = result.encoding == TextEncoding::Utf8 ? "The file is marked as UTF-8 but is not valid UTF-8"
                                                        : "The file is marked as UTF-16 but is not valid UTF-16";
        break;
    case TextDecodeError::NotInCodePage:
        message = "The file holds a character that the program's code page cannot show";
        break;
    case TextDecodeError::Unreadable:
        return "The file cannot be read";
    }
    if (result.line > 0)
        message += " (line " + std::to_string(result.line) + ")";
    return message + ".";
}
