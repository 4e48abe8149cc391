// The commands of an automation script, run on the UI thread as if the user
// had given them. Each one reports its outcome in the record's "\res"; only
// the calculation of the current material goes on after the runner's send
// returns: the results page completes the application's request, and the
// runner collects the answer into its record.
#include "appsvc/OXRApp.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/OXRWindow.h"
#include "dialogs/DelimitedImport.h"
#include "document/ChangeMasks.h"
#include "document/OrderCheck.h"
#include "foundation/DLock.h"
#include "foundation/Helper.h"
#include "foundation/ULog.h"
#include "foundation/DData.h"
#include "foundation/StrUtil.h"
#include "panels/PanelIds.h"
#include "reports/OXRReport.h"

namespace {

// What a command did: a finished command writes "0" or "1"; some leave the
// record as it came; one goes on after the send.
enum class Outcome { Succeeded, Failed, Unwritten, Started };

Outcome Result(bool ok)
{
    return ok ? Outcome::Succeeded : Outcome::Failed;
}

struct Command {
    OXRApp& app;
    DProps& record;
    DProps* options;
    DCSProject* material;   // the current material, null when none
    // Why the command failed, when the command itself can tell.
    std::string reason;

    std::string Param(const char* key) const { return DProps::GetString(record, key, ""); }
    bool Has(const char* key) const { return record.IndexOf(key) >= 0; }
    Outcome Fail(const std::string& why)
    {
        reason = why;
        return Outcome::Failed;
    }
    // Nobody can answer a dialog unless the script asked for a user
    // interface (the option "gui").
    bool MayAsk() const { return app.IsAutomation() == 0; }
    // The panels renew their lists of materials.
    void MaterialsChanged() const
    {
        if (HWND main = app.GetMainHwnd())
            ::SendMessageA(main, WM_USER, kEventMaterialsChanged, 0);
    }
};

// ---- Project ------------------------------------------------------------------------------

const char* const kUnsavedChanges = "the open project has changes that are not saved";

// Without a file the open dialog asks, when the script has a user to ask;
// otherwise the command fails and the open project stays.
Outcome ProjectOpen(Command& c)
{
    const std::string file = c.Param("file");
    if (file.empty() && !c.MayAsk())
        return c.Fail("no file named (only with the option \"gui\" does a dialog ask for one)");
    if (c.app.OpenProject(file.empty() ? nullptr : file.c_str()))
        return Outcome::Succeeded;
    if (c.app.Document().IsModified())
        return c.Fail(kUnsavedChanges);
    // A missing or unreadable file has told its reason in a message.
    return file.empty() ? c.Fail("no project was chosen") : Outcome::Failed;
}

Outcome ProjectExit(Command& c)
{
    return c.app.CloseProject() ? Outcome::Succeeded : c.Fail(kUnsavedChanges);
}

// A project that has no file of its own needs one named, or a user who
// chooses one in the save dialog.
Outcome ProjectSave(Command& c)
{
    const std::string file = c.Param("file");
    const bool unnamed = file.empty() && c.app.Document().GetFile().empty();
    if (unnamed && !c.MayAsk())
        return c.Fail("no file named and the project has none (only with the option \"gui\" does a dialog ask for "
                      "one)");
    if (c.app.SaveProject(file.empty() ? nullptr : file.c_str(), false))
        return Outcome::Succeeded;
    return unnamed && c.app.Document().GetFile().empty() ? c.Fail("no file was chosen") : Outcome::Failed;
}

// "pos" is a list of positions from 1, read up to its first empty field; 0
// (or anything that reads as 0) stands for the current material.
Outcome SetActive(Command& c, bool active)
{
    std::vector<std::string> fields;
    StrSplit(c.Param("pos"), fields, ",");
    bool changed = false;
    for (const std::string& field : fields) {
        if (field.empty())
            break;
        // Only -1 names the current material: a negative position is none.
        const long index = atoi(field.c_str()) - 1;
        if (index >= -1 && c.app.Document().SetActive(index, active))
            changed = true;
    }
    if (!changed)
        return c.Fail("no material changed at the positions \"" + c.Param("pos") + "\"");
    c.MaterialsChanged();
    return Outcome::Succeeded;
}

Outcome MaterialSelect(Command& c)
{
    return SetActive(c, true);
}

Outcome MaterialDeselect(Command& c)
{
    return SetActive(c, false);
}

Outcome MaterialActivate(Command& c)
{
    if (!c.Has("pos"))
        return c.Fail("no \"pos\" named");
    if (c.app.SelectMaterial(DProps::GetLong(c.record, "pos", 0) - 1) < 0)
        return c.Fail("no material at position \"" + c.Param("pos") + "\"");
    c.MaterialsChanged();
    return Outcome::Succeeded;
}

Outcome ProjectCalculate(Command& c)
{
    return Result(c.app.Calculate());
}

// "project.export.cuttings" writes the remnants export into the file the
// command names.
Outcome ProjectExport(Command& c)
{
    const std::string file = c.Param("file");
    if (file.empty())
        return c.Fail("no file named for the export");
    return c.app.ExportRemnants(file.c_str()) ? Outcome::Succeeded : c.Fail("cannot write the export to " + file);
}

Outcome MaterialAdd(Command& c)
{
    const std::string name = c.Param("name");
    const std::string desc = c.Param("desc");
    if (name.empty())
        return c.Fail("no \"name\" given");
    if (c.app.Document().FindMaterial(name.c_str()))
        return c.Fail("a material named \"" + name + "\" is there already");
    if (!c.app.Document().AddMaterial(name.c_str(), desc.c_str()))
        return c.Fail("the name \"" + name + "\" cannot be kept in a project file");
    // Current through the application, so the pages show it: the next
    // command may calculate it.
    c.app.SelectMaterial(c.app.Document().GetCount(false) - 1);
    c.MaterialsChanged();
    return Outcome::Succeeded;
}

Outcome MaterialDelete(Command& c)
{
    long index = -1;
    const std::string name = c.Param("name");
    if (!name.empty()) {
        if (!c.app.Document().FindMaterial(name.c_str(), &index))
            return c.Fail("no material named \"" + name + "\"");
    } else {
        index = DProps::GetLong(c.record, "pos", 0) - 1;
        // Only -1 names the current material: a negative position is no material.
        if (index < -1 || !c.app.Document().GetProject(index, false))
            return c.Fail("no material at position \"" + c.Param("pos") + "\"");
    }
    if (!c.app.DeleteMaterial(index))
        return c.Fail("the material was not deleted");
    c.MaterialsChanged();
    return Outcome::Succeeded;
}

// ---- The current material ------------------------------------------------------------------

// The order changed behind the pages' back: recounted, fingerprinted and
// checked again, and results that no longer fit the numbers are dropped,
// as after an edit on the source data page.
void RowsChanged(Command& c)
{
    c.app.ResetCurrentMaterialRows(*c.material);
}

// A rename goes through the same check as a name typed in a dialog: a name
// the project file cannot give back, or another material's name, would
// lose a material at the next save.
bool NameFits(Command& c, const char* name)
{
    if (!DCSSolution::MaterialNameFitsFile(name))
        return false;
    DCSProject* holder = c.app.Document().FindMaterial(name);
    return !holder || holder == c.material;
}

Outcome MaterialProps(Command& c)
{
    std::vector<std::pair<std::string, std::string>> values;
    {
        DAutoLock guard(&c.record.GetLock());
        for (int i = 0; i < c.record.Count(); ++i) {
            const char* key = c.record.GetKeyAt(i);
            if (key && *key && *key != '\\')
                values.emplace_back(key, StrFromText(c.record.GetValueAt(i)));
        }
    }
    bool set = false;
    for (const auto& value : values) {
        if (_stricmp(value.first.c_str(), "material") == 0 && !NameFits(c, value.second.c_str())) {
            c.reason = "the name \"" + value.second + "\" cannot be used";
            ULog::WriteText(&c.app.Log(), ("material.props: " + c.reason).c_str(), "ERR >> ");
            continue;
        }
        if (c.material->SetProperty(value.first.c_str(), value.second.c_str()))
            set = true;
    }
    if (!set)
        return c.Fail(c.reason.empty() ? std::string("no property was given") : c.reason);
    c.app.ResetCurrentMaterial();
    return Outcome::Succeeded;
}

Outcome StockAdd(Command& c)
{
    if (!c.material->ImportBlankRow(c.record))
        return c.Fail("a stock row needs a \"length\"");
    RowsChanged(c);
    return Outcome::Succeeded;
}

Outcome PartAdd(Command& c)
{
    if (!c.material->ImportPieceRow(c.record))
        return c.Fail("a part row needs a \"length\" and a \"quantity\"");
    RowsChanged(c);
    return Outcome::Succeeded;
}

Outcome StockDelete(Command& c)
{
    if (!c.material->DeleteBlankRow(DProps::GetLong(c.record, "pos", 0)))
        return c.Fail("the material has no stock row at position \"" + c.Param("pos") + "\"");
    RowsChanged(c);
    return Outcome::Succeeded;
}

Outcome PartDelete(Command& c)
{
    if (!c.material->DeletePieceRow(DProps::GetLong(c.record, "pos", 0)))
        return c.Fail("the material has no part row at position \"" + c.Param("pos") + "\"");
    RowsChanged(c);
    return Outcome::Succeeded;
}

// An order with errors is refused at once; otherwise the results page
// calculates and completes the application's request when it is done.
Outcome MaterialCalculate(Command& c)
{
    if (c.material->UpdateWarnings() & CheckError) {
        // The findings as the warnings list would show them, one text each.
        std::string findings;
        const DProps& warnings = c.material->GetWarnings();
        for (int i = 0; i < warnings.Count(); ++i) {
            const std::string text = c.app.GetStatusText(atol(StrFromText(warnings.GetKeyAt(i)).c_str()));
            if (findings.find(text) != std::string::npos)
                continue;
            findings += (findings.empty() ? "" : "; ") + text;
        }
        return c.Fail("the order has errors: " + findings);
    }
    OXRWindow* window = dynamic_cast<OXRWindow*>(c.app.MainWindow());
    c.app.AutomationRequest().Begin();
    ::PostMessageA(window->m_resultsPage->m_hWnd, WM_COMMAND, IDC_RESULTS_CALC, 0);
    return Outcome::Started;
}

// Rows of a delimited text, all or none, appended as the source data page
// appends what its import dialog read. Why a text was refused stands in the
// record's "error", which the runner's log shows.
Outcome ImportRows(Command& c, bool stock)
{
    DData table;
    const bool imported =
        ImportRecords(table, c.record) && AppendImportedRows(*c.material, table.Records(), stock ? RowsBlanks : RowsPieces);
    if (imported)
        RowsChanged(c);
    else if (c.Has("error"))
        ULog::WriteText(&c.app.Log(), (c.Param("\\command") + ": " + c.Param("error")).c_str(), "ERR >> ");
    c.app.OnAppEvent(kEventProjectDataChanged, 0);
    return Result(imported);
}

Outcome StocksImport(Command& c)
{
    return ImportRows(c, true);
}

Outcome PartsImport(Command& c)
{
    return ImportRows(c, false);
}

// ---- Reports ---------------------------------------------------------------------------------------

// A report that cannot be built has said why in a message, unless it
// merely came out without pages.
Outcome ReportBuild(Command& c, bool currentOnly)
{
    if (c.app.LoadReportLayouts(currentOnly))
        return Outcome::Succeeded;
    return AppReport().GetPageCount() == 0 ? c.Fail("the report has no pages") : Outcome::Failed;
}

Outcome ProjectReportBuild(Command& c)
{
    return ReportBuild(c, false);
}

Outcome MaterialReportBuild(Command& c)
{
    return ReportBuild(c, true);
}

// The system's sentence for an error number, with the number.
std::string SystemErrorText(DWORD error)
{
    char buffer[1024] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, buffer,
                   sizeof buffer, nullptr);
    std::string text = buffer;
    StrTrim(text);
    return StrFormatStatic("%s (error %lu)", text.c_str(), static_cast<unsigned long>(error));
}

