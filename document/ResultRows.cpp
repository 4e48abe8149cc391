// Applying a solution and deriving the rows that the results page, the
// exports, the reports and the project file read: the summary rows, the
// cutting rows, the cutting part rows and the remnant rows.
#include "document/DCSProject.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_map>
#include <utility>

#include "document/AppEvents.h"
#include "document/DAppServices.h"
#include "document/StatusCodes.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"
#include "foundation/UniqueId.h"

namespace {

std::string LongText(long long value)
{
    std::string text;
    return StrFormat(text, "%lld", value);
}

// The part rows by the codes that signatures name them with: a row's letter
// (its "name", the first row of a name) or, for rows past the letters,
// "(id)" (the first row of that id). Looked up for every part of every bar,
// so both are kept in hash maps.
class PartRows {
public:
    explicit PartRows(const PropsList& rows) : m_rows(rows)
    {
        for (size_t i = 0; i < rows.size(); ++i) {
            m_byName.emplace(DProps::GetString(rows[i], "name", ""), i);
            m_byId.emplace(DProps::GetLong(rows[i], "id"), i);
        }
    }
    // Null when no row answers to the code.
    const DProps* Find(const std::string& code) const
    {
        if (code.size() > 2 && code[0] == '(' && code.back() == ')') {
            const auto found = m_byId.find(std::strtol(code.c_str() + 1, nullptr, 10));
            return found == m_byId.end() ? nullptr : &m_rows[found->second];
        }
        const auto found = m_byName.find(code);
        return found == m_byName.end() ? nullptr : &m_rows[found->second];
    }

private:
    const PropsList& m_rows;
    std::unordered_map<std::string, size_t> m_byName;
    std::unordered_map<long, size_t> m_byId;
};

// The code a signature names a part row by: its letter while letters last,
// then its id in parentheses, which the letter "*" could not tell apart.
std::string PartCode(const DProps& row)
{
    const long id = DProps::GetLong(row, "id");
    return id >= 1 ? CUTTING::PieceCode(id) : DProps::GetString(row, "name", "");
}

// The rows of a list whose length is a given one (within the tolerance), in
// list order, for taking rows one after another: a row once given up (spent
// or emptied) is never wanted again, so each length keeps its place in its
// own list and the rows are walked once in all.
class RowsByLength {
public:
    explicit RowsByLength(const PropsList& rows)
    {
        m_sorted.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            m_sorted.emplace_back(DProps::GetDouble(rows[i], "length"), i);
        std::sort(m_sorted.begin(), m_sorted.end());
    }
    // The first row of that length for which wanted is true; -1 when none.
    template <class Wanted>
    long First(double length, Wanted wanted)
    {
        auto at = m_queues.find(length);
        if (at == m_queues.end()) {
            Queue queue;
            auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), std::make_pair(length - Tolerance, size_t(0)));
            for (; it != m_sorted.end() && it->first < length + Tolerance; ++it)
                if (NumEqual(it->first, length))
                    queue.rows.push_back(it->second);
            std::sort(queue.rows.begin(), queue.rows.end());
            at = m_queues.emplace(length, std::move(queue)).first;
        }
        Queue& queue = at->second;
        while (queue.next < queue.rows.size() && !wanted(queue.rows[queue.next]))
            ++queue.next;
        return queue.next < queue.rows.size() ? static_cast<long>(queue.rows[queue.next]) : -1;
    }

private:
    struct Queue {
        std::vector<size_t> rows;
        size_t next = 0;
    };
    std::vector<std::pair<double, size_t>> m_sorted;
    std::unordered_map<double, Queue> m_queues;
};

// One entry of an assignment text: "#3 Door x 4".
std::string PartRowEntry(const std::string& no, const DProps& row, long long count)
{
    std::string entry = no + DProps::GetString(row, "id", "");
    const std::string label = DProps::GetString(row, "label", "");
    if (!label.empty())
        entry += " " + label;
    if (count > 1)
        entry += " x " + LongText(count);
    return entry;
}

std::string LengthText(const DProps& row)
{
    return GetAppServices()->FormatQuantity(QuantityLength, false, DProps::GetDouble(row, "length"));
}

// Part order within a signature by the material's "sort".
bool PartBefore(long sort, const CUTTING::Piece& a, const CUTTING::Piece& b)
{
    if (sort == 0 || sort == 1) {
        if (!NumEqual(a.length, b.length))
            return sort == 0 ? a.length < b.length : a.length > b.length;
    }
    return a.id < b.id;
}

}  // namespace

