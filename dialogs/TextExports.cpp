#include "dialogs/TextExports.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "appsvc/AppSettingsKeys.h"
#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "document/DCSSolution.h"
#include "foundation/DAppSettings.h"
#include "foundation/DData.h"
#include "foundation/StrUtil.h"

namespace {

// One row of the table of the three exports.
struct ExportKindInfo {
    std::vector<const char*> fields;
    std::vector<const char*> titles;    // the titles when the locale has none
    std::vector<const char*> widths;
    const DelimitedSettingKeys& settings;
    const char* file;
    const char* captionKey;
};

const ExportKindInfo& InfoOf(TextExportKind kind, TextExportScope scope = TextExportProject)
{
    // Material names run long: their column is wide enough for most, the
    // pattern text after it scrolls.
    static const ExportKindInfo materialCuttings = {
        {"id", "blank.id", "material", "blank.length", "copies", "formatting"},
        {"ID", "Blank", "Material", "Length", "Copies", "Formatting"},
        {"60", "120", "320", "130", "130", "520"},
        kSetExportCuttings, "cuttings.txt", "export.cutting.title"};
    if (scope == TextExportMaterial && kind == TextExportCuttings)
        return materialCuttings;
    static const ExportKindInfo kinds[] = {
        {{"id", "material", "blank.id", "blank.length", "copies", "formatting"},
         {"ID", "Material", "Blank", "Length", "Copies", "Formatting"},
         {"60", "320", "120", "130", "130", "520"},
         kSetExportCuttings, "cuttings.txt", "export.cutting.title"},
        {{"id", "material", "length", "quantity", "knife"},
         {"ID", "Material", "Length", "Quantity", "Knife"},
         {"100", "320", "150", "130", "520"},
         kSetExportRemnants, "remnants.txt", "export.remnants.title"},
        {{"id", "material", "length", "quantity", "label", "comment"},
         {"ID", "Material", "Length", "Quantity", "Label", "Comment"},
         {"60", "320", "120", "120", "120", "350"},
         kSetExportOrphans, "orphans.txt", "export.orphans.title"},
    };
    const int at = (kind >= TextExportCuttings && kind <= TextExportOrphans) ? kind : TextExportCuttings;
    return kinds[at];
}

bool IsZero(double x)
{
    return std::fabs(x) < 1e-7;
}

// The stock row a cutting row was cut from; null when it is gone.
const DProps* StockOf(const DCSProject& material, const DProps& cutting)
{
    return material.FindBlankRow(std::atol(DProps::GetString(cutting, "blank", "").c_str()));
}

void AppendCuttings(DCSProject& material, PropsList& out)
{
    for (const DProps& cutting : material.GetCuttingRows()) {
        const DProps* stock = StockOf(material, cutting);
        DProps record;
        record.SetLong("id", static_cast<long>(out.size()) + 1);
        record.SetString("material", stock ? DProps::GetString(*stock, "material", "") : std::string());
        record.SetString("blank.id", DProps::GetString(cutting, "blank", ""));
        record.SetString("blank.length", stock ? DProps::GetString(*stock, "length", "0") : std::string("0"));
        record.SetString("copies", DProps::GetString(cutting, "copies", ""));
        DProps described;
        std::vector<std::string> letters;
        material.DescribeSignature(described, DProps::GetString(cutting, "signature", "").c_str(), letters);
        record.SetString("formatting", DProps::GetString(described, "formatting", ""));
        out.push_back(std::move(record));
    }
}

void AppendRemnants(DCSProject& material, PropsList& out)
{
    const double usable = std::atof(material.GetProperty("remnants").c_str());
    if (IsZero(usable))
        return;
    for (const DProps& cutting : material.GetCuttingRows()) {
        const double remains = std::atof(DProps::GetString(cutting, "remains", "").c_str());
        if (IsZero(remains) || !(remains > usable))
            continue;
        const DProps* stock = StockOf(material, cutting);
        DProps record;
        record.SetLong("id", static_cast<long>(out.size()) + 1);
        record.SetString("material", stock ? DProps::GetString(*stock, "material", "") : std::string());
        record.SetString("length", FormatLengthText(DProps::GetString(cutting, "remains", "").c_str(), false));
        record.SetString("quantity", DProps::GetString(cutting, "copies", ""));
        record.SetString("knife",
                         stock ? FormatLengthText(DProps::GetString(*stock, "knife", "").c_str(), false)
                               : std::string("0"));
        out.push_back(std::move(record));
    }
}

void AppendOrphans(const DCSProject& material, PropsList& out)
{
    for (const DProps& row : material.GetPieceRows()) {
        const long orphans = static_cast<long>(std::atof(DProps::GetString(row, "orphans", "").c_str()));
        if (orphans == 0)
            continue;
        DProps record(row);
        record.SetLong("quantity", orphans);
        record.SetLong("id", static_cast<long>(out.size()) + 1);
        out.push_back(std::move(record));
    }
}

} // namespace

