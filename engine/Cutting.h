// The engine's value records: a kind of required part, a stock length or cutting
// pattern, and a whole cutting problem with its solution. Every list holds records
// by value, so copies never share anything with their source.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "foundation/DProps.h"
#include "foundation/StrUtil.h"

namespace CUTTING {

// One kind of required part. In a demand list `quantity` is what is still
// required; inside a pattern it is the count cut from one bar.
class Piece {
public:
    long id = 0;          // 1-based kind id; its letter code is derived from id - 1
    double length = 0.0;
    long quantity = 0;
    DProps props;         // "name", "weight", "badness", "badness.epu"
    double weight = 1.0;  // factor in a pattern's fitness

    Piece() = default;
    Piece(long id_, double length_, long quantity_);
    Piece(const Piece&) = default;
    Piece& operator=(const Piece&) = default;
    Piece(Piece&&) noexcept = default;
    Piece& operator=(Piece&&) = default;
    virtual ~Piece();
};

// A stock length, or a cutting pattern: a stock length with the parts cut from one
// bar and, in `quantity`, the number of bars cut that way.
class Blank {
public:
    long id = 0;            // stock type id; a pattern carries the id of its stock
    double length = 0.0;
    double fitness = 0.0;   // 0..1
    double badness = 0.0;   // 0..20
    double knife = 0.0;     // kerf lost at each cut
    double indent = 0.0;    // edge trim kept free once at the end of the bar
    long quantity = 0;      // stock: bars available (1000000 = unlimited); pattern: bars cut
    std::vector<Piece> pieces;
    double ratio = 0.0;     // used fraction of one bar, set by UpdateStats
    std::string signature;  // set by UpdateSignature
    DProps props;           // statistics and solver annotations
    double cmu = 0.0;       // utilisation of one bar in percent
    long shifts = 0;        // length changes along the pattern

    Blank() = default;
    Blank(long id_, double length_, long quantity_, double knife_ = 0.0, double indent_ = 0.0);
    Blank(const Blank&) = default;
    Blank& operator=(const Blank&) = default;
    // Moves let lists of patterns grow and reorder without copying every part.
    Blank(Blank&&) noexcept = default;
    Blank& operator=(Blank&&) = default;
    virtual ~Blank();

    // Merges by id: an existing entry's count grows (never below 0), else a copy is appended.
    void AddPiece(const Piece& piece);
    // Adds the piece (merging by equal length) only when the bar, trim included, still holds it.
    bool TryAddPiece(const Piece& piece);
    // Replaces the parts by a copy of the list and renews the signature (no statistics).
    void SetPieces(const std::vector<Piece>& list);
    void ClearCounts();
    // Rebuilds `signature` (e.g. "1#a3-d2-"); with statistics also runs UpdateStats.
    Blank& UpdateSignature(bool withStats);
    // Fills ratio, cmu, shifts and the statistics keys of `props`.
    void UpdateStats();
};

// Stock quantity that stands for an unlimited supply.
constexpr long UnlimitedQuantity = 1000000;

// A cutting problem with its solution.
class Layout {
public:
    long number = 0;
    double score = 0.0;              // yield, written by the fitness function
    long complete = 1;
    long state = 0;                  // 2 while patterns are placed, 3 finished
    std::vector<Blank> blanks;       // stock with remaining quantities
    std::vector<Piece> pieces;       // demand still open
    std::vector<Blank> cuttings;     // chosen patterns, bar count in quantity
    std::string signature;
    DProps props;                    // summary statistics and "signature"
    std::vector<Piece> orphans;      // parts that cannot be placed

    Layout() = default;
    Layout(const Layout&) = default;
    Layout& operator=(const Layout&) = default;
    Layout(Layout&&) noexcept = default;
    Layout& operator=(Layout&&) = default;
    virtual ~Layout();

    // Demand never holds two kinds of one length: equal lengths merge their counts.
    void AddPiece(const Piece& piece);
    // Stock merges by id.
    void AddBlank(const Blank& blank);
    // The full statistics pass (see ComputeSummary in LayoutStats.h).
    void ComputeSummary(const DProps& options);
};

// Position of the first record (piece or blank) with the id, -1 when none.
template <class Record>
long FindRecordById(const std::vector<Record>& list, long id)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].id == id)
            return static_cast<long>(i);
    return -1;
}

// Sum of the quantities of the records at least x long (equal within the
// tolerance counts); x = -1 takes them all.
template <class Record>
long SumQuantitiesOfAtLeast(double x, const std::vector<Record>& list)
{
    long sum = 0;
    for (const Record& r : list)
        if (IsAtLeast(r.length, x))
            sum += r.quantity;
    return sum;
}

long SumPieceQuantities(const std::vector<Piece>& list);
// Position of the first piece with the id, -1 when none.
long FindPieceById(const std::vector<Piece>& list, long id);

// Signature codes. A stock id 0..207 is one character ('0' + id) and a part id
// 1..125 is its row letter, which is the text stored files and reports know.
// Other ids cannot be told apart by one character, so they are written as the
// decimal id in parentheses, e.g. "(300)#(126)2-a1-"; '(' is never a letter,
// digit or single stock character, so readers can tell the two forms apart.
std::string StockCode(long id);
std::string PieceCode(long id);
// Appends one part entry of a pattern signature: the part's code, its count
// per bar and "-".
void AppendSignatureEntry(std::string& out, const std::string& code, long count);

// One part entry of a signature: the part id (0 when the legacy letter "*" leaves
// it unknown) and its count per bar.
struct SignatureEntry {
    long id = 0;
    long count = 0;
};

// Reads a pattern signature back. The stock id is 0 when the text has no "#"
// (or the stock code is unreadable). Returns false on a malformed text, with
// the entries read so far kept.
bool ReadSignature(const std::string& signature, long* stockId, std::vector<SignatureEntry>* entries);
// Reads one part code at `pos` and moves past it; the id read, or 0 when the
// code names no id (the legacy "*", a malformed code or the end of text).
long ReadPieceCode(const std::string& text, size_t* pos);

}  // namespace CUTTING
