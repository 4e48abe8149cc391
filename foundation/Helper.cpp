#include "foundation/Helper.h"

#include "foundation/DProps.h"
#include "foundation/FileProbe.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"

#include <shlwapi.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <memory>
#include <set>
#include <vector>

namespace Helper {

// ---- The seam ---------------------------------------------------------------

namespace {

BOOL WideFileDialog(OPENFILENAMEA* ofn, bool save);

} // namespace

BOOL SystemCalls::OpenDialog(OPENFILENAMEA* ofn) { return WideFileDialog(ofn, false); }
BOOL SystemCalls::SaveDialog(OPENFILENAMEA* ofn) { return WideFileDialog(ofn, true); }
BOOL SystemCalls::Execute(SHELLEXECUTEINFOA* info) { return ShellExecuteExA(info); }
void SystemCalls::DebugOutput(const char* text) { OutputDebugStringA(text); }

namespace {

SystemCalls& SystemDefault()
{
    static SystemCalls calls;
    return calls;
}

std::atomic<SystemCalls*> g_calls{nullptr};

SystemCalls& Calls()
{
    SystemCalls* calls = g_calls.load();
    return calls ? *calls : SystemDefault();
}

} // namespace

SystemCalls* SetSystemCalls(SystemCalls* calls)
{
    SystemCalls* previous = g_calls.exchange(calls);
    return previous ? previous : &SystemDefault();
}

// ---- Paths ------------------------------------------------------------------

namespace {

bool IsEmpty(const char* text) { return !text || !*text; }

// The parts of a path by the runtime's _splitpath rules: a drive is a letter
// and ":", the folder runs to the last separator, the extension from the last
// "." of what follows.
struct PathParts {
    std::string drive, folder, name, extension;
};

PathParts Split(const std::string& path)
{
    PathParts parts;
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    size_t lastSeparator = std::string::npos;
    for (size_t i = start; i < path.size(); ++i)
        if (IsPathSeparator(path[i]))
            lastSeparator = i;
    size_t nameStart = start;
    if (lastSeparator != std::string::npos) {
        parts.folder = path.substr(start, lastSeparator + 1 - start);
        nameStart = lastSeparator + 1;
    }
    std::string rest = path.substr(nameStart);
    size_t dot = rest.rfind('.');
    if (dot != std::string::npos) {
        parts.name = rest.substr(0, dot);
        parts.extension = rest.substr(dot);
    } else {
        parts.name = rest;
    }
    return parts;
}

// The extension of a path without its dot.
std::string ExtensionOf(const std::string& path)
{
    std::string extension = Split(path).extension;
    return extension.empty() ? extension : extension.substr(1);
}

// A path as CheckFile probes it: without "file:///" and without one trailing
// separator.
std::string ProbeText(const char* path)
{
    static const char scheme[] = "file:///";
    const size_t schemeLength = sizeof(scheme) - 1;
    std::string text(path);
    if (text.compare(0, schemeLength, scheme) == 0)
        text.erase(0, schemeLength);
    if (!text.empty() && IsPathSeparator(text.back()))
        text.pop_back();
    return text;
}

// What a probe of CheckFile found.
struct Probe {
    int type = 0;               // 0 nothing, 1 file, 2 folder
    bool root = false;          // a drive root, known without a find
    bool uncListing = false;    // found through path + "\*"
    std::string found;          // the text that was found
    WIN32_FIND_DATAA data{};
};

Probe ProbePath(const char* path)
{
    Probe probe;
    if (IsEmpty(path))
        return probe;
    std::string text = ProbeText(path);
    if (text.size() + 1 >= static_cast<size_t>(LongPathLimit)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    } else {
        const PathFound found = ProbeFoundPath(text, probe.data);
        probe.type = ProbedType(found, probe.data);
        if (probe.type != 0) {
            probe.root = found == PathFound::DriveRoot;
            probe.uncListing = found == PathFound::UncListing;
            probe.found = probe.uncListing ? text + "\\*" : text;
            return probe;
        }
    }
    DWORD error = GetLastError();
    std::string message;
    StrFormat(message, "Error in Helper::CheckFile(\"%s\"); GetLastError = %ld", text.c_str(),
              static_cast<long>(error));
    Calls().DebugOutput(message.c_str());
    return probe;
}

} // namespace

int CheckFile(const char* path)
{
    return ProbePath(path).type;
}

const char* SplitPath(const char* path, char* folder, char* fileName, char* extension)
{
    for (char* out : {folder, fileName, extension})
        if (out)
            *out = '\0';
    if (IsEmpty(path))
        return nullptr;
    PathParts parts = Split(path);
    std::string folderText = parts.drive + parts.folder;
    std::string nameText = parts.name + parts.extension;
    std::string extensionText = parts.extension.empty() ? "" : parts.extension.substr(1);
    for (const std::string* text : {&folderText, &nameText})
        if (text->size() >= static_cast<size_t>(PathBufferSize))
            return nullptr;
    if (folder)
        memcpy(folder, folderText.c_str(), folderText.size() + 1);
    if (fileName)
        memcpy(fileName, nameText.c_str(), nameText.size() + 1);
    if (extension)
        memcpy(extension, extensionText.c_str(), extensionText.size() + 1);
    return path;
}

std::string EnsureExtension(const char* path, const char* extension)
{
    std::string result = StrFromText(path);
    if (IsEmpty(path) || IsEmpty(extension) || ExtensionOf(result) == extension)
        return result;
    if (result.back() != '.')
        result += '.';
    result += extension;
    return result;
}

namespace {

// True when text names a folder now, without reporting a miss.
bool IsFolder(const std::string& text)
{
    DWORD attributes = GetFileAttributesA(text.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

int CreateDirectories(const char* folder, const char* filePath)
{
    std::string target = StrFromText(folder);
    if (target.empty() && !IsEmpty(filePath))
        target = Split(filePath).drive + Split(filePath).folder;
    if (target.empty() || target.size() + 1 >= static_cast<size_t>(LongPathLimit))
        return 0;
    if (CheckFile(target.c_str()) == 2)
        return 1;
    if (target.find('/') == std::string::npos) {
        CreateDirectoryA(target.c_str(), nullptr);
        return IsFolder(target) ? 2 : 0;
    }
    // Level by level, each one after the one before, so a relative path starts
    // at the current folder (which is never changed: other threads use it).
    // Levels that exist are passed; one that cannot be made is passed too,
    // since a share or a server of a "//" path exists without being made, and
    // whether the whole path is a folder at the end is the answer.
    for (size_t end = target.find('/'); end != std::string::npos; end = target.find('/', end + 1)) {
        std::string level = target.substr(0, end);
        if (end > 0 && target[end - 1] != '/' && !IsFolder(level))
            CreateDirectoryA(level.c_str(), nullptr);
    }
    if (!IsFolder(target))
        CreateDirectoryA(target.c_str(), nullptr);
    return IsFolder(target) ? 2 : 0;
}

std::string GetFileInfo(const char* path, DProps* info)
{
    Probe probe = ProbePath(path);
    if (probe.type == 0)
        return std::string();
    // A drive root is named with its separator: "C:" alone is the current
    // folder of that drive.
    std::string text = ProbeText(path) + (probe.root ? "\\" : "");
    std::string full = text;
    DWORD needed = GetFullPathNameA(text.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<char> buffer(needed + 1);
        DWORD written = GetFullPathNameA(text.c_str(), needed + 1, buffer.data(), nullptr);
        if (written > 0 && written <= needed)
            full.assign(buffer.data(), written);
    }
    if (!info)
        return full;
    if (probe.uncListing) {
        info->Set("path", probe.found.c_str(), nullptr);
    } else {
        PathParts parts = Split(full);
        info->Set("path", (parts.drive + parts.folder).c_str(), nullptr);
        info->Set("name", (parts.name + parts.extension).c_str(), nullptr);
        info->Set("extn", ExtensionOf(full).c_str(), nullptr);
    }
    info->Set("file", full.c_str(), nullptr);
    info->SetLong("type", probe.type, nullptr);
    int64_t size = 0;
    int64_t time = 0;
    if (!probe.root) {
        size = (static_cast<int64_t>(probe.data.nFileSizeHigh) << 32) | probe.data.nFileSizeLow;
        time = (static_cast<int64_t>(probe.data.ftLastWriteTime.dwHighDateTime) << 32) |
               probe.data.ftLastWriteTime.dwLowDateTime;
    }
    info->SetInt64("size", size, nullptr);
    info->SetInt64("time", time, nullptr);
    return full;
}

// ---- Opening and time stamps --------------------------------------------------

int ShellOpen(const char* file, const char* parameters, bool quiet)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | (quiet ? SEE_MASK_FLAG_NO_UI : 0);
    info.lpVerb = "open";
    info.nShow = SW_SHOWNORMAL;
    if (!IsEmpty(file)) {
        info.lpFile = file;
        info.lpParameters = IsEmpty(parameters) ? nullptr : parameters;
    } else {
        info.lpFile = parameters;
    }
    if (!Calls().Execute(&info) || !info.hProcess)
        return -1;
    CloseHandle(info.hProcess);
    return 259;
}

const char* TimeStamp()
{
    // Calculation threads stamp their texts at the same time as the UI.
    thread_local char buffer[4096];
    buffer[0] = '\0';
    int date = GetDateFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "yyyy MMM dd", buffer,
                              static_cast<int>(sizeof(buffer)));
    if (date <= 0) {
        buffer[0] = '\0';
        return buffer;
    }
    size_t used = strlen(buffer);
    buffer[used++] = ' ';
    buffer[used] = '\0';
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "HH.mm.ss", buffer + used,
                       static_cast<int>(sizeof(buffer) - used)) <= 0)
        buffer[used - 1] = '\0';
    return buffer;
}

