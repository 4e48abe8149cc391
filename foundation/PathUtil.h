// Files and paths: whole-file reading and writing, the key=value text files
// (report layouts, the properties file), and building, splitting, probing,
// listing and deleting paths. Paths are narrow texts in the ANSI code page;
// the file system is reached through the wide calls. "/" is accepted on input;
// the separator produced is "\". Nothing here depends on or changes the
// process's current folder beyond resolving relative paths against it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/DAuto.h"
#include "foundation/StrList.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"

// ---- Reading and writing whole files ------------------------------------------

// Reads an existing file (shared for reading) into buffer: all of it, or its
// first maxBytes when 0 < maxBytes < its size. Returns the bytes read, 0 when
// not all of them could be read. A missing or empty file gives 0 and leaves
// the buffer as it was.
long FileRead(const char* path, UMemory& buffer, long maxBytes = 0);
// Empties list and fills it with the lines of the file. A CR or LF ends a line
// and every byte below 32 right after it is passed over; NUL bytes are
// dropped; lines are not trimmed. Returns the line count.
long FileLoadLines(const char* path, UStringList& list);
// Adds the lines of a key=value file to pairs (not emptied first): "key=value"
// (trimmed; text after a second "=" is dropped), or a comment line, which
// begins with the list's marker, as the pair (marker, its text). A key met
// again keeps its place and takes the new value; so do comments, which share
// the marker as key. Returns the list's count; 0 and nothing changed when the
// path is not a file.
long FileLoadPairs(const char* path, UPairList& pairs);
// Writes each line followed by CR LF.
bool FileSaveLines(const char* path, const UStringList& list);
// Writes "key=value" per pair, or "marker text" for a pair keyed by the marker.
// False for a blank path.
bool FileSavePairs(const char* path, const UPairList& pairs);
// Writes the bytes as the whole file. They go to a file beside the target
// first, which then takes the target's place, so a failure leaves the
// previous file as it was. An empty buffer makes an empty file. True when
// every byte was written.
bool FileWrite(const char* path, const UMemory& buffer);
bool FileWrite(const char* path, const char* data, long length);

// ---- Building and splitting paths -----------------------------------------------

// folder + "\" + name (no separator added after an empty folder or one that
// ends in "\" or "/"), or folder alone for an empty name, with every "/" turned
// into "\". Both empty: out is left as it was. Returns out's text.
const char* PathJoin(UString& out, const char* folder, const char* name);
// The same into a caller's buffer of MAX_PATH bytes. A path that would not
// fit leaves the empty text, so it can never name some other, shorter path.
char* PathJoinBuffer(const char* folder, const char* name, char* buffer);
// In place: trimmed, trailing separators removed, "/" turned into "\", each
// segment trimmed and empty segments dropped; a leading "\\" (a UNC path) or
// "\" (the drive's root) is kept. Returns the text.
const char* PathNormalize(UString& path);
// Splits a normalised path into folder (drive + folder, no trailing
// separator), name (with its extension) and extension (without its dot); each
// out is optional and emptied first. A bare drive "D:" is a folder. True when
// there is a name, else whether there is a folder (for "D:": whether it is a
// drive root); false for an empty path.
bool PathSplit(const char* path, UString* folder, UString* name, UString* extension);
// The file name without its last extension, and that extension without its
// dot; a name whose only dot is its first character is all base. False for an
// empty path, otherwise as PathSplit.
bool PathName(const char* path, UString* base, UString* extension);

// ---- Probing, creating, listing and deleting ----------------------------------------

// 0 missing, 1 file, 2 folder for PathJoin(folder, name) without one trailing
// separator. A drive root counts as a folder; a UNC share by the first entry
// it lists. data, when given, gets what the search found.
int PathExists(const char* folder, const char* name, WIN32_FIND_DATAW* data = nullptr);
// The same for one path through the narrow calls.
int PathExistsA(const char* path);
// Makes the folder with every missing parent; true when it is a folder
// afterwards (or was before). normalized, when given, gets the path with its
// separators normalised.
bool PathCreateDirectory(const char* path, UString* normalized = nullptr);
// Appends the paths of the files of folder that match pattern ("*.*" when
// none), and with recursive the files of each matching subfolder at its place.
// Returns how many were appended; an empty or unreadable folder adds nothing.
long PathListFiles(const char* folder, const char* pattern, UStringList& list, bool recursive);
// The same for the subfolders ("." and ".." left out), each followed by its
// own subfolders when recursive.
long PathListDirs(const char* folder, const char* pattern, UStringList& list, bool recursive);
// Deletes the file; with force a read-only or hidden file is cleared of those
// attributes and tried again. True when it is gone.
bool FileDelete(const char* path, bool force);
// Deletes the files and subfolders of folder, and with removeFolder the folder
// itself. A link to a folder is removed without touching what it points to.
// Failures are not reported.
void PathDeleteTree(const char* folder, bool removeFolder);

// ---- Paths the program can hold ---------------------------------------------------------

// Why a path cannot name a file of this program. Paths live in the ANSI code
// page and in MAX_PATH characters: a name the code page cannot write arrives
// with "?" in the place of each character it lost (and "?" and "*" would be
// read as patterns, matching other files), and a longer path is cut or
// refused by the narrow calls.
enum class PathFault {
    None,
    Empty,
    TooLong,            // MAX_PATH characters or more, once made a full path
    LostCharacters,     // "?" or "*", or text that does not survive the code page
};
PathFault PathCheckUsable(const char* path);

// The ANSI form of a wide path. A character without an exact ANSI form
// becomes "?", never a look-alike (a best fit would name another file), so
// PathCheckUsable refuses the result.
std::string PathFromWide(const wchar_t* wide);

// ---- Whether another program changed a file --------------------------------------------------

// What a file held when the program last read or wrote it. Another program
// that writes the file changes its size or its checksum; the same bytes
// written again change only the time, and lose nothing.
struct FileStamp {
    bool known = false;
    int64_t size = 0;
    int64_t time = 0;        // last write, as one FILETIME count
    uint64_t checksum = 0;   // FileChecksum of every byte
};

// A checksum of bytes (64-bit FNV-1a): equal bytes give equal sums, and a
// change of any byte almost surely another.
uint64_t FileChecksum(const char* data, size_t length);
// The stamp of bytes just read from or written to path: their size and
// checksum, and the file's last-write time as it is now.
FileStamp FileStampOf(const char* path, const char* data, size_t length);
// The stamp of the file as it is now; not known when it cannot be read.
FileStamp FileStampRead(const char* path);
// True when both stamps are known and show the same bytes.
bool FileStampSameBytes(const FileStamp& a, const FileStamp& b);

// ---- Damaged files -------------------------------------------------------------------------------

// True when the file holds a byte that no text file holds (NUL or another
// control byte than tab, form feed, end of file, CR and LF): it is not a text
// file, whatever it was meant to be. False for a missing or empty file.
bool FileLooksBinary(const char* path);
// Moves the file to the first free name "<path>.bad", "<path>.2.bad", ...
// beside it, or copies it there when it cannot be moved; keptAs gets that
// name. False, with keptAs empty, when no copy could be made.
bool FileSetAside(const char* path, UString& keptAs);

// ---- Formatting ------------------------------------------------------------------------

// printf-style text in a buffer of the calling thread, valid until that
// thread's next call; never cut. A null or empty format gives the empty text.
const char* FormatTemp(const char* format, ...) STRUTIL_PRINTF(1, 2);