// Why the report was not saved, from what the report wrote into the record.
std::string ReportSaveFailure(Command& c, const std::string& file, const std::string& format, bool html)
{
    if (file.empty())
        return "no \"file\" named";
    OXRReport& report = AppReport();
    if (!report.GetLayout() || report.GetPageCount() == 0)
        return "no report has been built";
    const long error = DProps::GetLong(c.record, "error", 0);
    if (error > 0)
        return "cannot write " + file + ": " + SystemErrorText(static_cast<DWORD>(error));
    if (html)
        return "the report cannot be written as HTML";
    if (error == -1)
        return "\"" + format + "\" is no format a report is saved in";
    return "cannot write the pages to " + file;
}

// HTML for "html" (or a file ending in .htm or .html without a format),
// page images of the file's own format otherwise.
Outcome ReportSave(Command& c)
{
    const std::string file = c.Param("file");
    std::string format = c.Param("format");
    if (format.empty()) {
        char extension[Helper::PathBufferSize] = "";
        Helper::SplitPath(file.c_str(), nullptr, nullptr, extension);
        format = extension;
        if (_stricmp(extension, "htm") == 0)
            format = "html";
    }
    const bool html = _stricmp(format.c_str(), "html") == 0;
    OXRReport& report = AppReport();
    if (!(html ? report.SaveHtml(c.record) : report.SaveImages(c.record)))
        return c.Fail(ReportSaveFailure(c, file, format, html));
    if (DProps::GetLong(c.record, "open", 0) == 1) {
        // The file's own program shows it; a browser opens an HTML file by
        // its path as well as by a file address. A file no program takes
        // stays unopened: the shell's box about it would wait for a person
        // the script may not have.
        const std::string full = Helper::GetFileInfo(file.c_str(), nullptr);
        c.app.OpenDocument(full.c_str(), false, true);
    }
    return Outcome::Succeeded;
}

