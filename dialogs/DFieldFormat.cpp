#include "dialogs/DFieldFormat.h"

#include <algorithm>

#include "dialogs/DelimitedImport.h"
#include "foundation/DData.h"
#include "foundation/StrUtil.h"

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> items;
    StrSplit(text, items, separator.c_str(), true);
    return items;
}

} // namespace

void DFieldFormat::Setup(const DProps& descriptor)
{
    const std::string separator = DProps::GetString(descriptor, "format.separator", ";");
    m_fields = Split(DProps::GetString(descriptor, "fields", ""), separator);
    m_widths = Split(DProps::GetString(descriptor, "columns", ""), separator);
    m_titles.Clear();
    const std::vector<std::string> titles = Split(DProps::GetString(descriptor, "titles", ""), separator);
    for (size_t i = 0; i < titles.size(); ++i) {
        const char* key = i < m_fields.size() ? m_fields[i].c_str() : EmptyFieldKey;
        if (*key)
            m_titles.Set(key, titles[i].c_str(), nullptr, true);
    }
    if (descriptor.IndexOf("format") >= 0)
        m_keys = Split(DProps::GetString(descriptor, "format", ""), ";");
    else
        m_keys = m_fields;
}

bool DFieldFormat::IsField(const std::string& key) const
{
    return std::find(m_fields.begin(), m_fields.end(), key) != m_fields.end();
}

void DFieldFormat::ReplaceForeignKeys()
{
    for (std::string& key : m_keys) {
        if (key != EmptyFieldKey && !IsField(key))
            key = EmptyFieldKey;
    }
}

std::string DFieldFormat::Title(const std::string& key) const
{
    if (key.empty())
        return std::string();
    if (key == EmptyFieldKey)
        return DProps::GetString(m_titles, EmptyFieldKey, EmptyFieldTitle);
    return DProps::GetString(m_titles, key.c_str(), "");
}

std::vector<std::string> DFieldFormat::KeyTitles() const
{
    std::vector<std::string> titles;
    for (const std::string& key : m_keys)
        titles.push_back(Title(key));
    return titles;
}

std::string DFieldFormat::FormatText(const char* separator) const
{
    return StrJoin(m_keys, separator && *separator ? separator : ";");
}

std::vector<std::pair<long, std::string>> DFieldFormat::MenuChoices() const
{
    std::vector<std::pair<long, std::string>> choices;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (std::find(m_keys.begin(), m_keys.end(), m_fields[i]) != m_keys.end())
            continue;
        std::string title = Title(m_fields[i]);
        choices.emplace_back(static_cast<long>(i) + 1, title.empty() ? m_fields[i] : title);
    }
    choices.emplace_back(static_cast<long>(m_fields.size()) + 1, Title(EmptyFieldKey));
    return choices;
}

std::string DFieldFormat::KeyOfCommand(long command) const
{
    const long fields = static_cast<long>(m_fields.size());
    if (command >= 1 && command <= fields)
        return m_fields[static_cast<size_t>(command - 1)];
    if (command == fields + 1)
        return EmptyFieldKey;
    return std::string();
}

long DFieldFormat::Insert(long at, const std::string& key)
{
    const long count = static_cast<long>(m_keys.size());
    at = std::max(0L, std::min(at, count));
    m_keys.insert(m_keys.begin() + at, key);
    return at;
}

long DFieldFormat::Append(const std::string& key)
{
    m_keys.push_back(key);
    return static_cast<long>(m_keys.size()) - 1;
}

long DFieldFormat::Remove(long at)
{
    const long count = static_cast<long>(m_keys.size());
    if (at < 0 || at >= count)
        return at;
    m_keys.erase(m_keys.begin() + at);
    return std::min(at, count - 2);
}

long DFieldFormat::MoveUp(long at)
{
    if (at <= 0 || at >= static_cast<long>(m_keys.size()))
        return at;
    std::swap(m_keys[static_cast<size_t>(at)], m_keys[static_cast<size_t>(at - 1)]);
    return at - 1;
}

long DFieldFormat::MoveDown(long at)
{
    if (at < 0 || at + 1 >= static_cast<long>(m_keys.size()))
        return at;
    std::swap(m_keys[static_cast<size_t>(at)], m_keys[static_cast<size_t>(at + 1)]);
    return at + 1;
}

void DFieldFormat::ReplaceKeys(const std::vector<std::string>& keys)
{
    m_keys = keys;
    ReplaceForeignKeys();
}

std::vector<long> DFieldFormat::ColumnWidths(long usableWidth) const
{
    std::vector<long> widths(m_fields.size(), 100);
    for (size_t i = 0; i < widths.size() && i < m_widths.size(); ++i)
        widths[i] = StrToLong(m_widths[i]);
    long sum = 0;
    for (long w : widths)
        sum += w;
    if (sum <= 0)
        return widths;
    for (long& w : widths)
        w = RoundToLong(static_cast<double>(w) * usableWidth / sum);
    return widths;
}
