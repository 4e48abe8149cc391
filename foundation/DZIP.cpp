#include "foundation/DZIP.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/DAuto.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"

// iowin32.h relies on what unzip.h brings in.
#include "minizip/unzip.h"
#include "minizip/zip.h"
#include "minizip/iowin32.h"

namespace {

// The general-purpose flag that marks an item name written in UTF-8.
constexpr unsigned long kUtf8Name = 0x800;
constexpr unsigned long kUnixFolder = 0x4000;
constexpr int kChunk = 65536;

// A wide copy of an ANSI text, freed at the end of its scope.
class WideText {
public:
    explicit WideText(const char* text) : m_text(TextToWide(nullptr, text, 0)) {}
    ~WideText() { free(m_text); }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    const wchar_t* get() const { return m_text; }

private:
    wchar_t* m_text;
};

// An archive's path as the zip library's wide-path file functions take it.
class ArchivePath {
public:
    explicit ArchivePath(const char* path) : m_wide(path) { fill_win32_filefunc64W(&m_functions); }
    bool IsValid() const { return m_wide.get() != nullptr; }
    const wchar_t* Wide() const { return m_wide.get(); }
    zlib_filefunc64_def* Functions() { return &m_functions; }

private:
    WideText m_wide;
    zlib_filefunc64_def m_functions;
};

// The item name in the ANSI code page.
UString ItemName(const char* raw, unsigned long flags)
{
    if (!(flags & kUtf8Name))
        return UString(raw);
    wchar_t* wide = TextToWide(nullptr, raw, CP_UTF8);
    if (!wide)
        return UString(raw);
    char* narrow = WideToText(nullptr, 0, wide);
    free(wide);
    UString name(narrow ? narrow : raw);
    free(narrow);
    return name;
}

// An item name that would place a file outside the target folder: rooted,
// with a drive, or climbing with "..". Such names come only from archives
// made to harm, never from ours.
bool LeavesFolder(const UString& name)
{
    const char* text = name.GetText();
    if (text[0] == '/' || text[0] == '\\' || std::strchr(text, ':'))
        return true;
    std::string piece;
    for (const char* p = text;; ++p) {
        if (*p == '/' || *p == '\\' || *p == '\0') {
            if (piece == "..")
                return true;
            piece.clear();
            if (*p == '\0')
                break;
        } else {
            piece += *p;
        }
    }
    return false;
}

bool IsFolderItem(const unz_file_info64& info, const UString& name)
{
    if (info.external_fa & FILE_ATTRIBUTE_DIRECTORY)
        return true;
    // Archives made on other systems mark folders by their mode and their
    // name only.
    if (((info.external_fa >> 16) & 0xF000) == kUnixFolder)
        return true;
    const long length = name.GetLength();
    return length > 0 && (name.GetText()[length - 1] == '/' || name.GetText()[length - 1] == '\\');
}

// Writes the open item to path; false (and no file left) on any failure.
bool UnpackTo(unzFile archive, const char* path)
{
    if (unzOpenCurrentFile(archive) != UNZ_OK)
        return false;
    WideText wide(path);
    HANDLE file = wide.get() ? CreateFileW(wide.get(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr)
                             : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        unzCloseCurrentFile(archive);
        return false;
    }
    std::vector<char> buffer(kChunk);
    bool ok = true;
    for (;;) {
        const int got = unzReadCurrentFile(archive, buffer.data(), kChunk);
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(file, buffer.data(), static_cast<DWORD>(got), &written, nullptr) ||
            written != static_cast<DWORD>(got)) {
            ok = false;
            break;
        }
    }
    CloseHandle(file);
    // The close checks the item's CRC once it was read to its end.
    if (unzCloseCurrentFile(archive) != UNZ_OK)
        ok = false;
    if (!ok)
        FileDelete(path, true);
    return ok;
}

} // namespace

DZIP::DZIP(const char* path)
{
    Open(path);
}

DZIP::~DZIP() { Close(); }

UString DZIP::JoinPath(const char* folder, const char* name)
{
    UString path(folder);
    const long length = path.GetLength();
    if (length > 0) {
        const char last = path.GetText()[length - 1];
        if (last != '\\' && last != '/')
            path.Append("\\");
    }
    path.Append(name);
    path.ReplaceAll("/", "\\");
    return path;
}

int32_t DZIP::Open(const char* path)
{
    if (!path || !*path)
        return 0;
    Close();
    ArchivePath target(path);
    if (!target.IsValid())
        return -1;
    unzFile archive = unzOpen2_64(target.Wide(), target.Functions());
    if (!archive)
        return -1;
    unz_global_info64 global;
    if (unzGetGlobalInfo64(archive, &global) != UNZ_OK) {
        unzClose(archive);
        return -1;
    }
    m_handle = archive;
    m_path = path;
    m_count = static_cast<int32_t>(global.number_entry);
    m_lastExtracted = "";
    m_compressed = m_uncompressed = m_extracted = 0;
    m_writing = false;
    return m_count;
}

