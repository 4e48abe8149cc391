// What the narrow Helper functions and the wide path functions share: the
// path separator, the rule by which a path is probed, and reading an open
// file whole. Each family keeps its own calls (the narrow or the wide ones);
// the rule is written once here.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

inline bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

// One FindFirstFile of a path through the narrow or the wide call, by the
// kind of find data; true when it found an entry.
bool FindFirstEntry(const std::string& path, WIN32_FIND_DATAA& data);
bool FindFirstEntry(const std::string& path, WIN32_FIND_DATAW& data);

// True when path followed by "\" names a drive root.
bool IsDriveRoot(const std::string& path);

// How a probe came to its answer.
enum class PathFound {
    Nothing,      // 0: missing
    Entry,        // the path itself was found
    DriveRoot,    // not found, but a drive root: a folder
    UncListing,   // a UNC path found through its first listed entry
};

// The probing rule: a path that a find finds is what its entry says; one
// that is not found is a folder when it is a drive root, and a UNC path
// ("\\" at its start) counts by the first entry that path + "\*" lists.
// data gets what the find returned.
template <class FindData>
PathFound ProbeFoundPath(const std::string& path, FindData& data)
{
    if (FindFirstEntry(path, data))
        return PathFound::Entry;
    if (path.compare(0, 2, "\\\\") == 0)
        return FindFirstEntry(path + "\\*", data) ? PathFound::UncListing : PathFound::Nothing;
    return IsDriveRoot(path) ? PathFound::DriveRoot : PathFound::Nothing;
}

// 0 missing, 1 file, 2 folder, from a probe and its find data.
template <class FindData>
int ProbedType(PathFound found, const FindData& data)
{
    switch (found) {
    case PathFound::Entry:
    case PathFound::UncListing:
        return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : 1;
    case PathFound::DriveRoot:
        return 2;
    default:
        return 0;
    }
}

// The size of an open file when it is above 0 and below limit; 0 otherwise.
uint64_t ReadableFileSize(HANDLE file, uint64_t limit);

// Reads count bytes of an open file into bytes from where it stands; returns
// how many it read (fewer when the system gives no more).
uint64_t ReadFileBytes(HANDLE file, char* bytes, uint64_t count);
