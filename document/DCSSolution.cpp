// The project document: properties, the list of materials, change tracking
// and the warnings and export tests over all materials. The project file
// itself is written and read in ProjectFile.cpp.
#include "document/DCSSolution.h"

#include <cstring>
#include <utility>

#include "document/ChangeMasks.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

const char* const kProjectAppVersion = "1.2.20 ";

namespace {

bool IsActive(const DCSProject& material)
{
    return DProps::GetLong(material.GetProperties(), "active") == 1;
}

std::string TrimmedText(const char* text)
{
    std::string s = StrFromText(text);
    StrTrim(s);
    return s;
}

}  // namespace

DCSSolution::DCSSolution()
{
    Reset();
}

DCSSolution::~DCSSolution()
{
    Reset();
}

// ---- Properties ----------------------------------------------------------------------

std::string DCSSolution::GetName() const
{
    return DProps::GetString(m_props, "name", "");
}

std::string DCSSolution::GetDesc() const
{
    return DProps::GetString(m_props, "desc", "");
}

std::string DCSSolution::GetFile() const
{
    return DProps::GetString(m_props, "file", "");
}

void DCSSolution::SetName(const char* name)
{
    m_props.SetString("name", TrimmedText(name));
    UpdateFingerprint(false);
    m_warnings.clear();
}

void DCSSolution::SetDesc(const char* desc)
{
    m_props.SetString("desc", TrimmedText(desc));
    UpdateFingerprint(false);
    m_warnings.clear();
}

// ---- Lifecycle -----------------------------------------------------------------------

void DCSSolution::Clear()
{
    m_current = 0;
    m_props.Clear();
    m_materials.clear();
    // These four open the property list of every project.
    m_props.Set("name", "");
    m_props.Set("desc", "");
    m_props.Set("time", "0");
    m_props.Set("version", "1");
    UpdateFingerprint(true);
    m_warnings.clear();
}

void DCSSolution::Reset()
{
    Clear();
}

void DCSSolution::Swap(DCSSolution& other)
{
    if (&other == this)
        return;
    DProps props;
    props.CopyFrom(&m_props);
    m_props.Clear();
    m_props.CopyFrom(&other.m_props);
    other.m_props.Clear();
    other.m_props.CopyFrom(&props);
    std::swap(m_materials, other.m_materials);
    std::swap(m_current, other.m_current);
    std::swap(m_propsTracker, other.m_propsTracker);
    std::swap(m_namesTracker, other.m_namesTracker);
    std::swap(m_warnings, other.m_warnings);
    std::swap(m_fileResult, other.m_fileResult);
    std::swap(m_fileNotes, other.m_fileNotes);
    std::swap(m_fileStamp, other.m_fileStamp);
    std::swap(m_stampPath, other.m_stampPath);
}