long AppendExportRecords(TextExportKind kind, DCSProject& material, PropsList& out)
{
    const size_t before = out.size();
    switch (kind) {
    case TextExportCuttings:
        AppendCuttings(material, out);
        break;
    case TextExportRemnants:
        AppendRemnants(material, out);
        break;
    case TextExportOrphans:
        AppendOrphans(material, out);
        break;
    }
    return static_cast<long>(out.size() - before);
}

PropsList BuildExportRecords(TextExportKind kind, DCSSolution& document)
{
    PropsList records;
    for (long i = 0;; ++i) {
        DCSProject* material = document.GetProject(i, true);
        if (!material)
            break;
        AppendExportRecords(kind, *material, records);
    }
    return records;
}

PropsList BuildMaterialExportRecords(TextExportKind kind, DCSProject& material)
{
    PropsList records;
    AppendExportRecords(kind, material, records);
    if (kind == TextExportCuttings) {
        // The page shows the stock length the user's way.
        for (DProps& record : records) {
            const DProps* stock = material.FindBlankRow(std::atol(DProps::GetString(record, "blank.id", "").c_str()));
            if (stock)
                record.SetString("blank.length",
                                 FormatLengthText(DProps::GetString(*stock, "length", "").c_str(), false));
        }
    }
    return records;
}

DProps BuildExportDescriptor(TextExportKind kind, const DProps& globals, const DAppSettings& settings,
                             TextExportScope scope)
{
    const ExportKindInfo& info = InfoOf(kind, scope);
    std::vector<std::string> fields, titles, widths;
    for (size_t k = 0; k < info.fields.size(); ++k) {
        fields.push_back(info.fields[k]);
        titles.push_back(DProps::GetString(globals, (std::string("exp.") + info.fields[k]).c_str(), info.titles[k]));
        widths.push_back(info.widths[k]);
    }
    titles.push_back(DProps::GetString(globals, "\\empty", "\\Empty field"));
    const std::string fieldList = StrJoin(fields, ";");

    DProps descriptor;
    descriptor.Set("format.separator", ";");
    descriptor.Set("record.separator", "\r\n");
    descriptor.SetString("field.separator", GetSetting(settings, info.settings.separator).ToStdString());
    descriptor.Set("file", info.file);
    descriptor.SetString("titles", StrJoin(titles, ";"));
    descriptor.SetString("fields", fieldList);
    descriptor.SetString("format", GetSetting(settings, info.settings.format, fieldList.c_str()).ToStdString());
    descriptor.SetString("columns", StrJoin(widths, ";"));
    const std::string caption = DProps::GetString(globals, info.captionKey, "");
    if (!caption.empty())
        descriptor.SetString("title", caption);
    return descriptor;
}

void StoreExportChoices(TextExportKind kind, const DProps& chosen, DAppSettings& settings)
{
    const ExportKindInfo& info = InfoOf(kind);
    SetSetting(settings, info.settings.separator, DProps::GetString(chosen, "field.separator", ";").c_str());
    SetSetting(settings, info.settings.format, DProps::GetString(chosen, "format", "").c_str());
}

std::string ExportRecordsText(const DProps& descriptor, const PropsList& records)
{
    DData table;
    table.SetRecords(records);
    return DData::Export(descriptor, table);
}