// ---- Applying a solution ------------------------------------------------------------

void DCSProject::ApplySolution(long index)
{
    SortSolutions(DProps::GetLong(m_props, "optimize"));
    if (const CUTTING::Layout* chosen = m_solutions.GetAt(index)) {
        m_layout = *chosen;
        m_solutions.Clear();
        // The part rows carry the unplaced parts of the last pass run; the
        // chosen solution may have placed more or fewer of them.
        ComputeOrphans();
    }

    m_summary.clear();
    BuildSummary();
    BuildCuttings();
    BuildRemnants(m_remnants);
    UpdateFingerprint(false);

    m_warnings.Clear();
    m_warnings.Name(DProps::GetString(m_props, "material", "").c_str());
    if (DProps::GetLong(m_order.m_totals, "blanks.items") == 0)
        m_warnings.Set(StatusKey(StatusNoStocks).c_str(), "${order}", "", false);
    if (DProps::GetLong(m_order.m_totals, "pieces.quantity") == 0)
        m_warnings.Set(StatusKey(StatusNoParts).c_str(), "${order}", "", false);
    if (CUTTING::SumPieceQuantities(m_layout.orphans) > 0)
        m_warnings.Set(StatusKey(StatusNotAllPlaced).c_str(), "${calc}", "", false);

    GetAppServices()->OnAppEvent(kEventSolutionsChanged, 0);
}

std::string DCSProject::SummaryStatusText() const
{
    std::string status;
    if (GetOrphans("") > 0)
        status = GetAppServices()->GetLocaleText("messages", "status.42", "Incomplete");
    const std::string diversity = DProps::GetString(m_props, "diversity", "");
    if (diversity != "0") {
        if (!status.empty())
            status += "; ";
        // The cap on part lengths per bar, in words the user reads on the
        // results page and in reports.
        std::string cap = GetAppServices()->GetLocaleText("messages", "status.diversity", "Smax=${diversity}");
        StrReplaceAll(cap, "${diversity}", diversity.c_str());
        status += cap;
    }
    return status;
}

void DCSProject::BuildSummary()
{
    DProps summary;
    summary.CopyFrom(&m_layout.props);
    summary.Set("type", "summary");
    const std::string status = SummaryStatusText();
    if (!status.empty())
        summary.Set("status", status.c_str());
    summary.Set("time.gone", DProps::GetString(m_props, "time.gone", "").c_str());
    summary.Set("time.date", DProps::GetString(m_props, "time.date", "").c_str());
    m_summary.push_back(summary);

    for (const CUTTING::Blank& stock : m_layout.blanks) {
        m_summary.emplace_back();
        m_summary.back().CopyFrom(&stock.props);
    }
}

void DCSProject::SetLayout(const CUTTING::Layout& layout)
{
    m_layout = layout;
}

void DCSProject::ApplyEditedLayout(const CUTTING::Layout& layout)
{
    m_layout = layout;
    // The editor adds parts where it likes; the rows of a reopened file
    // must read as they did when the edit was taken over.
    for (CUTTING::Blank& pattern : m_layout.cuttings)
        ListPartsShortestFirst(pattern);
    ApplySolution(-1);
    RestoreLayout();
    ComputeOrphans();
    m_props.Set("calculation", FormatHex64(8, UniqueRandom()));
}

void DCSProject::RefreshResults()
{
    BuildCuttings();
    BuildRemnants(m_remnants);
    UpdateFingerprint(false);
}

// ---- Cutting rows --------------------------------------------------------------------

