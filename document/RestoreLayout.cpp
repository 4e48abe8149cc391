// Rebuilding a material's layout from its order and its stored cutting rows,
// without the solver: a project file holds result rows, not layouts, and the
// results page, the reports and a later ApplySolution need a layout.
#include "document/DCSProject.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

#include "engine/LayoutStats.h"
#include "foundation/FieldCheck.h"
#include "foundation/StrUtil.h"

void DCSProject::BuildStockAndDemand(CUTTING::Layout& layout) const
{
    BuildStockAndDemand(m_order, layout);
}

void DCSProject::BuildStockAndDemand(const DCSStorage& order, CUTTING::Layout& layout)
{
    layout.blanks.clear();
    layout.pieces.clear();

    for (const DProps& row : order.GetBlanks()) {
        long quantity = DProps::GetLong(row, "quantity");
        if (quantity < 1)
            quantity = CUTTING::UnlimitedQuantity;
        CUTTING::Blank stock(DProps::GetLong(row, "id"), DProps::GetDouble(row, "length", 0.0), quantity,
                             DProps::GetDouble(row, "knife", 0.0), DProps::GetDouble(row, "indent", 0.0));
        stock.props.SetString("name", DProps::GetString(row, "name", ""));
        stock.props.SetDouble("cost", DProps::GetDouble(row, "cost", 0.0), "%f");
        layout.blanks.push_back(stock);
    }

    // Longest first, then by row number; parts of one length reach the
    // engine as one kind under the id and name of their first row.
    PropsList sorted = order.GetPieces();
    DCSStorage::SortByThenById(sorted, "length", "double");

    CUTTING::Piece pending;
    for (const DProps& row : sorted) {
        const double length = DProps::GetDouble(row, "length", 0.0);
        const long quantity = DProps::GetLong(row, "quantity");
        if (pending.id != 0 && std::fabs(length - pending.length) < Tolerance) {
            const long long sum = static_cast<long long>(pending.quantity) + quantity;
            pending.quantity = sum < 0 ? 0 : static_cast<long>(std::min<long long>(sum, LONG_MAX));
            continue;
        }
        if (pending.id != 0)
            layout.pieces.push_back(pending);
        pending = CUTTING::Piece(DProps::GetLong(row, "id"), length, quantity);
        pending.props.SetString("name", DProps::GetString(row, "name", ""));
        pending.weight = 1.0;
    }
    if (pending.id != 0)
        layout.pieces.push_back(pending);
}

void DCSProject::ListPartsShortestFirst(CUTTING::Blank& pattern)
{
    // A calculation lists the parts of its patterns shortest first, and the
    // cutting rows charge part rows in that order: a pattern rebuilt in the
    // order of its row's signature (which follows "sort") would give the
    // same rows other texts after every reopening.
    std::stable_sort(pattern.pieces.begin(), pattern.pieces.end(),
                     [](const CUTTING::Piece& a, const CUTTING::Piece& b) {
                         if (!NumEqual(a.length, b.length))
                             return a.length < b.length;
                         return a.id < b.id;
                     });
}

void DCSProject::RestoreLayout()
{
    BuildStockAndDemand(m_layout);
    m_layout.cuttings.clear();

    // The first part row of each id, which the part codes name.
    std::unordered_map<long, const DProps*> partById;
    for (const DProps& p : m_order.m_pieces)
        partById.emplace(DProps::GetLong(p, "id"), &p);

    // Without stock there is nothing to cut the stored patterns from.
    if (!m_layout.blanks.empty()) {
        // The counts are taken as they stand: a layout edited by hand may
        // place more parts than ordered, and must come back as it was. Counts
        // read from a file are checked before they get here.
        for (const DProps& row : m_cuttings) {
            const long pos = CUTTING::FindBlankById(m_layout.blanks, DProps::GetLong(row, "blank"));
            const CUTTING::Blank& stock = m_layout.blanks[pos >= 0 ? static_cast<size_t>(pos) : 0];

            CUTTING::Blank pattern = stock;
            pattern.pieces.clear();
            pattern.signature.clear();
            pattern.quantity = DProps::GetLong(row, "copies");

            // The part codes name the part rows by id, large ids included.
            long stockId = 0;
            std::vector<CUTTING::SignatureEntry> entries;
            CUTTING::ReadSignature(DProps::GetString(row, "signature", ""), &stockId, &entries);
            bool anyPart = false;
            for (const CUTTING::SignatureEntry& e : entries)
                if (e.count > 0)
                    anyPart = true;
            if (!anyPart)
                break;  // a pattern without parts ends the stored patterns

            for (const CUTTING::SignatureEntry& e : entries) {
                if (e.count <= 0)
                    continue;
                const long n = e.count;
                const auto found = e.id > 0 ? partById.find(e.id) : partById.end();
                const DProps* part = found == partById.end() ? nullptr : found->second;
                if (!part)
                    break;  // the parts found before the unknown one stay
                const long id = DProps::GetLong(*part, "id");
                const long at = CUTTING::FindPieceById(pattern.pieces, id);
                if (at >= 0)
                    pattern.pieces[static_cast<size_t>(at)].quantity += n;
                else
                    pattern.pieces.push_back(CUTTING::Piece(id, DProps::GetDouble(*part, "length", 0.0), n));
            }

            ListPartsShortestFirst(pattern);
            pattern.props.SetLong("blank", stock.id);
            pattern.props.SetString("blank.cost", DProps::GetString(stock.props, "cost", ""));
            pattern.UpdateSignature(true);
            m_layout.cuttings.push_back(pattern);
        }
    }

    CUTTING::RemainingPieces(m_layout.orphans, m_layout, nullptr);
    ComputeLayoutSummary(DProps::GetString(m_props, "remnants", ""));
}

void DCSProject::ComputeLayoutSummary(const std::string& remnants)
{
    DProps options;
    options.SetString("remnants", remnants);
    CUTTING::ComputeSummary(options, m_layout);
    m_props.SetString("cost", DProps::GetString(m_layout.props, "cost", ""));
}