// The printer list fills on its own thread after start-up: a script that
// prints at once gives it a few seconds.
void AwaitPrinters(OXRApp& app)
{
    const uint64_t start = TimeNowMs();
    for (;;) {
        {
            DAutoLock guard(app.GetPrinterLock());
            if (!app.PrinterNames().IsEmpty())
                return;
        }
        if (TimeNowMs() - start >= 5000)
            return;
        PumpMessageAndYield();
    }
}

// On the printer at "printer.index" of the list, else the one named by
// "printer"; never on one the user would have to choose.
Outcome ReportPrint(Command& c)
{
    AwaitPrinters(c.app);
    std::string name;
    if (c.Has("printer.index")) {
        const long index = DProps::GetLong(c.record, "printer.index", -1);
        DAutoLock guard(c.app.GetPrinterLock());
        if (index >= 0 && index < c.app.PrinterNames().Count())
            name = c.app.PrinterNames().KeyAt(index).ToStdString();
    }
    if (name.empty())
        name = c.Param("printer");
    StrTrim(name);
    if (name.empty())
        return c.Fail("no printer named");
    if (AppReport().GetPageCount() == 0)
        return c.Fail("no report has been built");
    if (!AppReport().Print(name.c_str()))
        return c.Fail("cannot print on \"" + name + "\"");
    return Outcome::Succeeded;
}

