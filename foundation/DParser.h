// Expands references of the form "${name}" in a text with named values, and
// reads tags of the form "${name:value}" out of entry comments.
#pragma once

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

// Expands the references of text with the entries of bag.
std::string ExpandVariables(const char* text, const DProps& bag);

// Stores every "${name:value}" tag of text into bag (name and value trimmed; a
// tag without value stores the empty text); returns how many were stored.
int ParseVariableTags(const char* text, DProps& bag);
