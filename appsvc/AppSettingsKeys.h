// The names of the user's settings, each with its default, in one table
// (AppSettingsKeys.cpp). Code names a setting by its key object, never by
// its text, so the properties file has one list of what it can hold.
#pragma once

#include <cstddef>

#include "foundation/DAppSettings.h"
#include "foundation/UString.h"

struct AppSettingKey {
    const char* name;
    // What the start-up writes into an empty entry (filledAtStart), else
    // what a missing entry reads as; null where the reader knows it (the
    // order of the fields a dialog offers).
    const char* def;
    // The start-up fills the entry, so it is never missing afterwards;
    // before that (a test's own application object) it reads as empty.
    bool filledAtStart;
};

// Number formats, filled at start-up in this order.
extern const AppSettingKey kSetListSeparator;
extern const AppSettingKey kSetLengthUnits;
extern const AppSettingKey kSetPiecesUnits;
extern const AppSettingKey kSetLengthDigits;
extern const AppSettingKey kSetLengthZeroes;
extern const AppSettingKey kSetCostUnits;
extern const AppSettingKey kSetCostDigits;
extern const AppSettingKey kSetCostZeroes;
extern const AppSettingKey kSetDecimalSeparator;

// The build whose resources are installed.
extern const AppSettingKey kSetVersion;
// Printers: the excluded drivers and the one chosen for reports.
extern const AppSettingKey kSetExcluded;
extern const AppSettingKey kSetPrinter;
// The recent projects.
extern const AppSettingKey kSetHistory;
// Window placements.
extern const AppSettingKey kSetPosition;
extern const AppSettingKey kSetPositionBlanks;
extern const AppSettingKey kSetPositionPieces;
extern const AppSettingKey kSetPositionReports;
// The report window's layout and colour scheme (indexes).
extern const AppSettingKey kSetReportLayout;
extern const AppSettingKey kSetReportColors;

// The choices an import or export dialog keeps for the next time: the field
// separator, the field order and, for an import, compact numbers.
struct DelimitedSettingKeys {
    const AppSettingKey& separator;
    const AppSettingKey& format;
    const AppSettingKey* compact;   // null: not kept
};

extern const DelimitedSettingKeys kSetImportBlanks;
extern const DelimitedSettingKeys kSetImportPieces;
extern const DelimitedSettingKeys kSetExportBlanks;
extern const DelimitedSettingKeys kSetExportPieces;
extern const DelimitedSettingKeys kSetExportCuttings;
extern const DelimitedSettingKeys kSetExportRemnants;
extern const DelimitedSettingKeys kSetExportOrphans;

// Every key of the table, in its order; count gets their number.
const AppSettingKey* const* AppSettingKeys(size_t& count);

// The start-up's defaults: each key filled at start whose entry is empty
// takes its default, in table order, without saving.
void FillSettingDefaults(DAppSettings& settings);

// The key's value; a missing entry gives the default (empty for a key
// filled at start, see above).
UString GetSetting(const DAppSettings& settings, const AppSettingKey& key);
// The same for a key whose default the reader knows.
UString GetSetting(const DAppSettings& settings, const AppSettingKey& key, const char* def);
bool SetSetting(DAppSettings& settings, const AppSettingKey& key, const char* value, bool saveNow = false);
