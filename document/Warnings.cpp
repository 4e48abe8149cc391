// Small services of the material: signatures read back into parts, the
// material's warnings, the placed-of-total texts, the content id that keys
// the report cache, and the row operations of automation scripts.
#include "document/DCSProject.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "document/DAppServices.h"
#include "document/StatusCodes.h"
#include "foundation/DLock.h"
#include "foundation/RecordText.h"
#include "foundation/StrUtil.h"

namespace {

std::string LongText(long value)
{
    std::string text;
    return StrFormat(text, "%ld", value);
}

// atoi without its undefined overflow: out-of-range texts are held at the
// ends of a long.
long TextToLong(const std::string& text)
{
    errno = 0;
    return strtol(text.c_str(), nullptr, 10);
}

const DProps* PieceRowById(const PropsList& rows, long id)
{
    // The storage numbers its rows in order, so row id - 1 is nearly always
    // the one: a report asks this of every part row.
    if (id >= 1 && static_cast<size_t>(id) <= rows.size() &&
        DProps::GetLong(rows[static_cast<size_t>(id - 1)], "id") == id)
        return &rows[static_cast<size_t>(id - 1)];
    for (const DProps& row : rows)
        if (DProps::GetLong(row, "id") == id)
            return &row;
    return nullptr;
}

}  // namespace

// ---- Signatures -----------------------------------------------------------------------------

long DCSProject::PiecesFromSignature(const char* signature, std::vector<std::string>& out, DProps& bag,
                                     long limit)
{
    if (!signature || !*signature)
        return 0;
    const std::string text = signature;
    const size_t hash = text.find('#');
    const std::string body = hash == std::string::npos ? std::string() : text.substr(hash + 1);
    out.clear();
    long long total = 0;
    size_t i = 0;
    while (i < body.size()) {
        // A part is named by its letter, or past the letters by "(id)".
        size_t codeEnd = i + 1;
        if (body[i] == '(') {
            const size_t close = body.find(')', i);
            if (close != std::string::npos)
                codeEnd = close + 1;
        }
        const std::string letter = body.substr(i, codeEnd - i);
        size_t end = body.find('-', codeEnd);
        if (end == std::string::npos)
            end = body.size();
        const long count = TextToLong(body.substr(codeEnd, end - codeEnd));
        total += count;
        for (long k = 0; k < count && static_cast<long long>(out.size()) < limit; ++k)
            out.push_back(letter);
        i = end + 1;
    }
    total = std::max<long long>(LONG_MIN, std::min<long long>(LONG_MAX, total));
    bag.Set("pieces", LongText(static_cast<long>(total)).c_str());
    return static_cast<long>(out.size());
}

long DCSProject::PiecesFromSignature(const char* signature, std::vector<std::string>& out, DProps& bag) const
{
    const long demand = std::max(0L, DProps::GetLong(m_order.m_totals, "pieces.quantity"));
    return PiecesFromSignature(signature, out, bag, demand);
}

// ---- Warnings ------------------------------------------------------------------------------

int32_t DCSProject::CollectWarnings(DProps& bag)
{
    if (DProps::GetString(m_props, "material", "").empty())
        bag.Set(StatusKey(StatusNoMaterial).c_str(), "${project}", nullptr, true);
    // Only an applied solution leaves parts unplaced: before any (a project
    // never calculated, or its results cleared) the layout rebuilt from no
    // cutting rows lists the whole order as unplaced.
    if (!m_summary.empty() && CUTTING::SumPieceQuantities(m_layout.orphans) > 0)
        bag.Set(StatusKey(StatusNotAllPlaced).c_str(), "${calc}", "", false);
    m_checkResult = m_order.CheckOrder(bag);
    return m_checkResult;
}

int32_t DCSProject::UpdateWarnings()
{
    m_warnings.Clear();
    CollectWarnings(m_warnings);
    return m_checkResult;
}

const DProps& DCSProject::GetWarnings()
{
    m_warnings.Name(DProps::GetString(m_props, "material", "").c_str());
    return m_warnings;
}

// ---- Counts and texts ------------------------------------------------------------------------

long DCSProject::GetOrphans(const char* id) const
{
    const long value = (id && *id) ? atoi(id) : 0;
    if (value > 0) {
        const DProps* row = PieceRowById(m_order.m_pieces, value);
        return row ? DProps::GetLong(*row, "orphans") : 0;
    }
    long sum = 0;
    for (const DProps& row : m_order.m_pieces)
        sum += DProps::GetLong(row, "orphans");
    return sum;
}