// ---- Whole files ----------------------------------------------------------------

namespace {

std::wstring Wide(const char* text, UINT codePage = CP_ACP)
{
    int count = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (count <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count - 1));
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage)
{
    if (wide.empty())
        return std::string();
    int count = WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return std::string();
    std::string text(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], count,
                        nullptr, nullptr);
    return text;
}

// One open file handle, closed when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    bool Close()
    {
        bool closed = true;
        if (IsOpen())
            closed = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// Writes all of data; false when the system writes less.
bool WriteAll(HANDLE file, const char* data, size_t length)
{
    while (length > 0) {
        DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        length -= written;
    }
    return true;
}

// ---- Temporary files beside a target ----------------------------------------
//
// A whole file is written to "<target>.<process>.<thread>.<sequence>.tmp"
// first. A save that was killed leaves that file behind; the next save to the
// same target removes such leftovers, but never the file of a save that is
// still running: one of this process that is under way, or one of another
// process that still runs and was started before the file was made.

// The sequence numbers of this process's temporary files being written now.
SRWLOCK g_liveLock = SRWLOCK_INIT;
std::set<unsigned>& LiveSequences()
{
    static std::set<unsigned>* live = new std::set<unsigned>();  // never destroyed: threads may write late
    return *live;
}

bool IsLiveSequence(unsigned sequence)
{
    AcquireSRWLockShared(&g_liveLock);
    const bool live = LiveSequences().count(sequence) != 0;
    ReleaseSRWLockShared(&g_liveLock);
    return live;
}

// Marks a sequence number as in use for as long as the holder lives.
class LiveTemporary {
public:
    explicit LiveTemporary(unsigned sequence) : m_sequence(sequence)
    {
        AcquireSRWLockExclusive(&g_liveLock);
        LiveSequences().insert(sequence);
        ReleaseSRWLockExclusive(&g_liveLock);
    }
    ~LiveTemporary()
    {
        AcquireSRWLockExclusive(&g_liveLock);
        LiveSequences().erase(m_sequence);
        ReleaseSRWLockExclusive(&g_liveLock);
    }
    LiveTemporary(const LiveTemporary&) = delete;
    LiveTemporary& operator=(const LiveTemporary&) = delete;

private:
    unsigned m_sequence;
};

// Reads the digits at text[at...] up to the dot that must follow them.
bool ReadNumberBeforeDot(const std::wstring& text, size_t& at, unsigned long& value)
{
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9')
        value = value * 10 + static_cast<unsigned long>(text[at++] - L'0');
    if (at == start || at - start > 10 || at >= text.size() || text[at] != L'.')
        return false;
    ++at;
    return true;
}

// The process and sequence of a temporary file of ours for the target's
// name: the name, ".", three numbers each followed by ".", and "tmp".
bool ParseTemporaryName(const std::wstring& file, const std::wstring& targetName, unsigned long& process,
                        unsigned long& sequence)
{
    if (file.size() <= targetName.size() + 1 ||
        _wcsnicmp(file.c_str(), targetName.c_str(), targetName.size()) != 0 || file[targetName.size()] != L'.')
        return false;
    size_t at = targetName.size() + 1;
    unsigned long thread = 0;
    return ReadNumberBeforeDot(file, at, process) && ReadNumberBeforeDot(file, at, thread) &&
           ReadNumberBeforeDot(file, at, sequence) && _wcsicmp(file.c_str() + at, L"tmp") == 0;
}

// True when the process may still be writing a file made at the given time:
// it runs and was started before the file was made. A process that cannot be
// asked counts as running.
bool MayStillWrite(DWORD processId, const FILETIME& fileMade)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    FILETIME started, ended, kernel, user;
    // A process started after the file was made has only taken over the
    // number of the one that made it.
    if (running && GetProcessTimes(process, &started, &ended, &kernel, &user) &&
        CompareFileTime(&started, &fileMade) > 0)
        running = false;
    CloseHandle(process);
    return running;
}

