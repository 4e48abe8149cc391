// The order check that finds the errors which make a calculation impossible
// and the conditions which make it pointless. Findings go into a warnings
// bag: code as decimal text -> a short text naming the culprit with ${...}
// references, expanded when shown.
#pragma once

#include <cstdint>
#include <string>

#include "document/StatusCodes.h"
#include "foundation/DProps.h"
#include "foundation/FieldCheck.h"

// Flags of a check: at least one error, at least one warning.
constexpr int32_t CheckError = 1;
constexpr int32_t CheckWarning = 2;

// Adds a finding unless the bag names one for the code already, so the first
// culprit of each kind stays.
void AddFinding(DProps& warnings, int32_t code, const std::string& value);

// The order check over a material's stock and part rows; adds its findings to
// warnings without clearing it and returns the union of their flags.
int32_t CheckOrderRows(const PropsList& blanks, const PropsList& pieces, DProps& warnings);