bool DCSSolution::New(const char* name, const char* desc, const char* material)
{
    Clear();
    m_props.Set("file", "");
    m_props.SetString("name", StrFromText(name));
    m_props.SetString("desc", StrFromText(desc));
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME stamp{};
    SystemTimeToFileTime(&now, &stamp);
    const long long ticks =
        static_cast<long long>((static_cast<unsigned long long>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime);
    m_props.SetInt64("time.created", ticks);
    if (!AddMaterial(material, nullptr))
        return false;
    UpdateFingerprint(true);
    m_warnings.clear();
    return true;
}

// ---- Materials -----------------------------------------------------------------------

long DCSSolution::GetCount(bool activeOnly) const
{
    if (!activeOnly)
        return static_cast<long>(m_materials.size());
    long count = 0;
    for (const auto& m : m_materials)
        if (IsActive(*m))
            ++count;
    return count;
}

DCSProject* DCSSolution::FindMaterial(const char* name, long* index)
{
    if (!name || !*name)
        return nullptr;
    const size_t length = strlen(name);
    for (size_t i = 0; i < m_materials.size(); ++i) {
        const std::string own = m_materials[i]->GetProperty("material");
        if (own.size() == length && memcmp(own.data(), name, length) == 0) {
            if (index)
                *index = static_cast<long>(i);
            return m_materials[i].get();
        }
    }
    return nullptr;
}

DCSProject* DCSSolution::GetProject(long index, bool activeOnly)
{
    if (index < 0)
        index = m_current;
    if (index < 0 || index >= static_cast<long>(m_materials.size()))
        return nullptr;
    if (!activeOnly)
        return m_materials[static_cast<size_t>(index)].get();
    long seen = 0;
    for (const auto& m : m_materials) {
        if (!IsActive(*m))
            continue;
        if (seen == index)
            return m.get();
        ++seen;
    }
    return nullptr;
}

bool DCSSolution::SetActive(long index, bool active)
{
    DCSProject* material = GetProject(index, false);
    if (!material)
        return false;
    material->SetProperty("active", active ? "1" : "0");
    return true;
}

long DCSSolution::SetCurrent(long index)
{
    if (index < 0 || index >= static_cast<long>(m_materials.size()))
        return -1;
    m_current = index;
    return index;
}

bool DCSSolution::AddMaterial(const char* name, const char* desc)
{
    if (!name || !*name || FindMaterial(name))
        return false;
    // A name the project file could not give back is refused here, before
    // the user has put any work into the material.
    if (!MaterialNameFitsFile(name))
        return false;
    auto material = std::make_unique<DCSProject>();
    if (material->SetMaterial(name) != MaterialNameOk)
        return false;
    if (desc && *desc)
        material->SetProperty("desc", desc);
    material->Refresh(true);
    m_materials.push_back(std::move(material));
    UpdateFingerprint(false);
    m_warnings.clear();
    return true;
}

bool DCSSolution::MaterialNameFitsFile(const char* name)
{
    if (DCSProject::CheckMaterialName(name) != MaterialNameOk)
        return false;
    const std::string text(name);
    if (text.find_first_of("\r\n") != std::string::npos)
        return false;
    std::string trimmed = text;
    StrTrim(trimmed);
    return trimmed == text;
}

bool DCSSolution::RemoveMaterial(long index)
{
    if (index < 0)
        index = m_current;
    if (index < 0 || index >= static_cast<long>(m_materials.size()))
        return false;
    // Out of the list first, destroyed once the list is whole again.
    std::unique_ptr<DCSProject> removed = std::move(m_materials[static_cast<size_t>(index)]);
    m_materials.erase(m_materials.begin() + index);
    if (m_current >= static_cast<long>(m_materials.size()))
        m_current = static_cast<long>(m_materials.size()) - 1;
    removed.reset();
    UpdateFingerprint(false);
    m_warnings.clear();
    return true;
}

// ---- Change tracking -----------------------------------------------------------------

void DCSSolution::ComputeFingerprints(uint32_t& props, uint32_t& names) const
{
    std::string text = DProps::GetString(m_props, "time", "");
    text += DProps::GetString(m_props, "name", "");
    text += DProps::GetString(m_props, "desc", "");
    text += std::to_string(static_cast<long>(m_materials.size()));
    props = Crc32(text.c_str());
    std::string list;
    for (const auto& m : m_materials) {
        list += m->GetProperty("material");
        list += ";";
    }
    names = Crc32(list.c_str());
}

void DCSSolution::UpdateFingerprint(bool setBaseline)
{
    uint32_t props = 0;
    uint32_t names = 0;
    ComputeFingerprints(props, names);
    m_propsTracker.Update(props, setBaseline);
    m_namesTracker.Update(names, setBaseline);
}

bool DCSSolution::IsModified() const
{
    if (m_propsTracker.Changed() || m_namesTracker.Changed())
        return true;
    for (const auto& m : m_materials)
        if (m->IsChanged(kChangedProject))
            return true;
    return false;
}

std::string DCSSolution::GetContentId() const
{
    std::string text = GetName() + GetDesc();
    for (const auto& m : m_materials)
        if (IsActive(*m))
            text += m->GetContentId();
    std::string id;
    StrFormat(id, "%08X", static_cast<unsigned>(Crc32(text.c_str())));
    return id;
}

// ---- Warnings and export tests -------------------------------------------------------

const std::vector<DProps>& DCSSolution::CollectWarnings(bool activeOnly)
{
    m_warnings.clear();
    for (const auto& m : m_materials) {
        if (activeOnly && !IsActive(*m))
            continue;
        // Handed out named after the material.
        const DProps& bag = m->GetWarnings();
        if (bag.Count() > 0)
            m_warnings.push_back(bag);
    }
    return m_warnings;
}

bool DCSSolution::HasResults() const
{
    for (const auto& m : m_materials)
        if (IsActive(*m) && m->HasCuttings())
            return true;
    return false;
}

bool DCSSolution::HasRemnants() const
{
    for (const auto& m : m_materials)
        if (IsActive(*m) && m->HasRemnants())
            return true;
    return false;
}

bool DCSSolution::HasOrphans() const
{
    for (const auto& m : m_materials)
        if (IsActive(*m) && m->GetOrphans(nullptr) > 0)
            return true;
    return false;
}
