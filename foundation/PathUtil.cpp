#include "foundation/PathUtil.h"

#include <shlobj.h>
#include <shlwapi.h>
// The shell names a function of its own StrTrim; ours is meant here.
#undef StrTrim

#include <cstdarg>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DLock.h"
#include "foundation/FileProbe.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"

namespace {

bool IsBlank(const char* text)
{
    std::string trimmed = StrFromText(text);
    return StrTrim(trimmed).empty();
}

// Closes a file or find handle when it goes out of scope.
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct FindCloser {
    void operator()(HANDLE handle) const { FindClose(handle); }
};
using FileHolder = std::unique_ptr<void, HandleCloser>;
using FindHolder = std::unique_ptr<void, FindCloser>;

HANDLE ValidOrNull(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

// The wide form of a narrow path, for the W calls.
struct WidePath {
    explicit WidePath(const char* path) { text.SetA(path); }
    const wchar_t* Get() const { return text.GetW(); }
    UWString text;
};

std::string Narrow(const wchar_t* wide)
{
    UWString text(wide);
    return text.GetA();
}

} // namespace

// ---- Reading and writing whole files ----------------------------------------------

long FileRead(const char* path, UMemory& buffer, long maxBytes)
{
    if (IsBlank(path))
        return 0;
    WidePath wide(path);
    FileHolder file(ValidOrNull(CreateFileW(wide.Get(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file)
        return 0;
    // The buffer counts its bytes in 32 bits; larger files are not read.
    const uint64_t size = ReadableFileSize(file.get(), static_cast<uint64_t>(INT32_MAX) + 1);
    if (size == 0)
        return 0;
    long count = static_cast<long>(size);
    if (maxBytes > 0 && maxBytes < count)
        count = maxBytes;
    std::unique_ptr<char[]> bytes(AllocZeroed(static_cast<size_t>(count)));
    if (!bytes)
        return 0;
    const long done = static_cast<long>(ReadFileBytes(file.get(), bytes.get(), static_cast<uint64_t>(count)));
    buffer.Free();
    if (buffer.Append(count, bytes.get()) == 0)
        return 0;
    return done == count ? count : 0;
}

namespace {

// Calls f(text, length) for every line of the bytes as FileLoadLines cuts
// them: a break ends a line and takes the control bytes after it along, NUL
// bytes are dropped, a last line without a break counts when it is not empty.
template <class F>
void ForEachLine(const char* bytes, long length, const F& f)
{
    std::string line;
    bool afterBreak = false;
    for (long i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (afterBreak && c < 32)
            continue;
        afterBreak = false;
        if (c == '\r' || c == '\n') {
            f(line);
            line.clear();
            afterBreak = true;
        } else if (c != 0) {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty())
        f(line);
}

// A line as the list of lines holds it: a line too long for a UString is
// held as the empty text.
bool FitsUString(const std::string& line)
{
    return line.size() <= static_cast<size_t>(UString::MaxText);
}

} // namespace

long FileLoadLines(const char* path, UStringList& list)
{
    list.clear();
    UMemory buffer;
    const long length = FileRead(path, buffer, 0);
    ForEachLine(buffer.GetData(), length, [&list](const std::string& line) { list.push_back(UString(line.c_str())); });
    return list.Count();
}

long FileLoadPairs(const char* path, UPairList& pairs)
{
    if (PathExists(path, nullptr) != 1)
        return 0;
    UMemory buffer;
    const long length = FileRead(path, buffer, 0);
    const std::string marker = pairs.Marker().ToStdString();
    const char markerStart = marker.empty() ? '\0' : marker[0];
    bool first = true;
    std::string text, key, value;
    // The lines are read straight from the file's bytes: a properties file
    // may hold a hundred thousand of them.
    ForEachLine(buffer.GetData(), length, [&](std::string& line) {
        if (!FitsUString(line))
            line.clear();
        // A file saved by an editor or a spreadsheet may begin with a
        // byte-order mark; its first key is read as typed all the same.
        if (first)
            StrDropUtf8Bom(line);
        first = false;
        if (StrTrim(line).empty())
            return;
        if (markerStart != '\0' && line[0] == markerStart) {
            text.assign(line, line.size() > 2 ? 2 : line.size(), std::string::npos);
            pairs.Set(marker.c_str(), StrTrim(text).c_str(), true);
            return;
        }
        // The key before the first "=", the value up to the second.
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            key = line;
            value.clear();
        } else {
            key.assign(line, 0, equals);
            const size_t second = line.find('=', equals + 1);
            value.assign(line, equals + 1, second == std::string::npos ? std::string::npos : second - equals - 1);
        }
        pairs.Set(StrTrim(key).c_str(), StrTrim(value).c_str(), true);
    });
    return pairs.Count();
}

bool FileSaveLines(const char* path, const UStringList& list)
{
    std::string text;
    for (const UString& line : list) {
        text.append(line.GetText(), static_cast<size_t>(line.GetLength()));
        text += "\r\n";
    }
    return FileWrite(path, text.data(), static_cast<long>(text.size()));
}

bool FileSavePairs(const char* path, const UPairList& pairs)
{
    if (IsBlank(path))
        return false;
    // The whole text is built at once; a line too long for the list of lines
    // FileSaveLines takes is written empty, as it always was.
    const UString& marker = pairs.Marker();
    std::string text;
    std::string line;
    for (const UPairList::Pair& pair : pairs) {
        const bool comment = !marker.IsEmpty() && strcmp(pair.key.GetText(), marker.GetText()) == 0;
        line.assign(pair.key.GetText(), static_cast<size_t>(pair.key.GetLength()));
        line += comment ? " " : "=";
        line.append(pair.value.GetText(), static_cast<size_t>(pair.value.GetLength()));
        if (FitsUString(line))
            text += line;
        text += "\r\n";
    }
    return FileWrite(path, text.data(), static_cast<long>(text.size()));
}

bool FileWrite(const char* path, const UMemory& buffer)
{
    return FileWrite(path, buffer.GetData(), buffer.GetUsed());
}

bool FileWrite(const char* path, const char* data, long length)
{
    if (IsBlank(path) || length < 0)
        return false;
    // The one whole-file writer of the program: beside the target, then in its
    // place. It reports the bytes written and clears the error code on success,
    // which is how an empty file tells success from failure.
    SetLastError(ERROR_GEN_FAILURE);
    const long written = Helper::WriteBuffer(path, length, length > 0 ? data : "", false);
    return written == length && (length > 0 || GetLastError() == ERROR_SUCCESS);
}

// ---- Building and splitting paths ---------------------------------------------------

namespace {

// PathJoin's text; false when both parts are empty.
bool JoinText(const char* folder, const char* name, std::string& out)
{
    std::string path = StrFromText(folder);
    const std::string file = StrFromText(name);
    if (path.empty() && file.empty())
        return false;
    if (!file.empty()) {
        if (!path.empty() && !IsPathSeparator(path.back()))
            path += '\\';
        path += file;
    }
    for (char& c : path)
        if (c == '/')
            c = '\\';
    out = std::move(path);
    return true;
}

std::string Normalized(const char* text)
{
    std::string path = StrFromText(text);
    if (StrTrim(path).empty())
        return path;
    while (!path.empty() && IsPathSeparator(path.back()))
        path.pop_back();
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::string result = path.compare(0, 2, "\\\\") == 0 ? "\\\\" : (path.compare(0, 1, "\\") == 0 ? "\\" : "");
    const size_t rootLength = result.size();
    std::vector<std::string> segments;
    StrSplit(path, segments, "\\", true);
    for (const std::string& segment : segments) {
        if (segment.empty())
            continue;
        if (result.size() > rootLength)
            result += '\\';
        result += segment;
    }
    return result;
}

// A normalised path cut the way the runtime's _wsplitpath cuts it: a drive
// letter and ":", the folder up to the last separator, then the base name and
// the extension from its last ".".
struct PathParts {
    std::string folder; // drive and folder, as written
    std::string base;
    std::string extension; // with its dot
    bool bareDrive = false;
};

PathParts SplitNormalized(const std::string& path)
{
    PathParts parts;
    if (path.size() == 2 && path[1] == ':') {
        parts.folder = path;
        parts.bareDrive = true;
        return parts;
    }
    const size_t driveLength = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    const size_t separator = path.rfind('\\');
    const size_t nameStart =
        separator == std::string::npos || separator < driveLength ? driveLength : separator + 1;
    parts.folder = path.substr(0, nameStart);
    const std::string file = path.substr(nameStart);
    const size_t dot = file.rfind('.');
    parts.base = file.substr(0, dot);
    if (dot != std::string::npos)
        parts.extension = file.substr(dot);
    return parts;
}

bool SplitResult(const PathParts& parts)
{
    if (parts.bareDrive)
        return PathIsRootA((parts.folder + "\\").c_str()) != FALSE;
    return !parts.base.empty() || !parts.folder.empty();
}

void Clear(std::initializer_list<UString*> outs)
{
    for (UString* out : outs)
        if (out)
            *out = "";
}

} // namespace

const char* PathJoin(UString& out, const char* folder, const char* name)
{
    std::string path;
    if (JoinText(folder, name, path))
        out.Assign(path.c_str());
    return out.GetText();
}

char* PathJoinBuffer(const char* folder, const char* name, char* buffer)
{
    if (!buffer)
        return buffer;
    std::string path;
    if (!JoinText(folder, name, path))
        return buffer;
    if (path.size() >= MAX_PATH)
        path.clear();
    memcpy(buffer, path.c_str(), path.size() + 1);
    return buffer;
}

const char* PathNormalize(UString& path)
{
    path.Assign(Normalized(path.GetText()).c_str());
    return path.GetText();
}

bool PathSplit(const char* path, UString* folder, UString* name, UString* extension)
{
    Clear({folder, name, extension});
    if (!path || !*path)
        return false;
    const PathParts parts = SplitNormalized(Normalized(path));
    if (folder && !parts.folder.empty())
        folder->Assign(Normalized(parts.folder.c_str()).c_str());
    if (name && !parts.base.empty())
        name->Assign((parts.base + parts.extension).c_str());
    if (extension && !parts.extension.empty())
        extension->Assign(parts.extension.c_str() + 1);
    return SplitResult(parts);
}

bool PathName(const char* path, UString* base, UString* extension)
{
    Clear({base, extension});
    if (!path || !*path)
        return false;
    const PathParts parts = SplitNormalized(Normalized(path));
    // A name such as ".profile" is all base, though the runtime's cut would
    // call it an extension without a name.
    const std::string file = parts.base + parts.extension;
    const size_t dot = file.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    if (base)
        base->Assign(file.substr(0, hasExtension ? dot : std::string::npos).c_str());
    if (extension && hasExtension)
        extension->Assign(file.c_str() + dot + 1);
    return SplitResult(parts);
}

// ---- Probing, creating, listing and deleting ------------------------------------------

namespace {

// What PathExists says of a path (joined, without one trailing separator),
// through the wide or the narrow calls by the kind of find data.
template <class FindData>
int Probe(const char* folder, const char* name, FindData& data)
{
    std::string path;
    if (!JoinText(folder, name, path))
        return 0;
    if (!path.empty() && IsPathSeparator(path.back()))
        path.pop_back();
    if (path.empty())
        return 0;
    return ProbedType(ProbeFoundPath(path, data), data);
}

// Calls visit(path, data) for every entry of folder that matches pattern,
// "." and ".." left out. The search names the folder itself, so the current
// folder is neither needed nor touched (other threads rely on it).
template <class Visit>
void ForEachEntry(const std::string& folder, const char* pattern, Visit visit)
{
    if (folder.empty())
        return;
    std::string search;
    JoinText(folder.c_str(), pattern && *pattern ? pattern : "*.*", search);
    WIN32_FIND_DATAW data;
    FindHolder find(ValidOrNull(FindFirstFileW(WidePath(search.c_str()).Get(), &data)));
    if (!find)
        return;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
            continue;
        std::string path;
        JoinText(folder.c_str(), Narrow(data.cFileName).c_str(), path);
        visit(path, data);
    } while (FindNextFileW(find.get(), &data));
}

bool IsFolderEntry(const WIN32_FIND_DATAW& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A link to a folder elsewhere (or to a parent): never entered, so a walk
// ends and a deletion stays inside the tree.
bool IsLinkEntry(const WIN32_FIND_DATAW& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

long ListEntries(const std::string& folder, const char* pattern, UStringList& list,
                 bool recursive, bool folders)
{
    long added = 0;
    ForEachEntry(folder, pattern, [&](const std::string& path, const WIN32_FIND_DATAW& data) {
        const bool isFolder = IsFolderEntry(data);
        if (isFolder == folders) {
            list.push_back(UString(path.c_str()));
            ++added;
        }
        if (isFolder && recursive && !IsLinkEntry(data))
            added += ListEntries(path, pattern, list, recursive, folders);
    });
    return added;
}

} // namespace

int PathExists(const char* folder, const char* name, WIN32_FIND_DATAW* data)
{
    WIN32_FIND_DATAW found{};
    const int type = Probe(folder, name, found);
    if (data && type != 0)
        *data = found;
    return type;
}

int PathExistsA(const char* path)
{
    WIN32_FIND_DATAA found{};
    return Probe(path, nullptr, found);
}

bool PathCreateDirectory(const char* path, UString* normalized)
{
    UString folder;
    PathJoin(folder, path, nullptr);
    if (normalized)
        *normalized = folder;
    if (IsBlank(folder.GetText()))
        return false;
    if (PathExists(folder.GetText(), nullptr) == 2)
        return true;
    // The shell makes absolute paths only; a relative one means the same
    // folder it would mean to any other call.
    WidePath wide(folder.GetText());
    DWORD needed = GetFullPathNameW(wide.Get(), 0, nullptr, nullptr);
    if (needed == 0)
        return false;
    std::vector<wchar_t> full(needed + 1);
    if (GetFullPathNameW(wide.Get(), needed + 1, full.data(), nullptr) == 0)
        return false;
    SHCreateDirectoryExW(nullptr, full.data(), nullptr);
    return PathExists(folder.GetText(), nullptr) == 2;
}

long PathListFiles(const char* folder, const char* pattern, UStringList& list, bool recursive)
{
    return ListEntries(StrFromText(folder), pattern, list, recursive, false);
}

long PathListDirs(const char* folder, const char* pattern, UStringList& list, bool recursive)
{
    return ListEntries(StrFromText(folder), pattern, list, recursive, true);
}

bool FileDelete(const char* path, bool force)
{
    if (IsBlank(path))
        return false;
    WidePath wide(path);
    if (DeleteFileW(wide.Get()))
        return true;
    if (!force)
        return false;
    const DWORD attributes = GetFileAttributesW(wide.Get());
    const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & blocking))
        SetFileAttributesW(wide.Get(), attributes & ~blocking);
    return DeleteFileW(wide.Get()) != FALSE;
}

void PathDeleteTree(const char* folder, bool removeFolder)
{
    const std::string root = StrFromText(folder);
    if (IsBlank(root.c_str()))
        return;
    UStringList files;
    PathListFiles(root.c_str(), "*.*", files, false);
    for (const UString& file : files)
        FileDelete(file.GetText(), true);
    // Folders are gathered first and removed after the search has ended.
    std::vector<std::pair<std::string, bool>> folders;
    ForEachEntry(root, "*.*", [&](const std::string& path, const WIN32_FIND_DATAW& data) {
        if (IsFolderEntry(data))
            folders.emplace_back(path, IsLinkEntry(data));
    });
    for (const auto& entry : folders) {
        if (entry.second)
            RemoveDirectoryW(WidePath(entry.first.c_str()).Get());
        else
            PathDeleteTree(entry.first.c_str(), true);
    }
    if (removeFolder)
        RemoveDirectoryW(WidePath(root.c_str()).Get());
}

// ---- Paths the program can hold ---------------------------------------------------------

namespace {

// The wide form of an ANSI text, or false when its bytes are no text of the
// code page (a lead byte without its trail byte).
bool WideOfAnsi(const char* text, std::wstring& wide)
{
    wide.clear();
    if (!*text)
        return true;
    const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (count <= 0)
        return false;
    wide.assign(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count - 1));
    return true;
}

} // namespace

std::string PathFromWide(const wchar_t* wide)
{
    if (!wide || !*wide)
        return std::string();
    // The UTF-8 code page writes every character and takes no such flag.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8 ? nullptr : "?";
    const int size = WideCharToMultiByte(CP_ACP, flags, wide, -1, nullptr, 0, fallback, nullptr);
    if (size <= 0)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide, -1, &text[0], size, fallback, nullptr);
    text.resize(static_cast<size_t>(size - 1));
    return text;
}

PathFault PathCheckUsable(const char* path)
{
    if (IsBlank(path))
        return PathFault::Empty;
    if (strpbrk(path, "?*"))
        return PathFault::LostCharacters;
    std::wstring wide;
    if (!WideOfAnsi(path, wide) || PathFromWide(wide.c_str()) != path)
        return PathFault::LostCharacters;
    if (wide.size() >= MAX_PATH)
        return PathFault::TooLong;
    // A relative path counts as what it names: the current folder before it.
    const DWORD full = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (full > MAX_PATH)
        return PathFault::TooLong;
    return PathFault::None;
}

// ---- Whether another program changed a file --------------------------------------------------

namespace {

const uint64_t kChecksumStart = 14695981039346656037ULL;

// The checksum of bytes that follow those already summed into sum.
uint64_t ChecksumAdd(uint64_t sum, const char* data, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        sum ^= static_cast<unsigned char>(data[i]);
        sum *= 1099511628211ULL;
    }
    return sum;
}

int64_t TimeCount(const FILETIME& time)
{
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The file's last write as one FILETIME count; false when it cannot be asked.
bool LastWriteTime(const char* path, int64_t& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WidePath(path).Get(), GetFileExInfoStandard, &data))
        return false;
    time = TimeCount(data.ftLastWriteTime);
    return true;
}

} // namespace

