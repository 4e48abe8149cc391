// The project file: a "#solution" block with the project's properties, then
// one block per material holding its properties, its order and the result
// rows of its applied solution. The file is an external interface: files
// written by one installation are read by another.
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "document/DCSProject.h"
#include "document/DCSSolution.h"
#include "document/StoredResults.h"
#include "engine/Cutting.h"
#include "foundation/DSettings.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/RecordText.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/TextBlocks.h"

namespace {

const char* const kSolutionBlock = "#solution";
const char* const kLineBreaks = "\r\n";

// The escape a protected text can begin or end with: a blank or another
// control byte (1..32) cut from an end, or the "&" of the text itself (38).
bool IsEndEscape(const std::string& text, size_t open, size_t close)
{
    if (close <= open + 1 || close - open > 3)
        return false;
    long code = 0;
    for (size_t i = open + 1; i < close; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        code = code * 10 + (text[i] - '0');
    }
    return (code >= 1 && code <= 32) || code == 38;
}

// The reader takes a name or desc for an escaped one when it shows an escaped
// line break, or begins or ends with an escape of the kind above.
bool ShowsEscapedText(const std::string& text)
{
    if (text.find("&13&") != std::string::npos || text.find("&10&") != std::string::npos)
        return true;
    if (text.size() < 3)
        return false;
    if (text[0] == '&') {
        const size_t close = text.find('&', 1);
        if (close != std::string::npos && IsEndEscape(text, 0, close))
            return true;
    }
    if (text.back() == '&') {
        const size_t open = text.rfind('&', text.size() - 2);
        if (open != std::string::npos && IsEndEscape(text, open, text.size() - 1))
            return true;
    }
    return false;
}

// The reader trims every value. The blanks at either end of a text that is
// always unescaped on reading travel escaped, so an indented first line or a
// trailing blank comes back.
std::string EscapeEnds(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i >= begin && i < end) {
            out.append(text, begin, end - begin);
            i = end - 1;
        } else {
            out += "&" + std::to_string(static_cast<int>(static_cast<unsigned char>(text[i]))) + "&";
        }
    }
    return out;
}

// The full protection: line breaks, "&" and the blanks at either end escaped.
std::string EscapeText(const std::string& text)
{
    return EscapeEnds(StrEscapeChars(text, kLineBreaks));
}

bool HasBlankEnd(const std::string& text)
{
    return !text.empty() && (static_cast<unsigned char>(text.front()) <= 32 ||
                             static_cast<unsigned char>(text.back()) <= 32);
}

// "comment" and "notes" always travel escaped. A line break in a name or
// "desc" would end its line in the file and turn the rest into entries of
// their own, and the reader trims the blanks at either end of every value;
// such a text travels escaped too, and so does one that merely looks escaped
// as typed (the reader would turn it back). Any other text stays as typed,
// so files written before this protection read as they always did.
std::string EscapeDesc(const std::string& text)
{
    if (text.find_first_of(kLineBreaks) == std::string::npos && !HasBlankEnd(text) && !ShowsEscapedText(text))
        return text;
    return EscapeText(text);
}

std::string UnescapeDesc(const std::string& text)
{
    return ShowsEscapedText(text) ? StrUnescapeChars(text) : text;
}

void EscapeValue(DProps& bag, const char* key)
{
    const std::string value = DProps::GetString(bag, key, "");
    if (!value.empty())
        bag.SetString(key, EscapeText(value));
}

void EscapeDescValue(DProps& bag, const char* key)
{
    if (bag.IndexOf(key) >= 0)
        bag.SetString(key, EscapeDesc(DProps::GetString(bag, key, "")));
}

void UnescapeDescValue(DProps& bag, const char* key)
{
    if (bag.IndexOf(key) >= 0)
        bag.SetString(key, UnescapeDesc(DProps::GetString(bag, key, "")));
}

std::string EndMarkerOf(const std::string& name)
{
    return "<!--" + name + ":block-->";
}

// A text typed into a block that holds the block's own end marker would end
// the block there on reading, and everything after it would be lost without
// a word; such a project is not saved.
bool HoldsEndMarker(const std::string& content, const std::string& name)
{
    return content.find(EndMarkerOf(name)) != std::string::npos;
}