void RemoveStaleTemporaries(const std::wstring& target)
{
    size_t cut = target.find_last_of(L"\\/");
    const std::wstring folder = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
    const std::wstring name = cut == std::wstring::npos ? target : target.substr(cut + 1);
    if (name.empty())
        return;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((target + L".*.tmp").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::wstring> stale;
    const DWORD self = GetCurrentProcessId();
    do {
        unsigned long process = 0, sequence = 0;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !ParseTemporaryName(entry.cFileName, name, process, sequence))
            continue;
        const bool live = process == self ? IsLiveSequence(static_cast<unsigned>(sequence))
                                          : MayStillWrite(static_cast<DWORD>(process), entry.ftCreationTime);
        if (!live)
            stale.push_back(folder + entry.cFileName);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    for (const std::wstring& path : stale)
        DeleteFileW(path.c_str());
}

// Puts the written file in the target's place. Whoever reads the target at
// that moment (another instance loading the same settings, a virus scanner)
// keeps it from being replaced, and lets go within moments: the move is
// tried again for a while before the save counts as failed. A target that
// is read-only or a folder will not change its mind and fails at once.
bool MoveIntoPlace(const std::wstring& temporary, const std::wstring& target)
{
    const DWORD kPatienceMs = 2000;
    const DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(target.c_str());
        const bool held = (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) &&
                          attributes != INVALID_FILE_ATTRIBUTES &&
                          !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
        if (!held || GetTickCount() - start >= kPatienceMs) {
            SetLastError(error);
            return false;
        }
        Sleep(20);
    }
}

