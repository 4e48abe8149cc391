// The number of live GDI objects of the test process, for tests that show a
// piece of drawing code leaves none behind.
#pragma once

#include <windows.h>

#include <cstdint>

// Wine keeps no count of them (GetGuiResources answers 0), but there a
// handle whose upper word is 0 names the live object in that slot of its
// table, whatever its generation.
inline DWORD GdiObjectCount()
{
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0) {
        return count;
    }
    for (uintptr_t slot = 1; slot <= 0xFFFF; ++slot) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) {
            ++count;
        }
    }
    return count;
}
