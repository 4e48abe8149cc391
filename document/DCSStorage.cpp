#include "document/DCSStorage.h"

#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "document/OrderCheck.h"
#include "foundation/DSettings.h"
#include "foundation/RecordText.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/UniqueId.h"

namespace {

const char* const kLengthKeys[] = {"length", "knife", "indent"};

bool HasKey(const DProps& row, const char* key)
{
    return row.IndexOf(key) >= 0;
}

std::string NewUid()
{
    std::string uid;
    return StrFormat(uid, "%ld", UniqueRandom());
}

// The key's value in the user's decimal notation; lengths also lose their
// trailing zeros, a cost keeps them (1.50 stays a price).
std::string NormalizedNumber(const DProps& row, const char* key, bool cutZeros)
{
    std::string text = DProps::GetString(row, key, "");
    return NumUseSeparator(text, cutZeros);
}

void NormalizePresentNumbers(DProps& row)
{
    for (const char* key : kLengthKeys) {
        if (HasKey(row, key))
            row.SetString(key, NormalizedNumber(row, key, true));
    }
    if (HasKey(row, "cost"))
        row.SetString("cost", NormalizedNumber(row, "cost", false));
}

void SetNumberAndLetter(DProps& row, long index)
{
    row.SetLong("id", index + 1);
    row.SetString("name", RowLetter(index));
}

// The first row whose "uid" is exactly uid; an empty uid matches nothing, so
// rows that never got one cannot be mistaken for each other.
long FindUid(const PropsList& rows, const std::string& uid)
{
    if (uid.empty())
        return -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (DProps::GetString(rows[i], "uid", "") == uid)
            return static_cast<long>(i);
    }
    return -1;
}

// Material names are collected without regard to case (ASCII letters fold).
std::string FoldedName(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

void GiveMissingUids(PropsList& rows)
{
    for (DProps& row : rows)
        if (DProps::GetString(row, "uid", "").empty())
            row.SetString("uid", NewUid());
}

// The position of each name in the list (the first, for a name listed twice);
// rows match a name exactly.
std::unordered_map<std::string, size_t> PositionsOf(const TextList& names)
{
    std::unordered_map<std::string, size_t> positions;
    for (size_t i = 0; i < names.size(); ++i)
        positions.emplace(names[i], i);
    return positions;
}

long Renumber(PropsList& rows)
{
    DProps totals;
    return DCSStorage::NormalizeRows(rows, totals);
}

} // namespace

DCSStorage::DCSStorage() = default;

DCSStorage::~DCSStorage()
{
    Clear();
}

// ---- Row operations ---------------------------------------------------------------

long DCSStorage::CollectMaterials(const PropsList& rows, TextList& names)
{
    std::unordered_set<std::string> known;
    for (const std::string& name : names)
        known.insert(FoldedName(name));
    long appended = 0;
    for (const DProps& row : rows) {
        const std::string material = DProps::GetString(row, "material", "");
        if (!material.empty() && known.insert(FoldedName(material)).second) {
            names.push_back(material);
            ++appended;
        }
    }
    return appended;
}

long DCSStorage::CollectRowUids(TextList& uids, const char* material, PropsList& rows)
{
    uids.clear();
    TextList groups;
    if (material && *material)
        groups.push_back(material);
    else
        CollectMaterials(rows, groups);

    GiveMissingUids(rows);
    if (groups.empty()) {
        for (const DProps& row : rows)
            uids.push_back(DProps::GetString(row, "uid", ""));
        return static_cast<long>(uids.size());
    }
    // Case-sensitive on purpose: a row spelled otherwise is not this
    // material's, even though the names were collected without regard to
    // case. Each group's uids follow in row order, the groups in theirs.
    const std::unordered_map<std::string, size_t> positions = PositionsOf(groups);
    std::vector<TextList> byGroup(groups.size());
    for (const DProps& row : rows) {
        const auto found = positions.find(DProps::GetString(row, "material", ""));
        if (found != positions.end())
            byGroup[found->second].push_back(DProps::GetString(row, "uid", ""));
    }
    for (TextList& group : byGroup)
        for (std::string& uid : group)
            uids.push_back(std::move(uid));
    return static_cast<long>(uids.size());
}