uint64_t FileChecksum(const char* data, size_t length)
{
    return ChecksumAdd(kChecksumStart, data, length);
}

FileStamp FileStampOf(const char* path, const char* data, size_t length)
{
    FileStamp stamp;
    if (IsBlank(path))
        return stamp;
    stamp.known = LastWriteTime(path, stamp.time);
    stamp.size = static_cast<int64_t>(length);
    stamp.checksum = FileChecksum(data, length);
    return stamp;
}

FileStamp FileStampRead(const char* path)
{
    FileStamp stamp;
    if (IsBlank(path))
        return stamp;
    // Shared every way: the writer, whoever it is, is not disturbed.
    FileHolder file(ValidOrNull(CreateFileW(WidePath(path).Get(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!file || !GetFileSizeEx(file.get(), &size) || !GetFileTime(file.get(), nullptr, nullptr, &written))
        return stamp;
    uint64_t sum = kChecksumStart;
    std::vector<char> chunk(1 << 16);
    int64_t done = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr))
            return stamp;
        if (read == 0)
            break;
        sum = ChecksumAdd(sum, chunk.data(), read);
        done += read;
    }
    stamp.known = true;
    stamp.size = done;
    stamp.time = TimeCount(written);
    stamp.checksum = sum;
    return stamp;
}

