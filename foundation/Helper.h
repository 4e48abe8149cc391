// Narrow-text (ANSI code page) operating-system helpers: probing and splitting
// paths, opening a file with its program, the display time stamp, whole-file
// reading and writing, the common file dialogs and the text clipboard.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

class DProps;

namespace Helper {

// Size of the out-buffers of SplitPath (a whole path name of the system).
constexpr int PathBufferSize = MAX_PATH;
// Longest path (terminator included) that CheckFile and CreateDirectories take.
constexpr int LongPathLimit = 1024;

// 0 missing, 1 file, 2 folder. A leading "file:///" and one trailing "\" or "/"
// are ignored; a drive root counts as a folder, a UNC share by its first entry.
// A path that cannot be found is reported on the debugger output.
int CheckFile(const char* path);

// Splits path into folder (drive + folder, keeping its trailing separator),
// file name (name + extension) and extension (without the dot). Each
// out-buffer is optional and must hold PathBufferSize bytes; each is emptied
// first. Returns path, or null for a null or empty path and for a path whose
// parts do not fit the buffers (the buffers then stay empty).
const char* SplitPath(const char* path, char* folder, char* fileName, char* extension);

// path with "." + extension appended unless its own extension is already
// exactly that (case-sensitive); a path that ends in "." only gets the
// extension. An empty path or extension leaves the path unchanged.
std::string EnsureExtension(const char* path, const char* extension);

// Creates folder, or when it is empty the folder part of filePath. A folder
// without "/" is created as one level (its parent must exist); with "/" every
// missing level is created in turn. 1 when the folder already existed, 2 when
// it exists now, 0 otherwise (also when neither argument names a folder).
int CreateDirectories(const char* folder, const char* filePath);

// Full path of an existing file or folder, the empty text when there is none.
// With a bag, sets "path", "name", "extn", "file", "type" (1 file, 2 folder),
// "size" and "time" (last-write FILETIME as one 64-bit number) into it.
std::string GetFileInfo(const char* path, DProps* info);

// Opens file with its associated program (or, when file is empty, the
// parameters text as the target). 259 when the shell started a process, -1
// otherwise. quiet: the shell shows no box of its own (such as "no program
// is associated") and only fails, for callers nobody may be watching.
int ShellOpen(const char* file, const char* parameters, bool quiet = false);

// "yyyy MMM dd HH.mm.ss" of the local time in the user's locale. The text
// lives in a buffer of the calling thread, valid until its next call.
const char* TimeStamp();

// The bytes of an existing file followed by 16 zero bytes (so it reads as a
// text), allocated with new[]: the caller frees it with delete[] (DAuto<char>
// does). Null for a null name, a file that cannot be opened, an empty file, a
// file of 4 GB or more and one not read whole. length, when given, gets the
// file's byte count (0 on failure).
char* ReadWholeFile(const char* fileName, uint32_t* length = nullptr);

// Writes length bytes of data (-1: its text length) into fileName and returns
// the bytes written, 0 for a null name or a file that cannot be written. A
// whole file is written beside the target and then put in its place, so a
// failure leaves the previous file as it was; null data makes the file empty.
// With append the data goes after the file's present contents (the file is
// created when missing); a failed append cuts the file back to its old end.
long WriteBuffer(const char* fileName, long length, const void* data, bool append);

// Writes text as the whole file: unchanged, or, when the bag's "encoding" is
// exactly "utf-8", converted from the ANSI code page to UTF-8 behind the mark
// EF BB BF. Returns the bytes written (mark included); when nothing was
// written the result is 0 and the bag (when given) gets "error" set to the
// system error code.
long WriteTextFile(const char* fileName, const char* text, DProps* options);

// The common open and save dialogs. initialFolder, title and filter (a
// double-NUL list of description/pattern pairs) may be null; filterIndex, when
// given, is the 0-based filter to preselect and gets the chosen one back. The
// dialog starts with the text in file and, on OK, puts the chosen path there
// and returns file; on cancel, or when the chosen path does not fit in
// fileLength bytes, returns null. A null file shows nothing and gives null.
char* OpenFileDialog(const char* initialFolder, int* filterIndex, char* file, HWND owner,
                     const char* title, int fileLength, const char* filter);
char* SaveFileDialog(const char* initialFolder, int* filterIndex, char* file, HWND owner,
                     const char* title, int fileLength, const char* filter);

// Puts a copy of text on the clipboard as CF_TEXT; false for a null or empty
// text (the clipboard is then left alone) or when the clipboard cannot be had.
bool SetClipboardText(const char* text);
// The clipboard's CF_TEXT into text (emptied first); returns its length.
long GetClipboardText(std::string& text);

// The system calls that cannot run without a user or a desktop go through
// this seam, so tests can stand in for them. The base forwards to the system.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;
    virtual BOOL OpenDialog(OPENFILENAMEA* ofn);       // GetOpenFileNameA
    virtual BOOL SaveDialog(OPENFILENAMEA* ofn);       // GetSaveFileNameA
    virtual BOOL Execute(SHELLEXECUTEINFOA* info);     // ShellExecuteExA
    virtual void DebugOutput(const char* text);        // OutputDebugStringA
};

// Replaces the calls in use (null restores the system's); returns the one
// that was in use. The caller keeps ownership. Meant for start-up and tests,
// not for switching while other threads use the helpers.
SystemCalls* SetSystemCalls(SystemCalls* calls);

} // namespace Helper
