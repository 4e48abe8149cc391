#include "foundation/DAppSettings.h"

#include <cstring>

#include "foundation/PathUtil.h"

DAppSettings::DAppSettings() : m_color(RGB(127, 127, 127))
{
    m_entries.SetMarker("#");
}

DAppSettings::~DAppSettings() = default;

long DAppSettings::Load(const char* path)
{
    DAutoLock guard(&m_lock);
    m_path = path ? path : "";
    if (PathExistsA(m_path.GetText()) != 1)
        return 0;
    m_entries.Clear();
    FileLoadPairs(m_path.GetText(), m_entries);
    m_dirty = false;
    return m_entries.Count();
}

long DAppSettings::LoadAtStart(const char* path, UString& keptAs, bool& damaged)
{
    DAutoLock guard(&m_lock);
    keptAs = "";
    damaged = PathExistsA(path) == 1 && FileLooksBinary(path);
    if (!damaged)
        return Load(path);
    FileSetAside(path, keptAs);
    m_path = path;
    m_entries.Clear();
    m_dirty = false;
    return 0;
}

int DAppSettings::Save(bool force)
{
    DAutoLock guard(&m_lock);
    UString path = m_path;
    path.Trim();
    if (path.IsEmpty())
        return 0;
    if (!force && !m_dirty)
        return 1;
    if (!FileSavePairs(m_path.GetText(), m_entries)) {
        m_error.Format("Cannot save settings to file %s", m_path.GetText());
        m_dirty = true;
        m_failed = true;
        return 0;
    }
    m_dirty = false;
    return 2;
}

UString DAppSettings::Get(const char* key, const char* def) const
{
    DAutoLock guard(&m_lock);
    auto it = m_entries.FindPos(key, false);
    if (it == m_entries.end())
        return UString(def ? def : "");
    return it->value;
}

bool DAppSettings::Set(const char* key, const char* value, bool saveNow)
{
    DAutoLock guard(&m_lock);
    const char* text = value ? value : "";
    auto it = m_entries.FindPos(key, true);
    const char* current = it == m_entries.end() ? "" : it->value.GetText();
    if (strcmp(current ? current : "", text) == 0)
        return true;
    m_entries.Set(key, text, true);
    m_dirty = true;
    if (saveNow)
        Save(false);
    return true;
}

bool DAppSettings::IsDirty() const
{
    DAutoLock guard(&m_lock);
    return m_dirty;
}

UString DAppSettings::GetPath() const
{
    DAutoLock guard(&m_lock);
    return m_path;
}

UString DAppSettings::GetErrorText() const
{
    DAutoLock guard(&m_lock);
    return m_error;
}

bool DAppSettings::TakeFirstFailure(UString& text)
{
    DAutoLock guard(&m_lock);
    if (!m_failed || m_failureTaken)
        return false;
    m_failureTaken = true;
    text = m_error;
    return true;
}

UPairList DAppSettings::GetEntries() const
{
    DAutoLock guard(&m_lock);
    UPairList copy;
    copy.SetMarker(m_entries.Marker().GetText());
    m_entries.CopyTo(copy, true);
    return copy;
}
