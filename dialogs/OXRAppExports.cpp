// The application's text exports of the active materials' results: the
// records go to the export dialog, whose choices are kept for the next export
// of the same kind.
#include "appsvc/OXRApp.h"
#include "dialogs/DlgExport.h"
#include "dialogs/TextExports.h"
#include "foundation/Helper.h"
#include "foundation/StrUtil.h"

namespace {

// Nobody answers a dialog for a named file: the text is written with the
// stored choices, and the log tells where.
bool WriteUnattended(OXRApp& app, const DProps& descriptor, const PropsList& records, const std::string& path)
{
    const std::string text = ExportRecordsText(descriptor, records);
    DProps result;
    if (Helper::WriteTextFile(path.c_str(), text.c_str(), &result) <= 0 && !text.empty()) {
        ULog::WriteText(&app.Log(), ("Cannot write the export " + path).c_str(), "ERR >> ");
        return false;
    }
    ULog::WriteText(&app.Log(), ("Exported " + path).c_str());
    return true;
}

bool RunExport(OXRApp& app, TextExportKind kind, const char* file)
{
    const std::string path = StrFromText(file);
    // A script cannot be asked where the file goes, and a file of a name it
    // did not choose would be found by nobody.
    if (path.empty() && app.IsAutomation()) {
        ULog::WriteText(&app.Log(), "No file named for the export: nothing exported", "ERR >> ");
        return false;
    }
    const PropsList records = BuildExportRecords(kind, app.Document());
    if (records.empty()) {
        if (!path.empty())
            ULog::WriteText(&app.Log(), ("Nothing to export into " + path).c_str());
        return true;
    }
    DProps globals;
    app.GetLocaleSection("globals", globals);
    const DProps descriptor = BuildExportDescriptor(kind, globals, app.Settings());
    if (!path.empty())
        return WriteUnattended(app, descriptor, records, path);

    DlgExport dialog(app.MainWindow());
    if (!dialog.Setup(descriptor, records) || dialog.DoModal() == DlgFrame::Cancelled)
        return false;
    StoreExportChoices(kind, dialog.Params(), app.Settings());
    return true;
}

} // namespace

bool OXRApp::ExportCuttings(const char* file)
{
    return RunExport(*this, TextExportCuttings, file);
}

bool OXRApp::ExportRemnants(const char* file)
{
    return RunExport(*this, TextExportRemnants, file);
}

bool OXRApp::ExportOrphans(const char* file)
{
    return RunExport(*this, TextExportOrphans, file);
}