bool DZIP::ExtractCurrent(const UString& folder)
{
    unzFile archive = static_cast<unzFile>(m_handle);
    unz_file_info64 info;
    char raw[1024];
    if (unzGetCurrentFileInfo64(archive, &info, raw, sizeof raw, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    const UString name = ItemName(raw, info.flag);
    if (name.IsEmpty() || LeavesFolder(name))
        return false;
    const UString target = JoinPath(folder.GetText(), name.GetText());
    if (IsFolderItem(info, name)) {
        Helper::CreateDirectories(target.GetText(), nullptr);
        return false;
    }
    char parent[Helper::PathBufferSize];
    if (Helper::SplitPath(target.GetText(), parent, nullptr, nullptr) && *parent)
        Helper::CreateDirectories(parent, nullptr);
    FileDelete(target.GetText(), true);
    if (!UnpackTo(archive, target.GetText()))
        return false;
    m_compressed += static_cast<uint32_t>(info.compressed_size);
    m_uncompressed += static_cast<uint32_t>(info.uncompressed_size);
    ++m_extracted;
    m_lastExtracted = target;
    return true;
}

int32_t DZIP::Extract(const char* folder, int32_t index)
{
    if (!m_handle || m_writing)
        return -1;
    m_lastExtracted = "";
    m_compressed = m_uncompressed = m_extracted = 0;

    UString target(folder);
    if (target.IsEmpty())
        PathSplit(m_path.GetText(), &target, nullptr, nullptr);

    unzFile archive = static_cast<unzFile>(m_handle);
    int32_t written = 0;
    int32_t position = 0;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
         status = unzGoToNextFile(archive), ++position) {
        if (index >= 0 && position != index)
            continue;
        if (ExtractCurrent(target))
            ++written;
        if (index >= 0)
            break;
    }
    return written;
}

int32_t DZIP::FindItem(const char* name)
{
    if (!m_handle || m_writing || !name || !*name)
        return -1;
    unzFile archive = static_cast<unzFile>(m_handle);
    int32_t position = 0;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
         status = unzGoToNextFile(archive), ++position) {
        unz_file_info64 info;
        char raw[1024];
        if (unzGetCurrentFileInfo64(archive, &info, raw, sizeof raw, nullptr, 0, nullptr, 0) != UNZ_OK)
            continue;
        if (_stricmp(ItemName(raw, info.flag).GetText(), name) == 0)
            return position;
    }
    return -1;
}

int32_t DZIP::Create(const char* path)
{
    if (!path || !*path)
        return 0;
    Close();
    ArchivePath target(path);
    if (!target.IsValid())
        return -1;
    zipFile archive = zipOpen2_64(target.Wide(), APPEND_STATUS_CREATE, nullptr, target.Functions());
    if (!archive)
        return -1;
    m_handle = archive;
    m_path = path;
    m_count = 0;
    m_writing = true;
    return 1;
}

int32_t DZIP::AddFile(const char* filePath, const char* nameInArchive)
{
    if (!m_handle || !m_writing || !filePath || !*filePath)
        return 0;
    if (PathExistsA(filePath) != 1)
        return 0;
    UMemory contents;
    const long length = FileRead(filePath, contents);
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    WideText wide(filePath);
    if (!wide.get() || !GetFileAttributesExW(wide.get(), GetFileExInfoStandard, &attributes))
        return 0;
    const DWORD size = attributes.nFileSizeLow;
    if (attributes.nFileSizeHigh != 0 || static_cast<DWORD>(length) != size)
        return 0;

    UString name(nameInArchive);
    if (name.IsEmpty())
        PathSplit(filePath, nullptr, &name, nullptr);
    // Item names separate folders with "/" whatever the system.
    name.ReplaceAll("\\", "/");

    zip_fileinfo info;
    std::memset(&info, 0, sizeof info);
    FILETIME local;
    WORD dosDate = 0;
    WORD dosTime = 0;
    if (FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local) &&
        FileTimeToDosDateTime(&local, &dosDate, &dosTime))
        info.dosDate = (static_cast<uLong>(dosDate) << 16) | dosTime;
    info.external_fa = attributes.dwFileAttributes;

    zipFile archive = static_cast<zipFile>(m_handle);
    if (zipOpenNewFileInZip64(archive, name.GetText(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) != ZIP_OK)
        return 0;
    bool ok = true;
    if (length > 0)
        ok = zipWriteInFileInZip(archive, contents.GetData(), static_cast<unsigned>(length)) == ZIP_OK;
    if (zipCloseFileInZip(archive) != ZIP_OK)
        ok = false;
    if (ok)
        ++m_count;
    return ok ? 1 : 0;
}

void DZIP::Close()
{
    if (m_handle) {
        if (m_writing)
            zipClose(static_cast<zipFile>(m_handle), nullptr);
        else
            unzClose(static_cast<unzFile>(m_handle));
    }
    m_handle = nullptr;
    m_writing = false;
    m_path = "";
}
