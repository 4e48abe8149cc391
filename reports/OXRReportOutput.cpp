// The report on paper and as image files.
#include "reports/OXRReport.h"

#include <commdlg.h>

#include <cctype>
#include <string>

#include "appsvc/BusyCursorScope.h"
#include "appsvc/OXRApp.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "foundation/ULog.h"
#include "foundation/UPairList.h"
#include "reports/OXRLayout.h"
#include "reports/Printers.h"

namespace {

// The image format an extension names: "jpg" is "jpeg", "tif" is "tiff";
// empty when no image format of ours has it.
std::string ImageFormatOf(const char* extension)
{
    std::string format = extension ? extension : "";
    for (char& c : format)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (format == "jpg")
        format = "jpeg";
    else if (format == "tif")
        format = "tiff";
    for (const char* known : {"bmp", "jpeg", "gif", "tiff", "png"})
        if (format == known)
            return format;
    return std::string();
}

} // namespace

bool OXRReport::Print(const char* printerName, std::string* failure)
{
    std::string ignored;
    std::string& why = failure ? *failure : ignored;
    why.clear();
    const std::string name = printerName ? printerName : "";
    DProps variables;
    variables.Set("printer", name.c_str());
    const auto fail = [&why, &variables](const char* key, const char* def) {
        why = ExpandVariables(App().GetMessageText(key, def).c_str(), variables);
        return false;
    };
    if (m_pageFiles.empty())
        return fail("print.nopages", "The report has no pages.");
    OXRLayout* layout = GetLayout();
    if (!layout)
        return fail("print.nolayout", "The report has no layout.");
    BusyCursorScope busy;
    // Paper is monochrome unless colour was asked for.
    const bool mono = m_colorMode != kColorColor;
    const RECT page = LayoutPageRect(layout);
    PrinterDC printer;
    if (!printer.Open(name.c_str(), page.right < page.bottom)) {
        // A print dialog closed without a printer is the user's choice.
        if (name.empty() && CommDlgExtendedError() == 0)
            return false;
        return name.empty() ? fail("print.nodialog", "The print dialog gave no printer.")
                            : fail("print.noprinter", "The printer \"${printer}\" cannot be opened.");
    }
    HDC dc = printer.GetDC();

    const UString title = layout->GetTitle();
    SIZE viewport = {};
    GetViewportExtEx(dc, &viewport);
    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, page.right, page.bottom, nullptr);
    SetViewportExtEx(dc, viewport.cx, viewport.cy, nullptr);

    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title.GetText();
    if (StartDocA(dc, &doc) <= 0)
        return fail("print.refused", "The printer refused the job.");
    PrepareLayout(layout);
    layout->RestartPages();
    // Page numbers count the pages of the report as built, whatever the
    // layout drew last (a report from the cache draws nothing).
    layout->Params().Set("pages", StrFromLong(GetPageCount()).c_str());
    // The page that failed, counted from 1; 0 while none has.
    int failedPage = 0;
    for (int index = 0; index < GetPageCount(); ++index) {
        if (StartPage(dc) <= 0) {
            failedPage = index + 1;
            break;
        }
        const bool more = layout->DrawPage(dc, index, mono);
        if (EndPage(dc) <= 0) {
            failedPage = index + 1;
            break;
        }
        // A report that ends early must not start over on the next sheet.
        if (!more)
            break;
    }
    const bool ended = failedPage == 0 && EndDoc(dc) > 0;
    if (failedPage != 0)
        AbortDoc(dc);
    layout->RestartPages();
    if (ended)
        return true;
    if (failedPage == 0)
        return fail("print.unfinished", "The printer did not finish the job.");
    variables.Set("page", StrFromLong(failedPage).c_str());
    return fail("print.page", "Page ${page} could not be printed.");
}

bool OXRReport::SaveImages(DProps& properties)
{
    const UString target(DProps::GetString(properties, "file", "").c_str());
    if (!target.HasText(true))
        return false;
    UString folder;
    UString extension;
    UString base;
    PathSplit(target.GetText(), &folder, nullptr, &extension);
    PathName(target.GetText(), &base, nullptr);
    const std::string format = ImageFormatOf(extension.GetText());

    UPairList options;
    const std::string quality = DProps::GetString(properties, "quality", "");
    options.Set("quality", UString(quality.c_str()).HasText(true) ? quality.c_str() : kDefaultQuality);

    long saved = 0;
    bool failed = false;
    for (int k = 1; k <= GetPageCount(); ++k) {
        UString destination = target;
        if (k > 1) {
            UString name;
            name.Format("%s.page%ld.%s", base.GetText(), static_cast<long>(k), extension.GetText());
            PathJoin(destination, folder.GetText(), name.GetText());
        }
        const char* page = m_pageFiles[static_cast<size_t>(k - 1)].GetText();
        if (!format.empty() && ConvertImageFile(format.c_str(), page, destination.GetText(), &options)) {
            ++saved;
            properties.Set(StrFormatStatic("file.%ld", saved).c_str(), destination.GetText());
            UString text;
            if (GetPageCount() == 1)
                text.Format("Report saved to file %s", destination.GetText());
            else
                text.Format("Page %ld of the Report saved to file %s", static_cast<long>(k), destination.GetText());
            ULog::WriteText(&App().Log(), text.GetText());
        } else {
            // The system's reason when the file could not be written, -1
            // when the page could not be made into an image of the format.
            const DWORD error = format.empty() ? ERROR_SUCCESS : GetLastError();
            properties.SetLong("error", error != ERROR_SUCCESS ? static_cast<long>(error) : -1);
            ULog::WriteText(&App().Log(), "Cannot save report file", "ERR >> ");
            failed = true;
        }
    }
    if (failed)
        return false;
    properties.Set("path", folder.GetText());
    return saved > 0;
}