// Writes a whole file beside the target, flushes it and moves it over the
// target, so the target is either the old file or the new one, never a part.
// Keeps the system's error code of the step that failed.
bool ReplaceWholeFile(const std::wstring& target, const char* data, size_t length)
{
    static std::atomic<unsigned> sequence{0};
    RemoveStaleTemporaries(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned number = sequence.fetch_add(1);
        const LiveTemporary live(number);
        wchar_t suffix[64];
        swprintf(suffix, sizeof(suffix) / sizeof(suffix[0]), L".%lu.%lu.%u.tmp",
                 GetCurrentProcessId(), GetCurrentThreadId(), number);
        std::wstring temporary = target + suffix;
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsOpen()) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;
        }
        bool done = WriteAll(file.Get(), data, length) && FlushFileBuffers(file.Get());
        done = file.Close() && done;
        done = done && MoveIntoPlace(temporary, target);
        if (!done) {
            DWORD error = GetLastError();
            DeleteFileW(temporary.c_str());
            SetLastError(error);
        }
        return done;
    }
    return false;
}

// Windows refuses to replace or extend a read-only file, and so does the
// program, also where the system would let it (Wine running as root does
// not keep to the attribute).
bool IsReadOnlyFile(const std::wstring& target)
{
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

// Adds data at the end of the target (creating it when missing); when the
// write falls short the file is cut back to where it ended.
bool AppendFile(const std::wstring& target, const char* data, size_t length)
{
    FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        return false;
    LARGE_INTEGER zero{};
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.Get(), zero, &end, FILE_END))
        return false;
    if (WriteAll(file.Get(), data, length) && FlushFileBuffers(file.Get()))
        return true;
    DWORD error = GetLastError();
    SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN);
    SetEndOfFile(file.Get());
    SetLastError(error);
    return false;
}