// ---- The runner's break -----------------------------------------------------------------------

Outcome Break(Command& c)
{
    if (c.app.AutomationRequest().IsPending()) {
        c.app.AutomationRequest().SetError("stopped when its time was up");
        c.app.OnAppEvent(kEventAutomationBreak, 0);
    }
    return Outcome::Unwritten;
}

struct CommandEntry {
    const char* name;
    Outcome (*run)(Command&);
    bool needsMaterial;
};

const CommandEntry kCommands[] = {
    {"project.open", ProjectOpen, false},
    {"project.exit", ProjectExit, false},
    {"project.save", ProjectSave, false},
    {"project.material.select", MaterialSelect, false},
    {"project.material.deselect", MaterialDeselect, false},
    {"project.material.activate", MaterialActivate, false},
    {"project.calculate", ProjectCalculate, false},
    {"project.export.cuttings", ProjectExport, false},
    {"project.material.add", MaterialAdd, false},
    {"project.material.del", MaterialDelete, false},
    {"material.props", MaterialProps, true},
    {"material.stock.add", StockAdd, true},
    {"material.stock.del", StockDelete, true},
    {"material.part.add", PartAdd, true},
    {"material.part.del", PartDelete, true},
    {"material.calculate", MaterialCalculate, true},
    {"material.stocks.import", StocksImport, true},
    {"material.parts.import", PartsImport, true},
    {"project.report.build", ProjectReportBuild, false},
    {"material.report.build", MaterialReportBuild, true},
    {"material.report.save", ReportSave, true},
    {"material.report.print", ReportPrint, true},
    {"$break", Break, false},
};

