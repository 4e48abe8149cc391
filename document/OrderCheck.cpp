#include "document/OrderCheck.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

void AddFinding(DProps& warnings, int32_t code, const std::string& value)
{
    warnings.Set(StatusKey(code).c_str(), value.c_str(), nullptr, false);
}

namespace {

// A row's "id" or "name" for a finding; "?" stands in for a missing one.
std::string Culprit(const DProps& row, const char* key)
{
    std::string text = DProps::GetString(row, key, "");
    return text.empty() ? std::string("?") : text;
}

std::string BlankRef(const DProps& row)
{
    std::string text;
    return StrFormat(text, "${blank} #%s (%s)", Culprit(row, "id").c_str(), Culprit(row, "name").c_str());
}

std::string PieceRef(const DProps& row)
{
    std::string text;
    return StrFormat(text, "${piece} #%s", Culprit(row, "id").c_str());
}

// Whether every number of the row reads as the number written: imported
// text such as "12mm" or "1,250.5" is kept as it came, so the user sees it,
// and must stop the calculation rather than be read as 12 or 1.25. An empty
// value is a missing one, which the checks below judge.
bool NumbersReadAsWritten(const DProps& row, std::initializer_list<const char*> decimals, const char* integer)
{
    auto plain = [&row](const char* key, bool whole) {
        const std::string text = DProps::GetString(row, key, "");
        return text.empty() || NumIsPlain(text.c_str(), whole, ".,");
    };
    for (const char* key : decimals)
        if (!plain(key, false))
            return false;
    return plain(integer, true);
}

} // namespace

int32_t CheckOrderRows(const PropsList& blanks, const PropsList& pieces, DProps& warnings)
{
    int32_t flags = 0;

    double maxUsable = 0.0;
    double stockTotal = 0.0;
    bool unlimited = false;
    if (blanks.empty()) {
        AddFinding(warnings, StatusNoStocks, "${blanks.list}");
        flags |= CheckError;
    } else {
        for (const DProps& row : blanks) {
            const double length = DProps::GetDouble(row, "length");
            const long quantity = DProps::GetLong(row, "quantity");
            const double knife = DProps::GetDouble(row, "knife");
            const double indent = DProps::GetDouble(row, "indent");
            if (!NumbersReadAsWritten(row, {"length", "knife", "indent", "cost"}, "quantity")) {
                AddFinding(warnings, StatusBadParameters, BlankRef(row));
                flags |= CheckError;
            }
            if (quantity == 0)
                unlimited = true;
            else
                stockTotal += quantity * length;
            if (IsNearZero(length)) {
                AddFinding(warnings, StatusNoLength, BlankRef(row));
                flags |= CheckError;
            } else {
                maxUsable = std::max(maxUsable, length - knife - indent);
            }
        }
    }

    if (pieces.empty()) {
        AddFinding(warnings, StatusNoParts, "${pieces.list}");
        return flags | CheckError;
    }

    double partsTotal = 0.0;
    for (const DProps& row : pieces) {
        const double length = DProps::GetDouble(row, "length");
        const long quantity = DProps::GetLong(row, "quantity");
        partsTotal += quantity * length;
        if (!NumbersReadAsWritten(row, {"length"}, "quantity")) {
            AddFinding(warnings, StatusBadParameters, PieceRef(row));
            flags |= CheckError;
        }
        // Part lengths are tested against exactly zero: a tiny part is
        // still a part, only a missing length is an error.
        if (length == 0.0) {
            AddFinding(warnings, StatusNoLength, PieceRef(row));
            flags |= CheckError;
        } else if (!IsNearZero(maxUsable) && maxUsable < length) {
            AddFinding(warnings, StatusPartFitsNoStock, PieceRef(row));
            flags |= CheckWarning;
        }
        if (quantity == 0) {
            AddFinding(warnings, StatusNoQuantity, PieceRef(row));
            flags |= CheckError;
        }
    }

    // Plain sums of length x quantity: kerf and trim only matter to the
    // solver, this is a quick sanity test.
    if (!unlimited && !IsNearZero(partsTotal) && !IsNearZero(stockTotal) && partsTotal > stockTotal) {
        AddFinding(warnings, StatusNotEnoughMaterial, "${order}");
        flags |= CheckWarning;
    }
    return flags;
}