void DCSProject::BuildCuttings()
{
    std::vector<CUTTING::Blank>& patterns = m_layout.cuttings;
    if (patterns.empty())
        return;

    const long sort = DProps::GetLong(m_props, "sort");
    std::stable_sort(patterns.begin(), patterns.end(),
                     [sort](const CUTTING::Blank& a, const CUTTING::Blank& b) {
                         const long stockA = DProps::GetLong(a.props, "blank");
                         const long stockB = DProps::GetLong(b.props, "blank");
                         if (stockA != stockB || sort != 1)
                             return stockA < stockB;
                         if (a.quantity != b.quantity)
                             return a.quantity > b.quantity;
                         return DProps::GetLong(a.props, "remains") < DProps::GetLong(b.props, "remains");
                     });

    // Rows with the most parts are served first, so a pattern's parts come
    // from as few rows as possible.
    PropsList work = m_order.m_pieces;
    DCSStorage::SortByThenById(work, "quantity", "long");
    RowsByLength workByLength(work);
    std::vector<long long> left(work.size());
    std::vector<char> spent(work.size(), 0);
    for (size_t i = 0; i < work.size(); ++i)
        left[i] = DProps::GetLong(work[i], "quantity");
    const PartRows partRows(m_order.m_pieces);

    const std::string no = GetAppServices()->GetLocaleText("globals", "no", "#");
    const std::string separator = GetAppServices()->GetListSeparator("list.separator");

    m_cuttings.clear();
    for (const CUTTING::Blank& pattern : patterns) {
        std::vector<CUTTING::Piece> parts;
        for (const CUTTING::Piece& piece : pattern.pieces)
            if (piece.quantity != 0)
                parts.push_back(piece);
        StableSortTolerant(parts, [sort](const CUTTING::Piece& a, const CUTTING::Piece& b) {
            return PartBefore(sort, a, b);
        });
        std::string signature = CUTTING::StockCode(pattern.id);
        signature += "#";
        for (const CUTTING::Piece& piece : parts)
            signature += CUTTING::PieceCode(piece.id) + LongText(piece.quantity) + "-";

        // The parts are charged to the rows in the pattern's own order; a
        // part that no row can take leaves the whole assignment unknown.
        std::string output;
        bool first = true;
        bool complete = true;
        for (const CUTTING::Piece& piece : pattern.pieces) {
            if (piece.quantity == 0)
                continue;
            long long need = static_cast<long long>(piece.quantity) * pattern.quantity;
            while (need > 0) {
                const long row = workByLength.First(piece.length, [&spent](size_t i) { return !spent[i]; });
                if (row < 0) {
                    complete = false;
                    break;
                }
                const long long q = left[static_cast<size_t>(row)];
                if (!first)
                    output += "; ";
                first = false;
                if (need < q) {
                    output += PartRowEntry(no, work[static_cast<size_t>(row)], need);
                    left[static_cast<size_t>(row)] = q - need;
                    need = 0;
                } else {
                    output += PartRowEntry(no, work[static_cast<size_t>(row)], q);
                    spent[static_cast<size_t>(row)] = 1;
                    need -= q;
                }
            }
            if (!complete)
                break;
        }
        if (!complete)
            output.clear();

        DProps row;
        row.Set("signature", signature.c_str());
        row.Set("copies", LongText(pattern.quantity).c_str());
        std::string remains = DProps::GetString(pattern.props, "remains", "");
        row.Set("remains", NumCutZeros(remains, true).c_str());
        row.Set("blank", DProps::GetString(pattern.props, "blank", "").c_str());
        row.Set("shifts", LongText(pattern.shifts).c_str());
        row.Set("output", output.c_str());

        std::vector<std::string> letters;
        DProps scratch;
        PiecesFromSignature(signature.c_str(), letters, scratch);
        std::string layout;
        for (size_t i = 0; i < letters.size(); ++i) {
            const DProps* part = partRows.Find(letters[i]);
            if (!part)
                break;
            if (i > 0)
                layout += separator;
            layout += LengthText(*part);
        }
        row.Set("layout", layout.c_str());
        m_cuttings.push_back(row);
    }
    BuildCuttingParts();
}

// ---- Cutting part rows ------------------------------------------------------------------

namespace {

struct LetterRun {
    std::string letter;
    long count;
};

std::vector<LetterRun> Runs(const std::vector<std::string>& letters)
{
    std::vector<LetterRun> runs;
    for (const std::string& letter : letters) {
        if (!runs.empty() && runs.back().letter == letter)
            ++runs.back().count;
        else
            runs.push_back({letter, 1});
    }
    return runs;
}

}  // namespace