// The main window with its results page: every command but opening a
// project needs it.
bool HasResultsPage(OXRApp& app)
{
    OXRWindow* window = dynamic_cast<OXRWindow*>(app.MainWindow());
    return window && app.GetMainHwnd() && window->m_resultsPage && ::IsWindow(window->m_resultsPage->m_hWnd);
}

// The texts of the message boxes a command shows or answers silently, kept
// while it runs: they tell why it failed when the command cannot.
class MessageCollector {
public:
    explicit MessageCollector(OXRApp& app) : m_app(app) { m_previous = m_app.CollectCommandMessages(&m_texts); }
    ~MessageCollector() { m_app.CollectCommandMessages(m_previous); }
    MessageCollector(const MessageCollector&) = delete;
    MessageCollector& operator=(const MessageCollector&) = delete;

    std::string Joined() const
    {
        std::string joined;
        for (const std::string& text : m_texts)
            joined += (joined.empty() ? "" : " | ") + text;
        StrReplaceAll(joined, "\r\n", " ");
        return joined;
    }

private:
    OXRApp& m_app;
    std::vector<std::string>* m_previous = nullptr;
    std::vector<std::string> m_texts;
};

} // namespace

long OXRApp::ExecuteCommand(DProps* record, DProps* options)
{
    if (!record)
        return 0;
    const std::string name = DProps::GetString(record, "\\command", "");
    Command command{*this, *record, options, m_document.GetProject(-1, false), {}};
    m_automation = DProps::GetLong(options, "gui", 0) == 0 ? 1 : 0;

    const CommandEntry* entry = nullptr;
    for (const CommandEntry& e : kCommands) {
        if (_stricmp(e.name, name.c_str()) == 0) {
            entry = &e;
            break;
        }
    }
    // Nothing runs, and "\res" stays as it came; the script's log still
    // learns why. A comment line of a script is no command and asks for no
    // answer.
    if (!entry) {
        if (name != ";")
            record->Set("\\error", ("no command is named \"" + name + "\"").c_str());
        return 0;
    }
    if (entry->run != ProjectOpen && !HasResultsPage(*this)) {
        record->Set("\\error", "the main window is not there");
        return 0;
    }
    if (entry->needsMaterial && !command.material) {
        record->Set("\\error", "the project has no current material");
        return 0;
    }

    Outcome outcome;
    std::string messages;
    {
        MessageCollector collector(*this);
        outcome = entry->run(command);
        messages = collector.Joined();
    }
    switch (outcome) {
    case Outcome::Succeeded:
        record->Set("\\res", "0");
        return 0;
    case Outcome::Failed:
        if (!command.reason.empty())
            m_log.Write((name + ": " + command.reason).c_str(), nullptr, "ERR >> ");
        else
            command.reason = messages;
        if (!command.reason.empty())
            record->Set("\\error", command.reason.c_str());
        record->Set("\\res", "1");
        return 0;
    case Outcome::Started:
        return 1;
    case Outcome::Unwritten:
        break;
    }
    return 0;
}
