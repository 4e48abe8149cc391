// The open project: its descriptive properties and its ordered list of
// materials, one of them current. Decides whether the project is modified,
// collects the materials' warnings and writes and reads the project file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/ChangeTracker.h"
#include "document/DCSProject.h"
#include "foundation/DProps.h"
#include "foundation/PathUtil.h"

// What the last Save or Load came to. Save and Load still answer with a
// bool; this tells the caller why, and a load that succeeded may carry notes
// on what it had to leave out.
enum ProjectFileResult {
    ProjectFileOk = 0,
    ProjectFileNoPath = 1,       // an empty path
    ProjectFileMissing = 2,      // no such file (or a folder)
    ProjectFileUnreadable = 3,   // empty, or could not be read
    ProjectFileTruncated = 4,    // a block lost its end: the file was cut short
    ProjectFileNoMaterial = 5,   // nothing in the file could be read as a material
    ProjectFileBadName = 6,      // a material whose name the file cannot hold
    ProjectFileWriteFailed = 7,  // the file could not be written; the old one stays
    ProjectFileMarkerText = 8,   // a text holds the end marker of its own block
    ProjectFileMisplacedBlock = 9,  // the project's block starts inside another block
    ProjectFilePathTooLong = 10,     // the path has MAX_PATH characters or more
    ProjectFilePathCharacters = 11,  // the path holds characters the code page cannot hold
    ProjectFileReadOnly = 12,        // the file is read-only; it stays as it was
    ProjectFileChangedOnDisk = 13,   // another program wrote the file since it was opened or saved
};

// The version written into the project file.
extern const char* const kProjectAppVersion;

class DCSSolution {
public:
    DCSSolution();
    DCSSolution(const DCSSolution&) = delete;
    DCSSolution& operator=(const DCSSolution&) = delete;
    virtual ~DCSSolution();

    // ---- Properties --------------------------------------------------------------
    std::string GetName() const;
    std::string GetDesc() const;
    std::string GetFile() const;
    void SetName(const char* name);
    void SetDesc(const char* desc);

    // ---- Lifecycle ---------------------------------------------------------------
    void Clear();
    void Reset();
    bool New(const char* name, const char* desc, const char* material);
    // Writes the project to path. Writing over the file the project was
    // opened from or last saved to is refused (ProjectFileChangedOnDisk)
    // when another program has changed that file since, unless the caller
    // has asked the user and says to overwrite it.
    bool Save(const char* path, bool overwriteChanged = false);
    // Fills the document from a file; a failed load leaves it empty.
    bool Load(const char* path);
    // ProjectFileOk for a path the project file can be written to and read
    // from, otherwise why not: no path, too long, or characters that the
    // program's code page cannot hold.
    static ProjectFileResult CheckPath(const char* path);
    // Exchanges the whole project with another document, so a project can
    // be read or made aside and take the open one's place only once it
    // stands.
    void Swap(DCSSolution& other);

    // ---- Materials -----------------------------------------------------------------
    long GetCount(bool activeOnly) const;
    DCSProject* FindMaterial(const char* name, long* index = nullptr);
    DCSProject* GetProject(long index, bool activeOnly);
    bool SetActive(long index, bool active);
    long SetCurrent(long index);
    long GetCurrent() const { return m_current; }
    bool AddMaterial(const char* name, const char* desc);
    // A material name the project file gives back unchanged: a usable block
    // name without line breaks and without blanks at either end (the reader
    // trims every value and ends it at a line break).
    static bool MaterialNameFitsFile(const char* name);
    bool RemoveMaterial(long index);

    // ---- Change tracking -------------------------------------------------------------
    void UpdateFingerprint(bool setBaseline);
    bool IsModified() const;
    std::string GetContentId() const;

    // ---- Warnings and export tests ---------------------------------------------------
    const std::vector<DProps>& CollectWarnings(bool activeOnly);
    bool HasResults() const;
    bool HasRemnants() const;
    bool HasOrphans() const;

    // ---- Outcome of the last Save or Load --------------------------------------------
    ProjectFileResult GetFileResult() const { return m_fileResult; }
    // One line per thing a load left out or had to repair, for the log and
    // the caller's message; empty after a clean load.
    const std::vector<std::string>& GetFileNotes() const { return m_fileNotes; }

    // ---- What the panels and reports read -----------------------------------------
    const DProps& GetProperties() const { return m_props; }
    // The warning bags of the last CollectWarnings, each named after its material.
    const std::vector<DProps>& GetWarnings() const { return m_warnings; }
    // Forgets the collected warnings (the project panel does after the
    // project's name was edited).
    void ClearWarnings() { m_warnings.clear(); }

private:
    // Tests arrange states that no operation would produce.
    friend struct DocumentProbe;

    DProps m_props;
    // Each material lives on the heap, so a growing or shrinking list never
    // moves a material while its calculation thread reads it.
    std::vector<std::unique_ptr<DCSProject>> m_materials;
    long m_current = 0;
    ChangeTracker m_propsTracker;   // time, name, description, number of materials
    ChangeTracker m_namesTracker;   // the materials' names
    std::vector<DProps> m_warnings;

    void ComputeFingerprints(uint32_t& props, uint32_t& names) const;

    ProjectFileResult m_fileResult = ProjectFileOk;
    std::vector<std::string> m_fileNotes;
    // The file as the last successful Load or Save left it, and its path.
    FileStamp m_fileStamp;
    std::string m_stampPath;
};