void DCSProject::BuildCuttingParts()
{
    if (m_cuttings.empty())
        return;
    m_cuttingParts.clear();
    const PropsList& pieces = m_order.m_pieces;
    const PartRows partRows(pieces);
    RowsByLength piecesByLength(pieces);
    std::vector<long> left(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i)
        left[i] = DProps::GetLong(pieces[i], "quantity");

    // A bar receives at least one part when it receives any, so more bars in
    // all than parts demanded can only come from damaged rows: the count is
    // held there instead of looping or allocating on their word.
    long long barsLeft = std::max(0L, DProps::GetLong(m_order.m_totals, "pieces.quantity"));

    PropsList bars;
    for (size_t i = 0; i < m_cuttings.size(); ++i) {
        const DProps& cutting = m_cuttings[i];
        std::vector<std::string> letters;
        DProps scratch;
        if (PiecesFromSignature(DProps::GetString(cutting, "signature", "").c_str(), letters, scratch) == 0)
            return;
        const long long copies = std::min<long long>(DProps::GetLong(cutting, "copies"), barsLeft);
        barsLeft -= std::max(0LL, copies);
        std::vector<double> lengths;
        for (const std::string& letter : letters) {
            const DProps* part = partRows.Find(letter);
            if (!part)
                break;
            lengths.push_back(DProps::GetDouble(*part, "length"));
        }
        for (long long bar = 0; bar < copies; ++bar) {
            std::string signature = "1#";
            for (double length : lengths) {
                const long receiver = piecesByLength.First(length, [&left](size_t r) { return left[r] != 0; });
                if (receiver < 0)
                    break;
                signature += PartCode(pieces[static_cast<size_t>(receiver)]) + "1-";
                --left[static_cast<size_t>(receiver)];
            }
            if (!bars.empty() && DProps::GetString(bars.back(), "signature", "") == signature) {
                bars.back().Set("copies", LongText(DProps::GetLong(bars.back(), "copies") + 1).c_str());
                continue;
            }
            DProps row(cutting);
            row.Set("copies", "1");
            row.Set("output", "");
            row.Set("signature", signature.c_str());
            row.Set("name", LongText(static_cast<long long>(i) + 1).c_str());
            bars.push_back(row);
        }
    }

    const std::string no = GetAppServices()->GetLocaleText("globals", "no", "#");
    for (DProps& row : bars) {
        std::vector<std::string> letters;
        DProps scratch;
        PiecesFromSignature(DProps::GetString(row, "signature", "").c_str(), letters, scratch);
        const std::vector<LetterRun> runs = Runs(letters);
        std::string signature = "1#";
        for (const LetterRun& run : runs)
            signature += run.letter + LongText(run.count) + "-";
        std::string layout, output;
        for (size_t g = 0; g < runs.size(); ++g) {
            const DProps* part = partRows.Find(runs[g].letter);
            if (!part)
                break;
            if (g > 0) {
                layout += "; ";
                output += "; ";
            }
            layout += LengthText(*part);
            if (runs[g].count > 1)
                layout += " x " + LongText(runs[g].count);
            output += PartRowEntry(no, *part, runs[g].count);
        }
        row.Set("signature", signature.c_str());
        row.Set("layout", layout.c_str());
        row.Set("output", output.c_str());
    }

    for (size_t i = 0; i < bars.size();) {
        size_t j = i;
        const std::string number = DProps::GetString(bars[i], "name", "");
        while (j < bars.size() && DProps::GetString(bars[j], "name", "") == number)
            ++j;
        if (j - i > 1)
            for (size_t k = i; k < j; ++k)
                bars[k].Set("name", (number + "-" + RowLetter(static_cast<long>(k - i))).c_str());
        i = j;
    }
    m_cuttingParts = bars;
}

// ---- Remnants and signatures -----------------------------------------------------------

long DCSProject::BuildRemnants(PropsList& target)
{
    target.clear();
    if (IsNearZero(DProps::GetDouble(m_props, "remnants")))
        return 0;
    for (const DProps& row : m_summary)
        if (!IsNearZero(DProps::GetDouble(row, "remnants")))
            target.push_back(row);
    return static_cast<long>(target.size());
}

long DCSProject::DescribeSignature(DProps& bag, const char* signature, std::vector<std::string>& out)
{
    if (!signature || !*signature)
        return 0;
    DProps scratch;
    const long count = PiecesFromSignature(signature, out, scratch);
    const PartRows partRows(m_order.m_pieces);
    std::vector<std::string> lengths;
    for (const std::string& letter : out) {
        const DProps* part = partRows.Find(letter);
        if (!part)
            continue;
        const char* length = part->Get("length");
        lengths.push_back(length ? GetAppServices()->FormatLengthText(length, false) : std::string("-"));
    }
    bag.Set("pieces", LongText(count).c_str());
    bag.Set("formatting", StrJoin(lengths, GetAppServices()->GetListSeparator("list.separator").c_str()).c_str());
    return count;
}
