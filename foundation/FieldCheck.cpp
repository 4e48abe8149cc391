#include "foundation/FieldCheck.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

namespace {

// What a descriptor allows; absent keys leave the whole 32-bit range open.
struct FieldRule {
    std::string type;
    bool hasDefault = false;
    bool keepSpace = false;
    bool compact = false;
};

FieldRule ReadRule(const DProps* d)
{
    FieldRule rule;
    rule.type = DProps::GetString(d, "type", "");
    rule.hasDefault = d->IndexOf("default") >= 0;
    rule.keepSpace = DProps::GetLong(d, "space") != 0;
    rule.compact = DProps::GetLong(d, "compact") != 0;
    return rule;
}

template <class T>
struct Range {
    T min, max, minWarn, maxWarn;
};

Range<long> LongRange(const DProps* d)
{
    return {DProps::GetLong(d, "min", LONG_MIN), DProps::GetLong(d, "max", LONG_MAX),
            DProps::GetLong(d, "min.warn", LONG_MIN), DProps::GetLong(d, "max.warn", LONG_MAX)};
}

Range<double> DoubleRange(const DProps* d)
{
    return {DProps::GetDouble(d, "min", -2147483648.0), DProps::GetDouble(d, "max", 2147483647.0),
            DProps::GetDouble(d, "min.warn", -2147483648.0),
            DProps::GetDouble(d, "max.warn", 2147483647.0)};
}

template <class T>
long Judge(T x, const Range<T>& r)
{
    if (x < r.min || x > r.max)
        return 0;
    if (x < r.minWarn || x > r.maxWarn)
        return 2;
    return 1;
}

// -1, 0 or 1 for a's value of key against b's, by the key's type.
// numeric tells whether the values were compared as numbers.
int CompareByType(const DProps* a, const DProps* b, const char* key, const std::string& type,
                  bool& numeric)
{
    numeric = true;
    if (type == "long" || type == "__int64") {
        long long x = DProps::GetInt64(a, key), y = DProps::GetInt64(b, key);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (type == "double") {
        double x = DProps::GetDouble(a, key), y = DProps::GetDouble(b, key);
        if (std::fabs(x - y) < 1e-5)
            return 0;
        return x < y ? -1 : 1;
    }
    numeric = false;
    int c = strcmp(DProps::GetString(a, key, "").c_str(), DProps::GetString(b, key, "").c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool Before(int order, bool less)
{
    return less ? order < 0 : order > 0;
}

// A "$format.K" comes from data: only a format with exactly one floating
// conversion (and "%%" escapes) may be handed a double.
bool IsDoubleFormat(const std::string& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && strchr("-+ #0", format[i]))
            ++i;
        while (i < format.size() && isdigit(static_cast<unsigned char>(format[i])))
            ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            while (i < format.size() && isdigit(static_cast<unsigned char>(format[i])))
                ++i;
        }
        if (i < format.size() && format[i] == 'l')
            ++i;
        if (i >= format.size() || !strchr("fFeEgGaA", format[i]))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

} // namespace

long ValidateValue(const char* value, const DProps* descriptor)
{
    if (!descriptor)
        return 1;
    std::string v = StrFromText(value);
    FieldRule rule = ReadRule(descriptor);
    if (v.empty() && rule.hasDefault)
        return 1;
    if (rule.type == "text") {
        if (!rule.keepSpace)
            StrTrim(v);
        long length = static_cast<long>(v.size());
        return length >= DProps::GetLong(descriptor, "min", 0) &&
                       length <= DProps::GetLong(descriptor, "max", LONG_MAX)
                   ? 1
                   : 0;
    }
    const bool integer = rule.type == "long";
    if (!integer && rule.type != "double")
        return 1;
    // "12mm" or "1,250.5" would be judged by the number atoi or atof reads
    // from its start: a different number than the one typed.
    std::string trimmed = v;
    if (!StrTrim(trimmed).empty() && !NumIsPlain(trimmed.c_str(), integer))
        return 0;
    if (integer)
        return Judge<long>(atoi(v.c_str()), LongRange(descriptor));
    return Judge<double>(atof(v.c_str()), DoubleRange(descriptor));
}

std::string NormalizeValue(const char* value, const DProps* descriptor)
{
    std::string v = StrFromText(value);
    if (!descriptor)
        return v;
    FieldRule rule = ReadRule(descriptor);
    if (v.empty() && rule.hasDefault)
        v = DProps::GetString(descriptor, "default", "");
    if (rule.type == "text") {
        if (!rule.keepSpace)
            StrTrim(v);
        long max = DProps::GetLong(descriptor, "max", LONG_MAX);
        if (max > 0 && static_cast<long>(v.size()) > max)
            v.resize(static_cast<size_t>(max));
        return v;
    }
    if (rule.type == "long") {
        Range<long> r = LongRange(descriptor);
        long x = atoi(v.c_str());
        if (x < r.min)
            x = r.min;
        if (x > r.max)
            x = r.max;
        return StrFromLong(x);
    }
    if (rule.type == "double") {
        Range<double> r = DoubleRange(descriptor);
        double x = atof(v.c_str());
        if (x < r.min)
            v = StrFromDouble(r.min, "%f");
        else if (x > r.max)
            v = StrFromDouble(r.max, "%f");
        else
            v = StrFromDoubleCompact(x);
        if (rule.compact)
            NumCutZeros(v, true);
        return v;
    }
    return v;
}

bool CompareProps(const DProps* description, const DProps* a, const DProps* b)
{
    std::string primary = DProps::GetString(description, "primary", "");
    std::string primaryType = DProps::GetString(description, "primary.type", "");
    bool numeric = false;
    int order = CompareByType(a, b, primary.c_str(), primaryType, numeric);
    if (order != 0)
        return Before(order, DProps::GetLong(description, "primary.less") != 0);

    std::string secondary = DProps::GetString(description, "secondary", "");
    std::string secondaryType = DProps::GetString(description, "secondary.type", "");
    bool secondaryLess = DProps::GetLong(description, "secondary.less") != 0;
    order = CompareByType(a, b, secondary.c_str(), secondaryType, numeric);
    // Numbers that agree may still be written differently: their texts decide.
    if (order == 0 && numeric)
        order = CompareByType(a, b, secondary.c_str(), "text", numeric);
    return Before(order, secondaryLess);
}

std::string PropsDescribe(const DProps* bag, const char* separator)
{
    std::string out;
    if (!bag)
        return out;
    DAutoLock guard(&bag->GetLock());
    if (bag->Count() == 0)
        return out;
    const std::string sep = StrFromText(separator);
    out = "(";
    bool first = true;
    for (int i = 0; i < bag->Count(); ++i) {
        std::string key = StrFromText(bag->GetKeyAt(i));
        if (!key.empty() && key[0] == '$')
            continue;
        std::string value = StrFromText(bag->GetValueAt(i));
        std::string name = DProps::GetString(bag, ("$name." + key).c_str(), key);
        std::string format = DProps::GetString(bag, ("$format." + key).c_str(), "");
        bool hasFormat = bag->IndexOf(("$format." + key).c_str()) >= 0;
        if (hasFormat && DProps::GetString(bag, ("$type." + key).c_str(), "") == "double" &&
            IsDoubleFormat(format))
            StrFormat(value, format.c_str(), atof(value.c_str()));
        if (!first)
            out += sep;
        first = false;
        out += "(" + name + ": " + value + DProps::GetString(bag, ("$units." + key).c_str(), "") +
               ")";
    }
    out += ")";
    return out;
}

DProps* PropsMapAt(PropsMap* map, long n)
{
    if (!map || n < 0 || static_cast<size_t>(n) >= map->size())
        return nullptr;
    return &std::next(map->begin(), n)->second;
}

DProps* PropsMapFind(PropsMap* map, long key)
{
    if (!map || map->empty())
        return nullptr;
    auto it = map->find(key);
    return it == map->end() ? nullptr : &it->second;
}

void PropsListSort(PropsList& list, const DProps* description)
{
    StableSortTolerant(list, [description](const DProps& a, const DProps& b) {
        return CompareProps(description, &a, &b);
    });
}
