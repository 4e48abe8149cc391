#include "engine/Cutting.h"

#include <algorithm>
#include <cstdlib>

#include "engine/Pattern.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

namespace CUTTING {

namespace {

// Merged counts never go negative: a correction larger than what is held empties it.
long ClampedSum(long a, long b)
{
    const long long sum = static_cast<long long>(a) + b;
    if (sum < 0)
        return 0;
    if (sum > 0x7FFFFFFFLL)
        return 0x7FFFFFFF;
    return static_cast<long>(sum);
}

// A stock id 0..207 has had a character of its own ('0' + id up to 0xFF) since the
// first stored signatures; beyond that one byte cannot hold it.
constexpr long MaxStockChar = 207;
// Part ids whose row letter is unique (RowLetter covers indices 0..124).
constexpr long MaxLetterId = 125;

// Appends x as "%ld" writes it. Signatures are rebuilt for every candidate the
// finders score, so their pieces are appended in place, not formatted apart.
void AppendLong(std::string& out, long x)
{
    char digits[24];
    char* const end = digits + sizeof(digits);
    char* p = end;
    unsigned long u = x < 0 ? 0UL - static_cast<unsigned long>(x) : static_cast<unsigned long>(x);
    do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (x < 0)
        *--p = '-';
    out.append(p, end);
}

void AppendParenthesised(std::string& out, long id)
{
    out += '(';
    AppendLong(out, id);
    out += ')';
}

void AppendStockCode(std::string& out, long id)
{
    if (id >= 0 && id <= MaxStockChar)
        out += static_cast<char>('0' + id);
    else
        AppendParenthesised(out, id);
}

void AppendPieceCode(std::string& out, long id)
{
    if (id >= 1 && id <= MaxLetterId)
        out += RowLetter(id - 1);
    else
        AppendParenthesised(out, id);
}

// The id written between parentheses, or 0 with *ok false when malformed.
long ReadParenthesised(const std::string& text, size_t* pos, bool* ok)
{
    *ok = false;
    size_t i = *pos + 1;
    const size_t start = i;
    if (i < text.size() && text[i] == '-')
        ++i;
    const size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == digits || i >= text.size() || text[i] != ')')
        return 0;
    *ok = true;
    *pos = i + 1;
    return std::strtol(text.c_str() + start, nullptr, 10);
}

// Reads the part code at *pos into *id (0 for the legacy shared letter "*" or any
// byte that is no letter) and moves past it; false for a broken parenthesised id.
bool ReadCode(const std::string& text, size_t* pos, long* id)
{
    *id = 0;
    if (*pos >= text.size())
        return false;
    const unsigned char c = static_cast<unsigned char>(text[*pos]);
    if (c == '(') {
        bool ok = false;
        *id = ReadParenthesised(text, pos, &ok);
        return ok;
    }
    ++*pos;
    if (c >= 'a' && c <= 'z')
        *id = c - 'a' + 1;
    else if (c >= 'A' && c <= 'Z')
        *id = c - 'A' + 27;
    else if (c >= '0' && c <= '9')
        *id = c - '0' + 53;
    else if (c >= 0xC0 && c <= 0xFE)
        *id = c - 0xC0 + 63;
    return true;
}

}  // namespace

// ---- Piece ------------------------------------------------------------------------

Piece::Piece(long id_, double length_, long quantity_) : id(id_), length(length_), quantity(quantity_) {}

Piece::~Piece() = default;

// ---- Blank ------------------------------------------------------------------------

Blank::Blank(long id_, double length_, long quantity_, double knife_, double indent_)
    : id(id_), length(length_), knife(knife_), indent(indent_), quantity(quantity_)
{
}

Blank::~Blank() = default;

void Blank::AddPiece(const Piece& piece)
{
    const long pos = FindPieceById(pieces, piece.id);
    if (pos >= 0)
        pieces[pos].quantity = ClampedSum(pieces[pos].quantity, piece.quantity);
    else
        pieces.push_back(piece);
}

bool Blank::TryAddPiece(const Piece& piece)
{
    if (piece.quantity == 0 || IsNearZero(piece.length))
        return false;
    std::vector<Piece> trial = pieces;
    auto same = std::find_if(trial.begin(), trial.end(),
                             [&](const Piece& p) { return NumEqual(p.length, piece.length); });
    if (same != trial.end())
        same->quantity = ClampedSum(same->quantity, piece.quantity);
    else
        trial.push_back(piece);
    if (UsedFraction(trial, *this, nullptr, true) > 1.0)
        return false;
    pieces.swap(trial);
    return true;
}

void Blank::SetPieces(const std::vector<Piece>& list)
{
    pieces = list;
    UpdateSignature(false);
}

void Blank::ClearCounts()
{
    for (Piece& p : pieces)
        p.quantity = 0;
}

Blank& Blank::UpdateSignature(bool withStats)
{
    // Rebuilt in place: the old text's buffer usually holds the new one.
    signature.clear();
    AppendStockCode(signature, id);
    signature += '#';
    for (const Piece& p : pieces) {
        if (p.quantity == 0)
            continue;
        AppendSignatureEntry(signature, PieceCode(p.id), p.quantity);
    }
    if (withStats)
        UpdateStats();
    return *this;
}

