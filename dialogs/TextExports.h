// The text exports of cuttings, remnants and unplaced parts: the records
// each builds from the results of the active materials (or of one material,
// as the results page exports it), and the descriptor that tells the export
// dialog their fields, titles, widths, separator and file.
#pragma once

#include <string>

#include "foundation/DProps.h"
#include "foundation/FieldCheck.h"

class DAppSettings;
class DCSProject;
class DCSSolution;

enum TextExportKind {
    TextExportCuttings = 0,   // one record per cutting pattern
    TextExportRemnants = 1,   // one record per pattern that leaves a usable offcut
    TextExportOrphans = 2,    // one record per part row with unplaced pieces
};

// Whose results an export covers: the active materials of the project (the
// application's exports) or the one material the results page shows, whose
// cuttings list the stock before the material and format the stock length.
enum TextExportScope {
    TextExportProject = 0,
    TextExportMaterial = 1,
};

// Appends the records of one material to out; their "id" continues the
// numbering of the records already there. Returns the number appended.
long AppendExportRecords(TextExportKind kind, DCSProject& material, PropsList& out);
// The records of every active material of the document, numbered 1, 2, ...
PropsList BuildExportRecords(TextExportKind kind, DCSSolution& document);
// The records of the one material the results page shows, numbered 1, 2, ...
PropsList BuildMaterialExportRecords(TextExportKind kind, DCSProject& material);
// The export dialog's descriptor: titles from a locale section (the
// application's "globals", the results page's own section), separator and
// field order from the settings.
DProps BuildExportDescriptor(TextExportKind kind, const DProps& globals, const DAppSettings& settings,
                             TextExportScope scope = TextExportProject);
// What the dialog chose, kept for the next export of the kind.
void StoreExportChoices(TextExportKind kind, const DProps& chosen, DAppSettings& settings);

// The records as text with the descriptor's separators and field order,
// as the export dialog writes them when nobody changes its choices.
std::string ExportRecordsText(const DProps& descriptor, const PropsList& records);
