#include "document/StoredResults.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/LayoutStats.h"
#include "foundation/FieldCheck.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

namespace {

// A number as the statistics write them: a sign, digits, and a separator
// ("." or ",") with digits after it. Texts such as a date or a version
// ("2024.05.01", "1.2.20") do not qualify.
bool LooksLikeNumber(const char* text)
{
    const char* p = text;
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
        ++p;
    if (p == digits)
        return false;
    if (*p == '.' || *p == ',') {
        const char* fraction = ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        if (p == fraction)
            return false;
    }
    return *p == '\0';
}

// Stored numbers carry five decimals; the rebuilt ones are computed the same
// way, so they agree far closer than this.
bool SameStoredNumber(double stored, double rebuilt)
{
    return std::fabs(stored - rebuilt) <= 1e-3 + 1e-9 * std::fabs(stored);
}

// What a cutting row must hold for its pattern to be rebuilt and checked.
const char* const kCuttingKeys[] = {"signature", "copies", "blank", "remains"};
// The statistics of the summary row and of the rows of each stock that the
// rebuilt layout computes again; the results page, the exports and the
// reports show them.
const char* const kSummaryKeys[] = {"used",  "pieces", "output",   "used.len", "cmu",
                                    "waste", "shifts", "remnants", "cost",     "cost.ppu"};
const char* const kStockKeys[] = {"used",  "pieces", "output",   "used.len", "cmu",
                                  "waste", "shifts", "remnants", "cost.sum", "cost.ppu"};

// Why the stored statistics are not those rebuilt, or the empty text: a key
// that is missing, or holds no number, disagrees as a different value does.
template <size_t N>
std::string CompareStatistics(const DProps& stored, const DProps& rebuilt, const char* const (&keys)[N],
                              const std::string& what)
{
    for (const char* key : keys) {
        const char* value = stored.Get(key);
        if (!value || !LooksLikeNumber(value))
            return what + " lacks \"" + key + "\"";
        if (!SameStoredNumber(DProps::GetDouble(stored, key), DProps::GetDouble(rebuilt, key)))
            return what + "'s \"" + key + "\" does not match the cutting rows";
    }
    return std::string();
}

}  // namespace

// Read with atof under another separator, 87,78125 would be 87: every number
// of a stored result row takes the reader's separator, as the numbers of the
// order rows do.
void UseReadersSeparator(PropsList& rows)
{
    for (DProps& row : rows) {
        for (int i = 0; i < row.Count(); ++i) {
            const char* value = row.GetValueAt(i);
            if (!LooksLikeNumber(value) || !strpbrk(value, ".,"))
                continue;
            std::string text = value;
            row.SetValueAt(i, NumUseSeparator(text, false).c_str());
        }
    }
}

// A rebuild walks every bar of every row, so a damaged count would make a
// file take forever to open: the counts are checked first.
std::string CheckStoredCuttings(const DCSStorage& order, const PropsList& cuttings)
{
    if (cuttings.empty())
        return std::string();
    if (order.GetBlanks().empty())
        return "cutting rows without stock rows";

    // No pattern uses more bars than the stock holds (a row below 1 is unlimited).
    long long bars = 0;
    double longest = 0.0;
    for (const DProps& row : order.GetBlanks()) {
        const long quantity = DProps::GetLong(row, "quantity");
        bars += quantity < 1 ? CUTTING::UnlimitedQuantity : quantity;
        longest = std::max(longest, DProps::GetDouble(row, "length", 0.0));
    }
    // No bar holds more parts than its length takes of the shortest part.
    double shortest = 0.0;
    for (const DProps& row : order.GetPieces()) {
        const double length = DProps::GetDouble(row, "length", 0.0);
        if (length > Tolerance && (shortest <= 0.0 || length < shortest))
            shortest = length;
    }
    const double perBar = shortest > 0.0 ? std::floor(longest / shortest + Tolerance) : 0.0;

    long long used = 0;
    for (size_t i = 0; i < cuttings.size(); ++i) {
        const DProps& row = cuttings[i];
        const double copies = DProps::GetDouble(row, "copies", 0.0);
        std::string why;
        if (!(copies >= 1.0) || copies > static_cast<double>(bars) || copies != std::floor(copies)) {
            StrFormat(why, "cutting row %ld: %s bars", static_cast<long>(i + 1),
                      DProps::GetString(row, "copies", "no").c_str());
            return why;
        }
        used += static_cast<long long>(copies);
        if (used > bars) {
            StrFormat(why, "cutting rows use more than %lld bars", bars);
            return why;
        }
        long stockId = 0;
        std::vector<CUTTING::SignatureEntry> entries;
        CUTTING::ReadSignature(DProps::GetString(row, "signature", ""), &stockId, &entries);
        double parts = 0.0;
        for (const CUTTING::SignatureEntry& e : entries)
            if (e.count > 0)
                parts += static_cast<double>(e.count);
        if (parts > perBar || parts * copies > static_cast<double>(LONG_MAX / 2)) {
            StrFormat(why, "cutting row %ld: more parts than a bar holds", static_cast<long>(i + 1));
            return why;
        }
    }
    return std::string();
}

