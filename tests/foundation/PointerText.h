// Pointer texts are upper-case hexadecimal with as many digits as a pointer
// holds: eight on the 32-bit program, sixteen on the 64-bit build.
#pragma once
#include <cstdint>
#include <string>

inline std::string PointerText(uintptr_t value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string text(sizeof(void*) * 2, '0');
    for (size_t i = text.size(); i-- > 0; value >>= 4)
        text[i] = hex[value & 0xF];
    return text;
}
