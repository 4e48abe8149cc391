// The application's report commands: loading the layouts and starting the
// report, choosing its layout and its colours.
#include <string>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/AppSettingsKeys.h"
#include "appsvc/OXRApp.h"
#include "document/AppEvents.h"
#include "foundation/DParser.h"
#include "foundation/StrUtil.h"
#include "reports/OXRLayout.h"
#include "reports/OXRReport.h"

namespace {

// The name of the registered layout at position index, out of range the first.
UString LayoutNameAt(long index)
{
    OXRLayoutRegistry& registry = OXRLayout::Registry();
    const long count = static_cast<long>(registry.size());
    if (index < 0 || index >= count)
        index = 0;
    OXRLayout* layout = count > 0 ? registry.GetValueAt(index) : nullptr;
    return layout ? layout->GetName() : UString();
}

// The layout folders as a warning names them: the data folder's and the
// program's, in the order they are read.
UString LayoutFolders()
{
    const UStringList folders = OXRLayout::Folders(App().MakeDataPath("DATA").GetText());
    return UStringList::Join(&folders, false, "; ");
}

// The warning of the key, with the layout folders in ${folders}.
void WarnNoLayout(const char* key, const char* def)
{
    DProps variables;
    variables.Set("folders", LayoutFolders().GetText());
    const std::string text = ExpandVariables(App().GetMessageText(key, def).c_str(), variables);
    App().ShowMessage(nullptr, nullptr, text.c_str(), MB_ICONWARNING, IDOK);
}

const char* const kNoLayoutFiles = "No layout files found in ${folders}";
const char* const kNoLayoutChosen = "No layout specified (${folders})";

} // namespace

OXRReport& OXRApp::Report()
{
    if (!m_report)
        m_report = MakeAppOwned(new OXRReport);
    return *m_report;
}

bool ReportBuildFailure()
{
    OXRApp& app = App();
    const UString message = AppReport().GetErrorText();
    if (!message.HasText(true))
        return false;
    DProps variables;
    variables.Set("error.message", message.GetText());
    const std::string text = LocaleLineBreaks(
        ExpandVariables(app.GetMessageText("report.error", "Cannot build the report.\\r\\n${error.message}").c_str(),
                        variables));
    app.ReportError(text.c_str(), app.GetMessageText("report.title", "Report").c_str(), true);
    return true;
}

bool OXRApp::LoadReportLayouts(bool currentOnly)
{
    OXRReport& report = AppReport();
    if (!OXRLayout::LoadAll(MakeDataPath("DATA").GetText())) {
        WarnNoLayout("report.layouts.missing", kNoLayoutFiles);
        return false;
    }
    report.SetWholeProject(!currentOnly);
    const UString colors = GetSetting(m_settings, kSetReportColors);
    const long scheme = colors.ToLong();
    if (scheme != report.GetColorMode())
        report.SetColorMode(static_cast<int>(scheme));
    report.SelectLayout(LayoutNameAt(GetSetting(m_settings, kSetReportLayout).ToLong()).GetText(), false);
    if (!report.GetLayout()) {
        WarnNoLayout("report.layout.missing", kNoLayoutChosen);
        return false;
    }
    report.SetMaterial(currentOnly ? m_document.GetProject(-1, false) : nullptr);
    report.SetErrorCode(0);
    report.Build();
    // A new report window starts at the first page, also with pages from the cache.
    report.SetCurrentPage(0);
    return report.GetPageCount() > 0;
}

void OXRApp::SelectReportLayout(long index)
{
    if (index < 0 || index >= static_cast<long>(OXRLayout::Registry().size()))
        index = 0;
    bool built = false;
    {
        BusyCursorScope busy;
        built = AppReport().SelectLayout(LayoutNameAt(index).GetText(), true);
        SetSetting(m_settings, kSetReportLayout, StrFromLong(index).c_str(), true);
        OnAppEvent(kEventReportLayoutChanged, 0);
        if (m_mainWindow && ::IsWindow(m_mainWindow->m_hWnd)) {
            m_mainWindow->UpdateFileMenu();
            ::RedrawWindow(m_mainWindow->m_hWnd, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        }
    }
    if (built)
        ReportBuildFailure();
    else
        WarnNoLayout("report.layout.missing", kNoLayoutChosen);
}

bool OXRApp::SelectReportColors(long scheme)
{
    if (scheme < OXRReport::kColorAuto || scheme > OXRReport::kColorMono)
        return false;
    bool rebuilt = false;
    {
        BusyCursorScope busy;
        OXRReport& report = AppReport();
        if (scheme != report.GetColorMode()) {
            report.SetColorMode(static_cast<int>(scheme));
            report.Build();
            rebuilt = true;
        }
        SetSetting(m_settings, kSetReportColors, StrFromLong(scheme).c_str(), true);
        OnAppEvent(kEventReportLayoutChanged, 0);
    }
    if (rebuilt)
        ReportBuildFailure();
    return true;
}