long WriteBytes(const char* fileName, const char* data, size_t length, bool append)
{
    if (IsEmpty(fileName))
        return 0;
    if (length > 0x7FFFFFFFu) {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return 0;
    }
    // A name the program cannot hold would be written under another name,
    // or not at all: it is refused before anything is touched.
    switch (PathCheckUsable(fileName)) {
    case PathFault::None:
        break;
    case PathFault::TooLong:
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    default:
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::wstring target = Wide(fileName);
    if (target.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    if (IsReadOnlyFile(target)) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return 0;
    }
    bool done = append ? AppendFile(target, data, length) : ReplaceWholeFile(target, data, length);
    if (!done)
        return 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<long>(length);
}

} // namespace

char* ReadWholeFile(const char* fileName, uint32_t* length)
{
    if (length)
        *length = 0;
    if (!fileName)
        return nullptr;
    FileHandle file(CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen())
        return nullptr;
    const uint32_t bytes = static_cast<uint32_t>(ReadableFileSize(file.Get(), 0x100000000ULL));
    if (bytes == 0)
        return nullptr;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[bytes + static_cast<size_t>(16)]);
    if (!buffer)
        return nullptr;
    if (ReadFileBytes(file.Get(), buffer.get(), bytes) != bytes)
        return nullptr;
    memset(buffer.get() + bytes, 0, 16);
    if (length)
        *length = bytes;
    return buffer.release();
}

long WriteBuffer(const char* fileName, long length, const void* data, bool append)
{
    const char* bytes = static_cast<const char*>(data);
    size_t count = 0;
    if (bytes)
        count = length == -1 ? strlen(bytes) : (length > 0 ? static_cast<size_t>(length) : 0);
    return WriteBytes(fileName, bytes, count, append);
}

long WriteTextFile(const char* fileName, const char* text, DProps* options)
{
    if (IsEmpty(fileName))
        return 0;
    std::string contents;
    const char* encoding = options ? options->Get("encoding", nullptr) : nullptr;
    if (encoding && strcmp(encoding, "utf-8") == 0)
        contents = "\xEF\xBB\xBF" + Narrow(Wide(StrFromText(text).c_str()), CP_UTF8);
    else
        contents = StrFromText(text);
    // The mark and the text go in one write, so the file never holds the mark alone.
    SetLastError(ERROR_SUCCESS);
    long written = WriteBytes(fileName, contents.data(), contents.size(), false);
    if (written == 0 && options)
        options->SetLong("error", static_cast<long>(GetLastError()), nullptr);
    return written;
}

// ---- Dialogs and clipboard ------------------------------------------------------

namespace {

// A double-NUL list of ANSI texts in its wide form.
std::wstring WideList(const char* list)
{
    std::wstring wide;
    for (const char* item = list; item && *item; item += strlen(item) + 1) {
        wide += Wide(item);
        wide += L'\0';
    }
    wide += L'\0';
    return wide;
}

// The system's dialogs are asked in wide text: the narrow ones would turn a
// character that has no ANSI form into a look-alike (a best fit) and so hand
// back the name of another file. Here such a character comes back as "?",
// which no file name holds, and the caller refuses the path.
BOOL WideFileDialog(OPENFILENAMEA* ofn, bool save)
{
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0)
        return FALSE;
    const std::wstring filter = WideList(ofn->lpstrFilter);
    const std::wstring folder = ofn->lpstrInitialDir ? Wide(ofn->lpstrInitialDir) : std::wstring();
    const std::wstring title = ofn->lpstrTitle ? Wide(ofn->lpstrTitle) : std::wstring();
    const std::wstring extension = ofn->lpstrDefExt ? Wide(ofn->lpstrDefExt) : std::wstring();
    std::vector<wchar_t> file(ofn->nMaxFile, L'\0');
    const std::wstring start = Wide(ofn->lpstrFile);
    wcsncpy(file.data(), start.c_str(), file.size() - 1);

