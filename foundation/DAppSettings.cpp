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

UPairList DAppSettings::GetEntries() const
{
    DAutoLock guard(&m_lock);
    UPairList copy;
    copy.SetMarker(m_entries.Marker().GetText());
    m_entries.CopyTo(copy, true);
    return copy;
}