// One block of the file as found by a single walk from the start.
struct FileBlock {
    std::string name;
    std::string content;
};

// Walks the blocks in file order. False when a block has lost its end (its
// start marker unclosed or its end marker missing): the file was cut short.
bool SplitBlocks(const std::string& text, std::vector<FileBlock>& blocks)
{
    static const char open[] = "<!--block:";
    static const char close[] = "-->";
    blocks.clear();
    size_t pos = 0;
    for (;;) {
        const size_t start = text.find(open, pos);
        if (start == std::string::npos)
            return true;
        const size_t nameBegin = start + strlen(open);
        const size_t nameEnd = text.find(close, nameBegin);
        if (nameEnd == std::string::npos)
            return false;
        FileBlock block;
        block.name = text.substr(nameBegin, nameEnd - nameBegin);
        const std::string endMarker = EndMarkerOf(block.name);
        const size_t contentBegin = nameEnd + strlen(close);
        const size_t end = text.find(endMarker, contentBegin);
        if (end == std::string::npos)
            return false;
        block.content = text.substr(contentBegin, end - contentBegin);
        blocks.push_back(block);
        pos = end + endMarker.size();
    }
}

// True when both paths name the same file: their full forms are equal, case
// aside, as the file system compares names.
bool SamePath(const std::string& a, const std::string& b)
{
    char fullA[MAX_PATH] = "";
    char fullB[MAX_PATH] = "";
    if (!GetFullPathNameA(a.c_str(), MAX_PATH, fullA, nullptr) || !GetFullPathNameA(b.c_str(), MAX_PATH, fullB, nullptr))
        return _stricmp(a.c_str(), b.c_str()) == 0;
    return _stricmp(fullA, fullB) == 0;
}

// The local time of a FILETIME count, for a note.
std::string TimeText(int64_t count)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(count) & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(count) >> 32);
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts))
        return "an unknown time";
    return StrFormatStatic("%04u-%02u-%02u %02u:%02u:%02u", parts.wYear, parts.wMonth, parts.wDay, parts.wHour,
                           parts.wMinute, parts.wSecond);
}

long long FileTimeNow()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME stamp{};
    SystemTimeToFileTime(&now, &stamp);
    return static_cast<long long>((static_cast<unsigned long long>(stamp.dwHighDateTime) << 32) |
                                  stamp.dwLowDateTime);
}

}  // namespace

// ---- One material ----------------------------------------------------------------------

bool DCSProject::Write(DSettings* document, bool newBaseline)
{
    if (!document)
        return false;
    DProps props(m_props);
    EscapeValue(props, "comment");
    EscapeValue(props, "notes");
    EscapeDescValue(props, "desc");
    props.Set("version", "1");
    props.Set("app", kProjectAppVersion);
    document->SetSection("properties", props);

    const std::string material = DProps::GetString(m_props, "material", "");
    for (DProps& row : m_order.m_blanks)
        row.SetString("material", material);
    for (DProps& row : m_order.m_pieces)
        row.SetString("material", material);

    if (newBaseline) {
        m_order.Write(document);
    } else {
        // The order writes itself and takes the written state as its
        // baseline; a save whose file is not yet written must not, so a
        // copy writes and the renumbered rows come back without a baseline.
        DCSStorage copy(m_order);
        copy.Write(document);
        m_order.m_blanks = copy.m_blanks;
        m_order.m_pieces = copy.m_pieces;
    }

    WriteSolutions(document);

    m_order.UpdateTotals(newBaseline);
    UpdateFingerprint(newBaseline);
    UpdateWarnings();
    return document->Count() > 0;
}

