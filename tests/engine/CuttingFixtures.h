// Small builders shared by the engine tests.
#pragma once

#include <initializer_list>
#include <string>

#include "engine/Cutting.h"

struct PartSpec {
    long id;
    double length;
    long quantity;
};

inline CUTTING::Blank MakePattern(long stockId, double length, double knife, double indent,
                                  std::initializer_list<PartSpec> parts, long bars = 1)
{
    CUTTING::Blank b(stockId, length, bars, knife, indent);
    for (const PartSpec& p : parts)
        b.pieces.emplace_back(p.id, p.length, p.quantity);
    return b;
}

inline std::string Prop(const DProps& bag, const char* key)
{
    return DProps::GetString(bag, key, "<missing>");
}