bool DCSStorage::AddRow(PropsList& rows, DProps& row)
{
    if (DProps::GetLong(row, "uid") == 0)
        row.SetLong("uid", UniqueRandom());
    rows.push_back(row);
    Renumber(rows);
    return true;
}

bool DCSStorage::UpdateRow(DProps& row, PropsList& rows)
{
    row.SetLong("uid", DProps::GetLong(row, "uid"));
    const long found = FindUid(rows, DProps::GetString(row, "uid", ""));
    if (found >= 0)
        rows[found].CopyFrom(&row);
    Renumber(rows);
    return true;
}

bool DCSStorage::SetRowValues(PropsList& rows, const char* uid, const DProps& values)
{
    const long found = FindUid(rows, StrFromText(uid));
    if (found < 0)
        return false;
    DProps& target = rows[found];
    DAutoLock guard(&values.GetLock());
    for (int i = 0; i < values.Count(); ++i)
        target.Set(values.GetKeyAt(i), values.GetValueAt(i), nullptr, true);
    return true;
}

bool DCSStorage::DeleteRow(const DProps& row, PropsList& rows)
{
    const long found = FindUid(rows, DProps::GetString(row, "uid", ""));
    if (found >= 0)
        rows.erase(rows.begin() + found);
    Renumber(rows);
    return true;
}

bool DCSStorage::MoveRow(PropsList& rows, const DProps& row)
{
    const long found = FindUid(rows, DProps::GetString(row, "uid", ""));
    if (found < 0)
        return false;
    const bool up = DProps::GetString(row, "direction", "") == "up";
    const long other = up ? found - 1 : found + 1;
    if (other < 0 || other >= static_cast<long>(rows.size()))
        return false;
    std::swap(rows[found], rows[other]);
    Renumber(rows);
    return true;
}

long DCSStorage::NormalizeRows(PropsList& rows, DProps& totals)
{
    long items = 0;
    long quantity = 0;

    TextList groups;
    CollectMaterials(rows, groups);
    if (!groups.empty()) {
        GiveMissingUids(rows);
        // Each group's rows are numbered in list order, which is the order
        // of their uids; walking the rows themselves keeps two rows that
        // share a uid from being numbered as one. One walk serves every
        // group, so the work grows with the rows alone.
        std::unordered_map<std::string, long> next;
        for (const std::string& group : groups)
            next.emplace(group, 0);
        for (DProps& row : rows) {
            const auto group = next.find(DProps::GetString(row, "material", ""));
            if (group == next.end())
                continue;
            SetNumberAndLetter(row, group->second++);
            NormalizePresentNumbers(row);
            if (HasKey(row, "quantity"))
                ++items;
            quantity += DProps::GetLong(row, "quantity");
        }
    } else {
        for (size_t i = 0; i < rows.size(); ++i) {
            DProps& row = rows[i];
            if (DProps::GetString(row, "uid", "").empty())
                row.SetString("uid", NewUid());
            SetNumberAndLetter(row, static_cast<long>(i));
            if (!HasKey(row, "indent"))
                row.SetString("indent", "0");
            NormalizePresentNumbers(row);
            ++items;
            quantity += DProps::GetLong(row, "quantity");
        }
    }

    totals.SetLong("items", items);
    totals.SetLong("quantity", quantity);
    return items;
}

bool DCSStorage::ReplaceRows(const char* material, PropsList& rows, const PropsList& newRows)
{
    if (material && *material) {
        TextList uids;
        CollectRowUids(uids, material, rows);
        RemoveRows(rows, uids);
        PropsListMerge(&newRows, &rows);
    } else if (&rows != &newRows) {
        rows = newRows;
    }
    return Renumber(rows) > 0;
}