bool DCSProject::WriteSolutions(DSettings* document)
{
    if (!document)
        return false;
    DProps summary;
    long blanks = 0;
    for (const DProps& row : m_summary) {
        const std::string text = PropsToJson(&row);
        if (text.empty())
            continue;
        std::string key = "summary";
        if (DProps::GetString(row, "type", "") != "summary")
            StrFormat(key, "blank%02ld", ++blanks);
        summary.SetString(key.c_str(), text);
    }
    document->SetSection("layout.summary", summary);
    DCSStorage::WriteRows(*document, "layout.cuttings", "c%03ld", m_cuttings);
    DCSStorage::WriteRows(*document, "layout.cuttings.parts", "c%03ld", m_cuttingParts);
    BuildRemnants(m_remnants);
    return true;
}

bool DCSProject::Read(const DSettings* document, std::string* dropped)
{
    if (!document || document->Count() == 0)
        return false;
    Reset();

    DProps props;
    if (document->GetSection("properties", props)) {
        m_props.Clear();
        m_props.CopyFrom(&props);
    }
    if (m_props.IndexOf("active") < 0)
        m_props.Set("active", "1");
    for (const char* key : {"comment", "notes"})
        if (m_props.IndexOf(key) >= 0)
            m_props.SetString(key, StrUnescapeChars(DProps::GetString(m_props, key, "")));
    UnescapeDescValue(m_props, "desc");

    const std::string material = DProps::GetString(m_props, "material", "");
    m_order.Read(document, material.empty() ? nullptr : material.c_str());

    ReadSolutions(document, dropped);
    Refresh(true);
    return true;
}

bool DCSProject::ReadSolutions(const DSettings* document, std::string* dropped)
{
    if (!document)
        return false;
    DCSStorage::ReadRows(*document, "layout.summary", m_summary, false);
    DCSStorage::ReadRows(*document, "layout.cuttings", m_cuttings, true);
    UseReadersSeparator(m_summary);
    UseReadersSeparator(m_cuttings);

    // Rows that cannot belong to this order are dropped whole: a solution
    // with some of its patterns missing would read as a worse one.
    const std::string why = CheckStoredCuttings(m_order, m_cuttings);
    if (!why.empty()) {
        m_summary.clear();
        m_cuttings.clear();
        m_cuttingParts.clear();
        if (dropped)
            *dropped = why;
    }

    BuildCuttingParts();
    RestoreLayout();
    // What the rows rebuild must be what was saved: otherwise the order
    // stays, and the results go with a note rather than change silently.
    std::string misfit = CheckRebuiltLayout(m_layout, m_summary, m_cuttings);
    // The statistics were computed with the remnant length of their
    // calculation, which the options page may have changed since: the
    // results are the same, only what counts as a remnant is not. The
    // layout takes the statistics that were saved with it.
    double computedWith = 0.0;
    if (!misfit.empty() && StoredRemnantLength(m_layout, m_summary, computedWith)) {
        ComputeLayoutSummary(StrFromDouble(computedWith, "%.9f"));
        misfit = CheckRebuiltLayout(m_layout, m_summary, m_cuttings);
    }
    if (!misfit.empty()) {
        m_summary.clear();
        m_cuttings.clear();
        m_cuttingParts.clear();
        RestoreLayout();
        if (dropped)
            *dropped = misfit;
    }
    BuildCuttings();
    BuildRemnants(m_remnants);
    UpdateFingerprint(false);
    return true;
}

// ---- The whole project -------------------------------------------------------------------

ProjectFileResult DCSSolution::CheckPath(const char* path)
{
    switch (PathCheckUsable(path)) {
    case PathFault::None:
        return ProjectFileOk;
    case PathFault::Empty:
        return ProjectFileNoPath;
    case PathFault::TooLong:
        return ProjectFilePathTooLong;
    default:
        return ProjectFilePathCharacters;
    }
}

