// Expands references of the form "${name}" in a text with named values, and
// reads tags of the form "${name:value}" out of entry comments.
#pragma once

#include <functional>
#include <string>

#include "foundation/DProps.h"

class DParser
{
public:
    // How deep values are expanded inside values; a reference met deeper than
    // this stays in the text as it is, so a value that refers to itself ends.
    static constexpr int MaxDepth = 8;
    // How many references one expansion replaces at most; the rest stay as they are.
    static constexpr long MaxReplacements = 65536;

    DParser() = default;
    DParser(const DParser& other);
    DParser& operator=(const DParser&) = delete;
    virtual ~DParser();

    // The text with every reference replaced by its value (unknown names by
    // nothing); values are scanned again, so references inside them expand
    // in turn. A "${" without a later "}" is kept with all that follows it.
    virtual std::string Expand(const char* text);
    // The variable's value, the empty text when it is absent.
    virtual std::string GetValue(const char* name);
    // True and the value in out when the variable exists; false and "" otherwise.
    virtual bool Lookup(const char* name, std::string& out);

    // The named values; names compare ignoring case.
    DProps& Variables() { return m_variables; }
    const DProps& Variables() const { return m_variables; }

protected:
    DProps m_variables;
};

// Answers for one reference: true and the value in value when name is known.
using ReferenceLookup = std::function<bool(const std::string& name, std::string& value)>;

// The references of text replaced by what lookup answers for them; each value
// is scanned again, so references inside it expand in turn, to DParser::MaxDepth
// levels and DParser::MaxReplacements replacements, past which references stay
// as they are. A name lookup does not know is removed with dropUnknown and
// kept otherwise. A "${" without a later "}" is kept with all that follows it.
std::string ExpandReferences(const std::string& text, const ReferenceLookup& lookup,
                             bool dropUnknown);

// Expands the references of text with the entries of bag.
std::string ExpandVariables(const char* text, const DProps& bag);

// Stores every "${name:value}" tag of text into bag (name and value trimmed; a
// tag without value stores the empty text); returns how many were stored.
int ParseVariableTags(const char* text, DProps& bag);
