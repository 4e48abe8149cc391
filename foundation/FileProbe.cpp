#include "foundation/FileProbe.h"

#include <shlwapi.h>

bool FindFirstEntry(const std::string& path, WIN32_FIND_DATAA& data)
{
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

bool FindFirstEntry(const std::string& path, WIN32_FIND_DATAW& data)
{
    const int count = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (count <= 0)
        return false;
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], count);
    HANDLE find = FindFirstFileW(wide.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

bool IsDriveRoot(const std::string& path)
{
    return PathIsRootA((path + "\\").c_str()) != FALSE;
}

uint64_t ReadableFileSize(HANDLE file, uint64_t limit)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 || static_cast<uint64_t>(size.QuadPart) >= limit)
        return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

uint64_t ReadFileBytes(HANDLE file, char* bytes, uint64_t count)
{
    uint64_t done = 0;
    while (done < count) {
        const uint64_t left = count - done;
        DWORD read = 0;
        if (!ReadFile(file, bytes + done, left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left), &read,
                      nullptr) ||
            read == 0)
            break;
        done += read;
    }
    return done;
}