bool FileStampSameBytes(const FileStamp& a, const FileStamp& b)
{
    return a.known && b.known && a.size == b.size && a.checksum == b.checksum;
}

// ---- Damaged files -------------------------------------------------------------------------------

bool FileLooksBinary(const char* path)
{
    UMemory buffer;
    const long length = FileRead(path, buffer, 0);
    const char* bytes = buffer.GetData();
    for (long i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 32 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            return true;
    }
    return false;
}

bool FileSetAside(const char* path, UString& keptAs)
{
    keptAs = "";
    if (IsBlank(path))
        return false;
    const WidePath source(path);
    for (int n = 1; n < 100; ++n) {
        std::string name = path;
        name += n == 1 ? ".bad" : ".";
        if (n > 1)
            name += std::to_string(n) + ".bad";
        const WidePath target(name.c_str());
        if (GetFileAttributesW(target.Get()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (MoveFileExW(source.Get(), target.Get(), 0) || CopyFileW(source.Get(), target.Get(), TRUE)) {
            keptAs = name.c_str();
            return true;
        }
        return false;
    }
    return false;
}

// ---- Formatting ---------------------------------------------------------------------------

const char* FormatTemp(const char* format, ...)
{
    // The UI and the calculation threads format at the same time, so each
    // thread has a text of its own (freed when the thread ends).
    static UThreadText perThread;
    std::string& text = perThread.Get();
    text.clear();
    if (!format || !*format)
        return text.c_str();
    va_list args;
    va_start(args, format);
    text = StrFormatV(format, args);
    va_end(args);
    return text.c_str();
}
