// One zip archive: opened and unpacked into a folder (the help pages arrive
// this way), or created and filled file by file. The archive format itself
// is minizip's; this class adds where items go, folder creation, replacing
// existing files and counting. UI thread only.
#pragma once

#include <cstdint>

#include "foundation/UString.h"

class DZIP {
public:
    // Opens path when it is not empty.
    explicit DZIP(const char* path = nullptr);
    // Closes the archive.
    virtual ~DZIP();

    DZIP(const DZIP&) = delete;
    DZIP& operator=(const DZIP&) = delete;

    // Closes what is open, then opens the archive for reading (the ANSI path
    // converted to UTF-16). The item count, or -1 when it is no archive that
    // can be read; an empty path gives 0 and changes nothing.
    virtual int32_t Open(const char* path);
    // Unpacks every item (index < 0) or the item at index into folder (empty:
    // the archive's own folder): folder items become folders, file items
    // replace what lies at their path. Returns the number of files written,
    // -1 when no archive is open. Items that fail, and items whose names
    // would lead out of the folder, are left out.
    virtual int32_t Extract(const char* folder, int32_t index);
    // Index of the first item whose name equals name ignoring case; -1
    // without an open archive or for an empty name.
    virtual int32_t FindItem(const char* name);
    // Starts a new archive at path: 1 when created, -1 when it cannot be, 0
    // for an empty path.
    virtual int32_t Create(const char* path);
    // Adds the file under nameInArchive (empty: its name with extension): 1
    // when added, 0 without an archive being created, for an empty path or a
    // file that cannot be read or written.
    virtual int32_t AddFile(const char* filePath, const char* nameInArchive);
    // Closes the archive (the writer's close for one being created) and
    // forgets its path.
    virtual void Close();

    // folder + "\" (unless folder is empty or ends in "\" or "/") + name,
    // with every "/" turned into "\".
    static UString JoinPath(const char* folder, const char* name);

    const UString& GetPath() const { return m_path; }
    int32_t GetCount() const { return m_count; }
    bool IsOpen() const { return m_handle != nullptr; }
    bool IsWriting() const { return m_writing; }
    const UString& GetLastExtracted() const { return m_lastExtracted; }
    uint32_t GetCompressedTotal() const { return m_compressed; }
    uint32_t GetUncompressedTotal() const { return m_uncompressed; }
    uint32_t GetExtractedCount() const { return m_extracted; }

private:
    // Unpacks the current item; true when a file was written.
    bool ExtractCurrent(const UString& folder);

    UString m_path;
    int32_t m_count = 0;
    void* m_handle = nullptr;
    UString m_lastExtracted;
    uint32_t m_compressed = 0;
    uint32_t m_uncompressed = 0;
    uint32_t m_extracted = 0;
    bool m_writing = false;
};