    OPENFILENAMEW wide{};
    wide.lStructSize = sizeof(wide);
    wide.hwndOwner = ofn->hwndOwner;
    wide.hInstance = ofn->hInstance;
    wide.lpstrFilter = ofn->lpstrFilter ? filter.c_str() : nullptr;
    wide.nFilterIndex = ofn->nFilterIndex;
    wide.lpstrFile = file.data();
    wide.nMaxFile = static_cast<DWORD>(file.size());
    wide.lpstrInitialDir = ofn->lpstrInitialDir ? folder.c_str() : nullptr;
    wide.lpstrTitle = ofn->lpstrTitle ? title.c_str() : nullptr;
    wide.lpstrDefExt = ofn->lpstrDefExt ? extension.c_str() : nullptr;
    wide.Flags = ofn->Flags;
    if (!(save ? GetSaveFileNameW(&wide) : GetOpenFileNameW(&wide)))
        return FALSE;
    file.back() = L'\0';
    const std::string chosen = PathFromWide(file.data());
    if (chosen.size() >= ofn->nMaxFile)
        return FALSE;
    memcpy(ofn->lpstrFile, chosen.c_str(), chosen.size() + 1);
    ofn->nFilterIndex = wide.nFilterIndex;
    ofn->Flags = wide.Flags;
    return TRUE;
}

char* FileDialog(bool save, const char* initialFolder, int* filterIndex, char* file, HWND owner,
                 const char* title, int fileLength, const char* filter)
{
    if (!file)
        return nullptr;
    // The dialog's own limit; the caller's text is taken only as far as it fits.
    const size_t fieldSize = 4096;
    std::vector<char> field(fieldSize, '\0');
    size_t start = fileLength > 0 ? strnlen(file, static_cast<size_t>(fileLength)) : 0;
    memcpy(field.data(), file, start < fieldSize - 1 ? start : fieldSize - 1);

    static const char anyFile[] = "*.*\0*.*\0";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = IsWindow(owner) ? owner : nullptr;
    ofn.lpstrInitialDir = initialFolder;
    if (filter) {
        ofn.lpstrFilter = filter;
        ofn.nFilterIndex = filterIndex ? static_cast<DWORD>(*filterIndex + 1) : 1;
    } else {
        ofn.lpstrFilter = anyFile;
        ofn.nFilterIndex = 0;
    }
    ofn.lpstrFile = field.data();
    ofn.nMaxFile = static_cast<DWORD>(fieldSize);
    ofn.lpstrTitle = title ? title : (save ? "Save File" : "Open File");
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_ENABLESIZING;
    BOOL chosen = save ? Calls().SaveDialog(&ofn) : Calls().OpenDialog(&ofn);
    if (!chosen)
        return nullptr;
    field.back() = '\0';
    size_t length = strlen(field.data());
    if (length == 0 || fileLength <= 0 || length >= static_cast<size_t>(fileLength))
        return nullptr;
    memcpy(file, field.data(), length + 1);
    if (filterIndex && ofn.nFilterIndex > 0)
        *filterIndex = static_cast<int>(ofn.nFilterIndex) - 1;
    return file;
}

// The clipboard, open for as long as the holder lives.
class OpenedClipboard {
public:
    OpenedClipboard() : m_open(OpenClipboard(nullptr) != FALSE) {}
    ~OpenedClipboard()
    {
        if (m_open)
            CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};

} // namespace

char* OpenFileDialog(const char* initialFolder, int* filterIndex, char* file, HWND owner,
                     const char* title, int fileLength, const char* filter)
{
    return FileDialog(false, initialFolder, filterIndex, file, owner, title, fileLength, filter);
}

char* SaveFileDialog(const char* initialFolder, int* filterIndex, char* file, HWND owner,
                     const char* title, int fileLength, const char* filter)
{
    return FileDialog(true, initialFolder, filterIndex, file, owner, title, fileLength, filter);
}

bool SetClipboardText(const char* text)
{
    if (IsEmpty(text))
        return false;
    OpenedClipboard clipboard;
    if (!clipboard.IsOpen())
        return false;
    size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return false;
    void* copy = GlobalLock(memory);
    if (!copy) {
        GlobalFree(memory);
        return false;
    }
    memcpy(copy, text, size);
    GlobalUnlock(memory);
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, memory)) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

long GetClipboardText(std::string& text)
{
    text.clear();
    OpenedClipboard clipboard;
    if (!clipboard.IsOpen() || !IsClipboardFormatAvailable(CF_TEXT))
        return 0;
    HANDLE memory = GetClipboardData(CF_TEXT);
    if (!memory)
        return 0;
    const char* data = static_cast<const char*>(GlobalLock(memory));
    if (!data)
        return 0;
    size_t size = GlobalSize(memory);
    text.assign(data, strnlen(data, size));
    GlobalUnlock(memory);
    return static_cast<long>(text.size());
}

} // namespace Helper