std::string DCSProject::QuantityText(const char* id, bool totalOnly) const
{
    // Row numbers start at 1: a text that reads as 0 or less names no row,
    // not one that lacks its number.
    const long wanted = (id && *id) ? atoi(id) : 0;
    const DProps* row = wanted > 0 ? PieceRowById(m_order.m_pieces, wanted) : nullptr;
    const long total = row ? DProps::GetLong(*row, "quantity") : DProps::GetLong(m_order.m_totals, "pieces.quantity");
    if (total == 0)
        return "-";
    const std::string of = GetAppServices()->GetLocaleText("globals", "of", "of");
    std::string text;
    if (totalOnly)
        return StrFormat(text, "%ld %s %ld", total, of.c_str(), total);
    const long unplaced = GetOrphans(id);
    if (unplaced != 0)
        return StrFormat(text, "%ld %s %ld", total - unplaced, of.c_str(), total);
    return LongText(total);
}

std::string DCSProject::GetContentId() const
{
    // The options and the result rows as they are now, not as last saved:
    // an option such as "sort" rebuilds the rows without a new baseline, and
    // a report of the rebuilt rows must not pass for one of the old.
    uint32_t props = 0;
    uint32_t results = 0;
    ComputeFingerprints(props, results);
    std::string text = m_order.GetContentId();
    char hex[32];
    text += FormatHex64(8, props, hex, sizeof hex);
    text += FormatHex64(8, results, hex, sizeof hex);
    text += DProps::GetString(m_props, "desc", "");
    text += DProps::GetString(m_props, "comment", "");
    text += DProps::GetString(m_props, "comment.active", "0");
    text += DProps::GetString(m_props, "notes", "");
    text += DProps::GetString(m_props, "notes.active", "0");
    text += DProps::GetString(m_props, "calculation", "-");
    return FormatHex64(8, Crc32(text.c_str()), hex, sizeof hex);
}

// ---- Rows of automation ---------------------------------------------------------------------

namespace {

void TakeKeys(DProps& row, const DProps& values, std::initializer_list<const char*> keys)
{
    for (const char* key : keys)
        if (const char* value = values.Get(key))
            row.Set(key, value);
}

bool DeleteRowAt(PropsList& rows, long n)
{
    if (n < 1 || n > static_cast<long>(rows.size()))
        return false;
    rows.erase(rows.begin() + (n - 1));
    DProps totals;
    DCSStorage::NormalizeRows(rows, totals);
    return true;
}

void AddAndRenumber(PropsList& rows, DProps& row)
{
    DCSStorage::AddRow(rows, row);
    DProps totals;
    DCSStorage::NormalizeRows(rows, totals);
}

}  // namespace

bool DCSProject::ImportBlankRow(const DProps& values)
{
    if (values.IndexOf("length") < 0)
        return false;
    DProps row;
    TakeKeys(row, values, {"material", "length", "quantity", "knife", "indent", "cost", "comment"});
    if (row.IndexOf("quantity") < 0)
        row.Set("quantity", "0");
    if (row.IndexOf("knife") < 0)
        row.SetDouble("knife", 0.0, "%.5f");
    if (row.IndexOf("indent") < 0)
        row.SetDouble("indent", 0.0, "%.5f");
    if (row.IndexOf("cost") < 0)
        row.SetDouble("cost", 1.0, "%.5f");
    if (row.IndexOf("comment") < 0)
        row.Set("comment", "");
    AddAndRenumber(m_order.m_blanks, row);
    return true;
}

bool DCSProject::ImportPieceRow(const DProps& values)
{
    if (values.IndexOf("length") < 0 || values.IndexOf("quantity") < 0)
        return false;
    DProps row;
    TakeKeys(row, values, {"material", "length", "quantity", "comment"});
    if (row.IndexOf("comment") < 0)
        row.Set("comment", "");
    row.Set("material", DProps::GetString(m_props, "material", "").c_str());
    AddAndRenumber(m_order.m_pieces, row);
    return true;
}

bool DCSProject::DeleteBlankRow(long n)
{
    return DeleteRowAt(m_order.m_blanks, n);
}

bool DCSProject::DeletePieceRow(long n)
{
    return DeleteRowAt(m_order.m_pieces, n);
}