bool DCSStorage::RemoveRows(PropsList& rows, const TextList& uids)
{
    // A uid listed k times removes the first k rows that carry it, in one
    // pass over the rows.
    std::unordered_map<std::string, long> wanted;
    for (const std::string& uid : uids)
        if (!uid.empty())
            ++wanted[uid];
    if (wanted.empty())
        return true;
    PropsList kept;
    kept.reserve(rows.size());
    for (DProps& row : rows) {
        const auto found = wanted.find(DProps::GetString(row, "uid", ""));
        if (found != wanted.end() && found->second > 0) {
            --found->second;
            continue;
        }
        kept.push_back(std::move(row));
    }
    rows.swap(kept);
    return true;
}

bool DCSStorage::OrderByMaterials(PropsList& rows, const TextList& names)
{
    if (names.empty() || rows.empty())
        return false;
    // The rows of each named material in turn, each group in list order,
    // then the others in theirs: a stable sort by the material's place in
    // the names. Rows are moved, never looked up by uid, so two rows that
    // share a uid both stay.
    bool named = false;
    for (const std::string& name : names)
        named = named || !name.empty();
    if (named)
        GiveMissingUids(rows);
    const std::unordered_map<std::string, size_t> positions = PositionsOf(names);
    std::vector<std::vector<size_t>> groups(names.size() + 1);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string material = DProps::GetString(rows[i], "material", "");
        const auto found = material.empty() ? positions.end() : positions.find(material);
        groups[found == positions.end() ? names.size() : found->second].push_back(i);
    }
    PropsList ordered;
    ordered.reserve(rows.size());
    for (const std::vector<size_t>& group : groups)
        for (size_t i : group)
            ordered.push_back(std::move(rows[i]));
    rows.swap(ordered);
    return true;
}

void DCSStorage::SortByThenById(PropsList& rows, const char* key, const char* type)
{
    DProps order;
    order.Set("primary", key);
    order.Set("primary.type", type);
    order.Set("secondary", "id");
    order.Set("secondary.type", "long");
    order.Set("secondary.less", "1");
    PropsListSort(rows, &order);
}

// ---- Member operations --------------------------------------------------------------

void DCSStorage::Clear()
{
    m_materials.clear();
    m_blanks.clear();
    m_pieces.clear();
    m_numbers.Forget();
    m_full.Forget();
}

void DCSStorage::StampMaterial(const char* name)
{
    if (!name || !*name)
        return;
    for (DProps& row : m_blanks)
        row.Set("material", name);
    for (DProps& row : m_pieces)
        row.Set("material", name);
}

void DCSStorage::RebuildMaterialNames()
{
    m_materials.clear();
    CollectMaterials(m_blanks, m_materials);
}

void DCSStorage::UpdateTotals(bool setBaseline)
{
    RebuildMaterialNames();

    DProps scratch;
    NormalizeRows(m_blanks, scratch);
    m_totals.SetString("blanks.items", DProps::GetString(scratch, "items", "0"));
    m_totals.SetString("blanks.quantity", DProps::GetString(scratch, "quantity", "0"));

    OrderByMaterials(m_pieces, m_materials);
    NormalizeRows(m_pieces, scratch);
    m_totals.SetString("pieces.items", DProps::GetString(scratch, "items", "0"));
    m_totals.SetString("pieces.quantity", DProps::GetString(scratch, "quantity", "0"));

    UpdateFingerprint(setBaseline);

    m_warnings.Clear();
    m_checkResult = CheckOrder(m_warnings);
}

