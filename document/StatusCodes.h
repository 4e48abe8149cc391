// The status codes of the document: keys of warning bags and of the locale
// texts "status." + code of the section "messages". One name per code for
// every layer.
#pragma once

#include <cstdint>
#include <string>

enum StatusCode : int32_t {
    StatusDone = 0,
    StatusInternalError = 1,
    StatusNoResources = 2,
    StatusBadParameters = 3,
    StatusNoLength = 31,
    StatusNoQuantity = 32,
    StatusNoStocks = 36,
    StatusNoParts = 37,
    StatusCancelled = 40,
    StatusNotEnoughMaterial = 41,
    StatusIncomplete = 42,
    StatusPartFitsNoStock = 43,
    StatusNotAllPlaced = 44,
    StatusNoName = 101,
    StatusNoMaterial = 102,
};

// The code as the key of a warnings bag and of its locale text.
inline std::string StatusKey(int32_t code)
{
    return std::to_string(code);
}