void Blank::UpdateStats()
{
    const double L = length;
    const double n = static_cast<double>(quantity);
    double r = 0.0;
    ratio = UsedFraction(pieces, *this, &r, false);
    if (IsNearZero(L))
        ratio = 0.0;
    cmu = IsNearZero(L) ? 0.0 : 100.0 * (L - r) / L;
    const long k = LengthChanges(*this, pieces);
    shifts = k;

    long perBar = 0;
    std::string parts;
    for (const Piece& p : pieces) {
        perBar += p.quantity;
        if (p.quantity <= 0)
            continue;
        std::string len;
        StrFormat(len, "%f", p.length);
        NumCutZeros(len, true);
        for (long i = 0; i < p.quantity; ++i) {
            if (!parts.empty())
                parts += ", ";
            parts += len;
        }
    }

    const double waste = std::min(100.0, std::max(0.0, 100.0 - cmu));
    // One length change is one setting of the saw stop whatever the bar count; more
    // than one are reset on every bar.
    const double shiftTotal = k > 1 ? static_cast<double>(RoundToLong(k * n)) : static_cast<double>(k);

    props.SetDouble("trash", n * L * (1.0 - ratio), "%.5f");
    props.SetDouble("output", n * L * ratio, "%.5f");
    props.SetDouble("ratio", ratio, "%.5f");
    props.SetDouble("length", n * L, "%.5f");
    props.SetLong("used", quantity);
    props.SetLong("pieces", perBar * quantity);
    props.SetDouble("cmu", cmu, "%.5f");
    props.SetDouble("waste", waste, "%.5f");
    props.SetDouble("shifts", shiftTotal, "%.5f");
    props.SetDouble("remains", r, "%.5f");
    props.SetDouble("fitness", fitness, "%.5f");
    props.SetString("layout", parts);
}

// ---- Layout -----------------------------------------------------------------------

Layout::~Layout() = default;

void Layout::AddPiece(const Piece& piece)
{
    if (piece.quantity == 0 || IsNearZero(piece.length))
        return;
    for (Piece& p : pieces) {
        if (NumEqual(p.length, piece.length)) {
            p.quantity = ClampedSum(p.quantity, piece.quantity);
            return;
        }
    }
    pieces.push_back(piece);
}

void Layout::AddBlank(const Blank& blank)
{
    if (blank.quantity == 0 || IsNearZero(blank.length))
        return;
    for (Blank& b : blanks) {
        if (b.id == blank.id) {
            b.quantity += blank.quantity;
            return;
        }
    }
    blanks.push_back(blank);
}

// ---- Lists ------------------------------------------------------------------------

long SumPieceQuantities(const std::vector<Piece>& list)
{
    long sum = 0;
    for (const Piece& p : list)
        sum += p.quantity;
    return sum;
}

long FindPieceById(const std::vector<Piece>& list, long id)
{
    return FindRecordById(list, id);
}

// ---- Signature codes --------------------------------------------------------------

std::string StockCode(long id)
{
    std::string code;
    AppendStockCode(code, id);
    return code;
}

std::string PieceCode(long id)
{
    std::string code;
    AppendPieceCode(code, id);
    return code;
}

void AppendSignatureEntry(std::string& out, const std::string& code, long count)
{
    out += code;
    AppendLong(out, count);
    out += '-';
}

long ReadPieceCode(const std::string& text, size_t* pos)
{
    long id = 0;
    if (*pos < text.size() && !ReadCode(text, pos, &id))
        ++*pos;
    return id;
}

bool ReadSignature(const std::string& signature, long* stockId, std::vector<SignatureEntry>* entries)
{
    if (stockId)
        *stockId = 0;
    if (entries)
        entries->clear();
    const size_t hash = signature.find('#');
    if (hash == std::string::npos)
        return signature.empty();

    bool ok = true;
    if (hash == 1) {
        const unsigned char c = static_cast<unsigned char>(signature[0]);
        if (c < '0')
            ok = false;
        else if (stockId)
            *stockId = c - '0';
    } else if (hash > 1 && signature[0] == '(') {
        size_t pos = 0;
        bool read = false;
        const long id = ReadParenthesised(signature, &pos, &read);
        if (!read || pos != hash)
            ok = false;
        else if (stockId)
            *stockId = id;
    } else {
        ok = false;
    }

    size_t pos = hash + 1;
    while (pos < signature.size()) {
        SignatureEntry entry;
        if (signature[pos] == '-')
            return false;
        if (!ReadCode(signature, &pos, &entry.id))
            return false;
        const size_t digits = pos;
        while (pos < signature.size() && signature[pos] >= '0' && signature[pos] <= '9')
            ++pos;
        if (pos == digits || pos >= signature.size() || signature[pos] != '-')
            return false;
        entry.count = std::strtol(signature.c_str() + digits, nullptr, 10);
        ++pos;
        if (entries)
            entries->push_back(entry);
    }
    return ok;
}

}  // namespace CUTTING