void DCSStorage::ComputeFingerprints(uint32_t& numbers, uint32_t& full) const
{
    std::string digits;
    std::string words;
    auto number = [](const DProps& row, const char* key) {
        const std::string text = DProps::GetString(row, key, "");
        return atof(text.c_str());
    };
    auto count = [](const DProps& row, const char* key) {
        const std::string text = DProps::GetString(row, key, "");
        return atoi(text.c_str());
    };
    auto addWords = [&words](const DProps& row) {
        words += DProps::GetString(row, "label", "");
        words += DProps::GetString(row, "comment", "");
    };
    for (const DProps& row : m_blanks) {
        StrAppendFormat(digits, "%f%f%f%d%f", number(row, "length"), number(row, "knife"),
                        number(row, "indent"), count(row, "quantity"), number(row, "cost"));
        addWords(row);
    }
    for (const DProps& row : m_pieces) {
        StrAppendFormat(digits, "%f%d", number(row, "length"), count(row, "quantity"));
        addWords(row);
    }
    numbers = Crc32(digits.c_str());
    full = Crc32((digits + words).c_str());
}

void DCSStorage::UpdateFingerprint(bool setBaseline)
{
    uint32_t numbers = 0;
    uint32_t full = 0;
    ComputeFingerprints(numbers, full);
    m_numbers.Update(numbers, setBaseline);
    m_full.Update(full, setBaseline);
}

std::string DCSStorage::GetContentId() const
{
    uint32_t numbers = 0;
    uint32_t full = 0;
    ComputeFingerprints(numbers, full);
    std::string both;
    StrFormat(both, "%08lX%08lX", static_cast<unsigned long>(numbers),
              static_cast<unsigned long>(full));
    std::string id;
    return StrFormat(id, "%08lX", static_cast<unsigned long>(Crc32(both.c_str())));
}

int32_t DCSStorage::CheckOrder(DProps& warnings) const
{
    return CheckOrderRows(m_blanks, m_pieces, warnings);
}

// ---- INI sections ------------------------------------------------------------------------

void DCSStorage::ReadRows(const DSettings& document, const char* section, PropsList& rows, bool skipEmpty)
{
    rows.clear();
    DProps entries;
    if (!document.GetSection(section, entries))
        return;
    for (int i = 0; i < entries.Count(); ++i) {
        DProps row;
        PropsFromJson(entries.GetValueAt(i), &row, JsonUnescape);
        if (skipEmpty && row.Count() == 0)
            continue;
        rows.push_back(std::move(row));
    }
}

namespace {

void ReadOrderRows(const DSettings& document, const char* section, PropsList& rows,
                   const char* material, bool stockRows)
{
    DCSStorage::ReadRows(document, section, rows, false);
    for (DProps& row : rows) {
        if (material && *material)
            row.Set("material", material);
        row.SetString("length", NormalizedNumber(row, "length", true));
        if (stockRows) {
            row.SetString("knife", NormalizedNumber(row, "knife", true));
            row.SetString("indent", NormalizedNumber(row, "indent", true));
            row.SetString("cost", NormalizedNumber(row, "cost", false));
        }
    }
}

} // namespace

void DCSStorage::WriteRows(DSettings& document, const char* section, const char* keyFormat,
                           const PropsList& rows)
{
    DProps entries;
    long written = 0;
    for (const DProps& row : rows) {
        const std::string text = PropsToJson(&row);
        if (text.empty())
            continue;
        std::string key;
        StrFormat(key, keyFormat, ++written);
        entries.Set(key.c_str(), text.c_str(), nullptr, true);
    }
    document.SetSection(section, entries);
}

bool DCSStorage::Write(DSettings* document)
{
    if (!document)
        return false;
    UpdateTotals(false);
    WriteRows(*document, "order.blanks", "b%03ld", m_blanks);
    WriteRows(*document, "order.pieces", "p%03ld", m_pieces);
    UpdateTotals(true);
    return true;
}

bool DCSStorage::Read(const DSettings* document, const char* material)
{
    if (!document)
        return false;
    ReadOrderRows(*document, "order.blanks", m_blanks, material, true);
    ReadOrderRows(*document, "order.pieces", m_pieces, material, false);
    UpdateTotals(true);
    return true;
}
