// The checks that a material's result rows read from a project file pass
// before they are taken back: rows that cannot belong to the order, rows that
// rebuild another solution than the one saved, and the remnant length the
// stored statistics were computed with.
#pragma once

#include <string>

#include "document/DCSStorage.h"
#include "engine/Cutting.h"
#include "foundation/DProps.h"

// Every number of the rows in the reader's decimal notation: result rows
// hold them in the notation of the user who saved them.
void UseReadersSeparator(PropsList& rows);

// Why the stored cutting rows cannot stand for a solution of this order, or
// the empty text when they can. Checked before anything is rebuilt from them.
std::string CheckStoredCuttings(const DCSStorage& order, const PropsList& cuttings);

// Why the layout rebuilt from the stored cutting rows is not the solution
// that was saved (its patterns, or the statistics of the summary rows), or
// the empty text when it is. A key the rows lack is a disagreement.
std::string CheckRebuiltLayout(const CUTTING::Layout& layout, const PropsList& summary, const PropsList& cuttings);

// The remnant length under which the stored summary's statistics come out of
// the rebuilt layout (0: remnants not tracked): the offcuts longer than it
// make the stored "remnants" total. False when no length does.
bool StoredRemnantLength(const CUTTING::Layout& layout, const PropsList& summary, double& length);
