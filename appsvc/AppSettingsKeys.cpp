#include "appsvc/AppSettingsKeys.h"

const AppSettingKey kSetListSeparator = {"list.separator", " ", true};
const AppSettingKey kSetLengthUnits = {"length.units", "0", true};
const AppSettingKey kSetPiecesUnits = {"pieces.units", "0", true};
const AppSettingKey kSetLengthDigits = {"length.digits", "2", true};
const AppSettingKey kSetLengthZeroes = {"length.zeroes", "0", true};
const AppSettingKey kSetCostUnits = {"cost.units", "0", true};
const AppSettingKey kSetCostDigits = {"cost.digits", "2", true};
const AppSettingKey kSetCostZeroes = {"cost.zeroes", "0", true};
// Empty: the system's separator.
const AppSettingKey kSetDecimalSeparator = {"decimal.separator", "", false};

const AppSettingKey kSetVersion = {"version", "", false};
const AppSettingKey kSetExcluded = {"excluded", "", false};
const AppSettingKey kSetPrinter = {"printer", "", false};
const AppSettingKey kSetHistory = {"history", "", false};
const AppSettingKey kSetPosition = {"position", "", false};
const AppSettingKey kSetPositionBlanks = {"position.blanks", "", false};
const AppSettingKey kSetPositionPieces = {"position.pieces", "", false};
const AppSettingKey kSetPositionReports = {"position.reports", "", false};
const AppSettingKey kSetReportLayout = {"report.layout", "", false};
const AppSettingKey kSetReportColors = {"report.colors", "", false};

// The field order's default is the list of the fields on offer.
const AppSettingKey kSetImportBlanksSeparator = {"import.blanks.separator", ";", false};
const AppSettingKey kSetImportBlanksFormat = {"import.blanks.format", nullptr, false};
const AppSettingKey kSetImportBlanksCompact = {"import.blanks.compact", "1", false};
const AppSettingKey kSetImportPiecesSeparator = {"import.pieces.separator", ";", false};
const AppSettingKey kSetImportPiecesFormat = {"import.pieces.format", nullptr, false};
const AppSettingKey kSetImportPiecesCompact = {"import.pieces.compact", "1", false};
const AppSettingKey kSetExportBlanksSeparator = {"export.blanks.separator", ";", false};
const AppSettingKey kSetExportBlanksFormat = {"export.blanks.format", nullptr, false};
const AppSettingKey kSetExportPiecesSeparator = {"export.pieces.separator", ";", false};
const AppSettingKey kSetExportPiecesFormat = {"export.pieces.format", nullptr, false};
const AppSettingKey kSetExportCuttingsSeparator = {"export.cuttings.separator", ";", false};
const AppSettingKey kSetExportCuttingsFormat = {"export.cuttings.fields", nullptr, false};
const AppSettingKey kSetExportRemnantsSeparator = {"export.remnants.separator", ";", false};
const AppSettingKey kSetExportRemnantsFormat = {"export.remnants.fields", nullptr, false};
const AppSettingKey kSetExportOrphansSeparator = {"export.orphans.separator", ";", false};
const AppSettingKey kSetExportOrphansFormat = {"export.orphans.format", nullptr, false};

const DelimitedSettingKeys kSetImportBlanks = {kSetImportBlanksSeparator, kSetImportBlanksFormat,
                                               &kSetImportBlanksCompact};
const DelimitedSettingKeys kSetImportPieces = {kSetImportPiecesSeparator, kSetImportPiecesFormat,
                                               &kSetImportPiecesCompact};
const DelimitedSettingKeys kSetExportBlanks = {kSetExportBlanksSeparator, kSetExportBlanksFormat, nullptr};
const DelimitedSettingKeys kSetExportPieces = {kSetExportPiecesSeparator, kSetExportPiecesFormat, nullptr};
const DelimitedSettingKeys kSetExportCuttings = {kSetExportCuttingsSeparator, kSetExportCuttingsFormat, nullptr};
const DelimitedSettingKeys kSetExportRemnants = {kSetExportRemnantsSeparator, kSetExportRemnantsFormat, nullptr};
const DelimitedSettingKeys kSetExportOrphans = {kSetExportOrphansSeparator, kSetExportOrphansFormat, nullptr};

namespace {

// The order of the keys filled at start is the order a first start writes
// them into the properties file.
const AppSettingKey* const kTable[] = {
    &kSetListSeparator,
    &kSetLengthUnits,
    &kSetPiecesUnits,
    &kSetLengthDigits,
    &kSetLengthZeroes,
    &kSetCostUnits,
    &kSetCostDigits,
    &kSetCostZeroes,
    &kSetDecimalSeparator,
    &kSetVersion,
    &kSetExcluded,
    &kSetPrinter,
    &kSetHistory,
    &kSetPosition,
    &kSetPositionBlanks,
    &kSetPositionPieces,
    &kSetPositionReports,
    &kSetReportLayout,
    &kSetReportColors,
    &kSetImportBlanksSeparator,
    &kSetImportBlanksFormat,
    &kSetImportBlanksCompact,
    &kSetImportPiecesSeparator,
    &kSetImportPiecesFormat,
    &kSetImportPiecesCompact,
    &kSetExportBlanksSeparator,
    &kSetExportBlanksFormat,
    &kSetExportPiecesSeparator,
    &kSetExportPiecesFormat,
    &kSetExportCuttingsSeparator,
    &kSetExportCuttingsFormat,
    &kSetExportRemnantsSeparator,
    &kSetExportRemnantsFormat,
    &kSetExportOrphansSeparator,
    &kSetExportOrphansFormat,
};

} // namespace

const AppSettingKey* const* AppSettingKeys(size_t& count)
{
    count = sizeof(kTable) / sizeof(kTable[0]);
    return kTable;
}

void FillSettingDefaults(DAppSettings& settings)
{
    for (const AppSettingKey* key : kTable) {
        if (key->filledAtStart && settings.Get(key->name, "").IsEmpty())
            settings.Set(key->name, key->def, false);
    }
}

UString GetSetting(const DAppSettings& settings, const AppSettingKey& key)
{
    return settings.Get(key.name, key.filledAtStart || !key.def ? "" : key.def);
}

UString GetSetting(const DAppSettings& settings, const AppSettingKey& key, const char* def)
{
    return settings.Get(key.name, def);
}

bool SetSetting(DAppSettings& settings, const AppSettingKey& key, const char* value, bool saveNow)
{
    return settings.Set(key.name, value, saveNow);
}
