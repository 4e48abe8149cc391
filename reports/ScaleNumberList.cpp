#include "reports/ScaleNumberList.h"

#include "foundation/StrUtil.h"

std::string ScaleNumberList(const char* text, double factor)
{
    std::string list = text ? text : "";
    std::string trimmed = list;
    if (StrTrim(trimmed).empty())
        return std::string();
    std::string result;
    std::string piece;
    for (long n = 0; StrToken(list, piece, n, ","); ++n) {
        std::string value = piece;
        if (StrTrim(value).empty())
            break;
        if (value[0] == '#')
            continue;
        if (!result.empty())
            result += ",";
        result += StrFromLong(RoundToLong(StrToDouble(value) * factor));
    }
    return result;
}
