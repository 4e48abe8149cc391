#include "foundation/DParser.h"

#include <vector>

#include "foundation/StrUtil.h"

namespace {

// The next reference at or after pos: open at its "${", close at the first "}"
// after that. False when either is missing.
bool FindReference(const std::string& text, size_t pos, size_t& open, size_t& close)
{
    open = text.find("${", pos);
    if (open == std::string::npos)
        return false;
    close = text.find('}', open + 2);
    return close != std::string::npos;
}

}  // namespace

DParser::DParser(const DParser& other) : m_variables(other.m_variables) {}

DParser::~DParser() = default;

std::string ExpandReferences(const std::string& text, const ReferenceLookup& lookup,
                             bool dropUnknown)
{
    std::string out = text;
    // Ends of the values inserted so far that still enclose the scan position,
    // innermost last: their number is the depth of the next reference found.
    std::vector<size_t> inserted;
    long replacements = 0;
    size_t pos = 0;
    size_t open = 0;
    size_t close = 0;
    std::string value;
    while (FindReference(out, pos, open, close)) {
        while (!inserted.empty() && inserted.back() <= open)
            inserted.pop_back();
        if (static_cast<int>(inserted.size()) >= DParser::MaxDepth ||
            replacements >= DParser::MaxReplacements) {
            pos = close + 1;
            continue;
        }
        value.clear();
        if (!lookup(out.substr(open + 2, close - open - 2), value) && !dropUnknown) {
            pos = close + 1;
            continue;
        }
        const size_t oldEnd = close + 1;
        out.replace(open, oldEnd - open, value);
        ++replacements;
        // A value inserted inside an earlier one widens or narrows it; a
        // reference that ran past the end of an earlier value now ends with
        // what replaced it.
        for (size_t& end : inserted)
            end = end <= oldEnd ? open + value.size() : end - oldEnd + open + value.size();
        inserted.push_back(open + value.size());
        pos = open;
    }
    return out;
}

std::string DParser::Expand(const char* text)
{
    // Every name counts as known: an absent one stands for the empty text.
    return ExpandReferences(StrFromText(text),
                            [this](const std::string& name, std::string& value) {
                                value = GetValue(name.c_str());
                                return true;
                            },
                            true);
}

std::string DParser::GetValue(const char* name)
{
    std::string value;
    Lookup(name, value);
    return value;
}

bool DParser::Lookup(const char* name, std::string& out)
{
    DAutoLock guard(&m_variables.GetLock());
    const char* value = m_variables.Get(name, nullptr);
    out = StrFromText(value);
    return value != nullptr;
}

std::string ExpandVariables(const char* text, const DProps& bag)
{
    DParser parser;
    parser.Variables() = bag;
    return parser.Expand(text);
}

int ParseVariableTags(const char* text, DProps& bag)
{
    const std::string all = StrFromText(text);
    int stored = 0;
    size_t open = 0;
    size_t close = 0;
    for (size_t pos = 0; FindReference(all, pos, open, close); pos = open + 1) {
        const std::string inner = all.substr(open + 2, close - open - 2);
        std::string name = inner;
        std::string value;
        size_t colon = inner.find(':');
        if (colon != std::string::npos) {
            name = inner.substr(0, colon);
            size_t second = inner.find(':', colon + 1);
            value = inner.substr(colon + 1, second == std::string::npos ? std::string::npos
                                                                         : second - colon - 1);
        }
        StrTrim(name);
        StrTrim(value);
        if (!name.empty()) {
            bag.SetString(name.c_str(), value, nullptr, true);
            ++stored;
        }
    }
    return stored;
}