// The cutting rows name part rows by their number: once a part row was
// removed or moved, or a length changed, the same rows rebuild other patterns
// (or stop at a row that holds no part), and the results would silently
// change at every save. A summary that lost keys would show them as nothing.
std::string CheckRebuiltLayout(const CUTTING::Layout& layout, const PropsList& summary, const PropsList& cuttings)
{
    std::string why;
    for (size_t i = 0; i < cuttings.size(); ++i) {
        const DProps& row = cuttings[i];
        for (const char* key : kCuttingKeys)
            if (row.IndexOf(key) < 0)
                return StrFormat(why, "cutting row %ld lacks \"%s\"", static_cast<long>(i + 1), key);
        long stockId = 0;
        std::vector<CUTTING::SignatureEntry> entries;
        CUTTING::ReadSignature(DProps::GetString(row, "signature", ""), &stockId, &entries);
        long long stored = 0;
        for (const CUTTING::SignatureEntry& e : entries)
            if (e.count > 0)
                stored += e.count;
        if (stored == 0)
            return StrFormat(why, "cutting row %ld holds no part", static_cast<long>(i + 1));
        if (i >= layout.cuttings.size())
            return StrFormat(why, "cutting row %ld could not be rebuilt", static_cast<long>(i + 1));
        const CUTTING::Blank& pattern = layout.cuttings[i];
        long long rebuilt = 0;
        for (const CUTTING::Piece& piece : pattern.pieces)
            rebuilt += piece.quantity;
        if (rebuilt != stored)
            return StrFormat(why, "cutting row %ld names parts the order does not hold", static_cast<long>(i + 1));
        if (!SameStoredNumber(DProps::GetDouble(row, "remains"), DProps::GetDouble(pattern.props, "remains")))
            return StrFormat(why, "cutting row %ld no longer fits the lengths of the order", static_cast<long>(i + 1));
    }
    if (layout.cuttings.size() != cuttings.size())
        return "the cutting rows could not all be rebuilt";
    if (cuttings.empty())
        return std::string();

    // One summary row, then one row per stock length of the order.
    const DProps* total = nullptr;
    for (const DProps& row : summary) {
        if (DProps::GetString(row, "type", "") != "summary")
            continue;
        if (total)
            return "the summary is there twice";
        total = &row;
    }
    if (!total)
        return "the summary is missing";
    why = CompareStatistics(*total, layout.props, kSummaryKeys, "the summary");
    if (!why.empty())
        return why;
    size_t stocks = 0;
    for (const DProps& row : summary) {
        if (&row == total)
            continue;
        ++stocks;
        const char* id = row.Get("blank");
        if (!id || !*id)
            return StrFormat(why, "summary row %ld lacks \"blank\"", static_cast<long>(stocks));
        const long at = CUTTING::FindBlankById(layout.blanks, DProps::GetLong(row, "blank"));
        if (at < 0)
            return StrFormat(why, "the summary names stock %s, which the order does not hold", id);
        why = CompareStatistics(row, layout.blanks[static_cast<size_t>(at)].props, kStockKeys,
                                std::string("the summary of stock ") + id);
        if (!why.empty())
            return why;
    }
    if (stocks != layout.blanks.size())
        return "the summary does not list every stock length of the order";
    return std::string();
}

bool StoredRemnantLength(const CUTTING::Layout& layout, const PropsList& summary, double& length)
{
    const DProps* total = nullptr;
    for (const DProps& row : summary)
        if (DProps::GetString(row, "type", "") == "summary")
            total = &row;
    const char* value = total ? total->Get("remnants") : nullptr;
    if (!value || !LooksLikeNumber(value))
        return false;
    const double stored = DProps::GetDouble(*total, "remnants");
    if (SameStoredNumber(stored, 0.0)) {
        length = 0.0;
        return true;
    }

    // An offcut counts when it is longer than the length, so the offcuts that
    // counted are the longest ones: walked from the longest down, their sum
    // reaches the stored total where the length lay.
    std::vector<std::pair<double, double>> offcuts;  // the offcut of a bar, its length over all bars
    for (const CUTTING::Blank& pattern : layout.cuttings) {
        const double remains = DProps::GetDouble(pattern.props, "remains");
        if (pattern.quantity != 0 && remains > 0.0)
            offcuts.emplace_back(remains, remains * static_cast<double>(pattern.quantity));
    }
    std::sort(offcuts.begin(), offcuts.end(),
              [](const std::pair<double, double>& a, const std::pair<double, double>& b) { return a.first > b.first; });
    double sum = 0.0;
    for (size_t i = 0; i < offcuts.size();) {
        // Offcuts of one length count together.
        const double counted = offcuts[i].first;
        while (i < offcuts.size() && NumEqual(offcuts[i].first, counted))
            sum += offcuts[i++].second;
        if (!SameStoredNumber(stored, sum))
            continue;
        // Between the shortest offcut that counted and the longest that did not.
        const double next = i < offcuts.size() ? offcuts[i].first : 0.0;
        length = (counted + next) / 2.0;
        return !IsNearZero(length);
    }
    return false;
}