bool DCSSolution::Save(const char* path, bool overwriteChanged)
{
    m_fileNotes.clear();
    m_fileResult = CheckPath(path);
    if (m_fileResult != ProjectFileOk)
        return false;
    // Another instance, or any other program, may have written the file
    // since this project was read from it or saved to it: writing over it
    // unasked would lose that work without a word.
    const std::string opened = GetFile();
    if (!overwriteChanged && m_fileStamp.known && !opened.empty() && SamePath(opened, m_stampPath) &&
        SamePath(path, opened)) {
        const FileStamp now = FileStampRead(path);
        if (now.known && !FileStampSameBytes(now, m_fileStamp)) {
            m_fileResult = ProjectFileChangedOnDisk;
            m_fileNotes.push_back(StrFormatStatic("the file was written at %s by another program (%lld bytes, "
                                                  "%lld when this project last read or wrote it)",
                                                  TimeText(now.time).c_str(), static_cast<long long>(now.size),
                                                  static_cast<long long>(m_fileStamp.size)));
            return false;
        }
    }
    // A material the file cannot hold as a block would vanish from the
    // file without a word; the save is refused before anything is written.
    // The same holds for a second material of one name (a rename can make
    // one): the reader keeps only the first block of a name.
    for (size_t i = 0; i < m_materials.size(); ++i) {
        const std::string name = m_materials[i]->GetProperty("material");
        if (!MaterialNameFitsFile(name.c_str())) {
            m_fileResult = ProjectFileBadName;
            m_fileNotes.push_back("material \"" + name + "\": the name cannot be stored");
            return false;
        }
        for (size_t j = 0; j < i; ++j)
            if (m_materials[j]->GetProperty("material") == name) {
                m_fileResult = ProjectFileBadName;
                m_fileNotes.push_back("material \"" + name + "\" appears twice");
                return false;
            }
    }

    m_props.Set("version", "1");
    m_props.Set("app", kProjectAppVersion);
    m_props.SetLong("projects", static_cast<long>(m_materials.size()));
    m_props.Set("file", path);

    DSettings head("ansi");
    DProps section(m_props);
    EscapeDescValue(section, "name");
    EscapeDescValue(section, "desc");
    head.SetSection("solution", section);
    std::string content = head.Write();
    if (HoldsEndMarker(content, kSolutionBlock)) {
        m_fileResult = ProjectFileMarkerText;
        m_fileNotes.push_back("the project's texts hold the marker \"" + EndMarkerOf(kSolutionBlock) + "\"");
        return false;
    }
    std::string text = BlockWrap(content.c_str(), kSolutionBlock);

    for (const auto& m : m_materials) {
        m->SetProperty("file", path);
        DSettings document("ansi");
        // Baselines wait for the file: a failed save leaves the project modified.
        m->Write(&document, false);
        const std::string name = m->GetProperty("material");
        content = document.Write();
        if (HoldsEndMarker(content, name)) {
            m_fileResult = ProjectFileMarkerText;
            m_fileNotes.push_back("material \"" + name + "\": a text holds the marker \"" + EndMarkerOf(name) + "\"");
            return false;
        }
        text += BlockWrap(content.c_str(), name.c_str());
    }

    // Written beside the target and moved over it, so a failure leaves the
    // previous file whole.
    const long written = Helper::WriteBuffer(path, static_cast<long>(text.size()), text.data(), false);
    if (written != static_cast<long>(text.size())) {
        m_fileResult = GetLastError() == ERROR_FILE_READ_ONLY ? ProjectFileReadOnly : ProjectFileWriteFailed;
        return false;
    }
    m_fileStamp = FileStampOf(path, text.data(), text.size());
    m_stampPath = path;

    m_props.Set("file", path);
    m_props.SetInt64("time.written", FileTimeNow());
    for (const auto& m : m_materials)
        m->Refresh(true);
    UpdateFingerprint(true);
    m_warnings.clear();
    m_fileResult = ProjectFileOk;
    return true;
}

