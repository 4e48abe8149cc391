// The application's text exports of the active materials' results: the
// records go to the export dialog, whose choices are kept for the next export
// of the same kind.
#include "appsvc/OXRApp.h"
#include "dialogs/DlgExport.h"
#include "dialogs/TextExports.h"
#include "foundation/Helper.h"

namespace {

// The folder of the open project's file, the data folder when it has none.
std::string ExportFolder(OXRApp& app)
{
    const std::string file = app.m_document.GetFile();
    const size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos)
        return file.substr(0, slash);
    return app.MakeDataPath("").ToStdString();
}

// Nobody can answer a dialog during a script: the text is written with the
// stored choices, and the log tells where.
bool WriteUnattended(OXRApp& app, const DProps& descriptor, const PropsList& records)
{
    std::string folder = ExportFolder(app);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    const std::string path = folder + DProps::GetString(descriptor, "file", "export.txt");
    const std::string text = ExportRecordsText(descriptor, records);
    DProps result;
    if (Helper::WriteTextFile(path.c_str(), text.c_str(), &result) <= 0 && !text.empty()) {
        ULog::WriteText(&app.m_log, ("Cannot write the export " + path).c_str(), "ERR >> ");
        return false;
    }
    ULog::WriteText(&app.m_log, ("Exported " + path).c_str());
    return true;
}

bool RunExport(OXRApp& app, TextExportKind kind)
{
    const PropsList records = BuildExportRecords(kind, app.m_document);
    if (records.empty())
        return true;
    DProps globals;
    app.GetLocaleSection("globals", globals);
    const DProps descriptor = BuildExportDescriptor(kind, globals, app.m_settings);
    if (app.m_automation)
        return WriteUnattended(app, descriptor, records);

    DlgExport dialog(app.m_mainWindow);
    if (!dialog.Setup(descriptor, records) || dialog.DoModal() == DlgFrame::Cancelled)
        return false;
    StoreExportChoices(kind, dialog.Params(), app.m_settings);
    return true;
}

} // namespace

bool OXRApp::ExportCuttings()
{
    return RunExport(*this, TextExportCuttings);
}

bool OXRApp::ExportRemnants()
{
    return RunExport(*this, TextExportRemnants);
}

bool OXRApp::ExportOrphans()
{
    return RunExport(*this, TextExportOrphans);
}