bool DCSSolution::Load(const char* path)
{
    m_fileNotes.clear();
    // A path with characters the code page lost would be probed as a
    // pattern and could match another file.
    m_fileResult = CheckPath(path);
    if (m_fileResult != ProjectFileOk)
        return false;
    m_fileResult = ProjectFileMissing;
    if (Helper::CheckFile(path) != 1)
        return false;
    uint32_t length = 0;
    std::unique_ptr<char[]> data(Helper::ReadWholeFile(path, &length));
    if (!data || length == 0) {
        m_fileResult = ProjectFileUnreadable;
        return false;
    }
    // Read as a text, it ends at the first NUL, like every reader of it.
    const std::string text(data.get());

    std::vector<FileBlock> blocks;
    if (!SplitBlocks(text, blocks)) {
        m_fileResult = ProjectFileTruncated;
        m_fileNotes.push_back("a block of the file has no end: the file was cut short");
        return false;
    }

    // Everything is read into a new list first; the document changes only
    // once the file has given at least one material.
    std::string head;
    bool haveHead = false;
    for (const FileBlock& b : blocks)
        if (b.name == kSolutionBlock) {
            head = b.content;
            haveHead = true;
            break;
        }
    // Every file this program writes starts with the project's block. One
    // whose project block begins inside another block cannot be told apart
    // from its neighbour: read as a whole, its markers would become keys of
    // the project, and a project holding its own end marker is never saved
    // again. Such a file is refused as it stands.
    if (!haveHead) {
        const std::string start = "<!--block:" + std::string(kSolutionBlock) + "-->";
        for (const FileBlock& b : blocks)
            if (b.content.find(start) != std::string::npos) {
                m_fileResult = ProjectFileMisplacedBlock;
                m_fileNotes.push_back("the project's block starts inside the block \"" + b.name + "\"");
                return false;
            }
    }
    if (head.empty())
        head = text;
    DProps properties;
    bool haveProperties = false;
    {
        DSettings document("ansi");
        document.Parse(head.c_str());
        haveProperties = document.GetSection("solution", properties);
    }

    std::vector<std::unique_ptr<DCSProject>> materials;
    std::vector<FileBlock> parts = blocks;
    if (parts.empty())
        parts.push_back(FileBlock{std::string(), text});
    for (size_t i = 0; i < parts.size(); ++i) {
        const FileBlock& block = parts[i];
        if (block.content.empty()) {
            long later = 0;
            for (size_t j = i + 1; j < parts.size(); ++j)
                if (parts[j].name != kSolutionBlock)
                    ++later;
            if (later > 0)
                m_fileNotes.push_back(StrFormatStatic("%ld material blocks after an empty block were not read",
                                                      later));
            break;
        }
        if (block.name == kSolutionBlock)
            continue;
        DSettings document("ansi");
        document.Parse(block.content.c_str());
        auto material = std::make_unique<DCSProject>();
        std::string dropped;
        DProps own;
        if (!document.GetSection("properties", own)) {
            m_fileNotes.push_back("block \"" + block.name + "\" holds no material properties and was not read");
            continue;
        }
        if (!material->Read(&document, &dropped)) {
            m_fileNotes.push_back("block \"" + block.name + "\" could not be read");
            continue;
        }
        const std::string name = material->GetProperty("material");
        if (DCSProject::CheckMaterialName(name.c_str()) != MaterialNameOk) {
            m_fileNotes.push_back("block \"" + block.name + "\" names no usable material and was not read");
            continue;
        }
        bool duplicate = false;
        for (const auto& m : materials)
            if (m->GetProperty("material") == name)
                duplicate = true;
        if (duplicate) {
            m_fileNotes.push_back("material \"" + name + "\" appears twice; the second was not read");
            continue;
        }
        if (!dropped.empty())
            m_fileNotes.push_back("material \"" + name + "\": results dropped (" + dropped + ")");
        material->Refresh(true);
        materials.push_back(std::move(material));
    }

    const long announced = haveProperties ? DProps::GetLong(properties, "projects") : 0;
    if (announced > static_cast<long>(materials.size()))
        m_fileNotes.push_back(StrFormatStatic("the file announces %ld materials; %ld were read", announced,
                                              static_cast<long>(materials.size())));

    if (materials.empty()) {
        Clear();
        m_fileResult = ProjectFileNoMaterial;
        return false;
    }

    if (haveProperties) {
        UnescapeDescValue(properties, "name");
        UnescapeDescValue(properties, "desc");
        m_props.Clear();
        m_props.CopyFrom(&properties);
    }
    m_materials = std::move(materials);
    m_current = 0;
    m_fileStamp = FileStampOf(path, data.get(), length);
    m_stampPath = path;
    m_props.Set("file", path);
    UpdateFingerprint(true);
    m_warnings.clear();
    m_fileResult = ProjectFileOk;
    return true;
}
