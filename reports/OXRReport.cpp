// The report object: choosing the layout, building the pages in two passes
// with their cache, paging, and the HTML file.
#include "reports/OXRReport.h"

#include <exception>
#include <memory>
#include <string>

#include "appsvc/AppSettingsKeys.h"
#include "appsvc/DlgStartup.h"
#include "appsvc/OXRApp.h"
#include "controls/UDraw.h"
#include "document/AppEvents.h"
#include "document/DCSProject.h"
#include "foundation/DParser.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "foundation/ULog.h"
#include "reports/OXRLayout.h"

namespace {

constexpr const char* kErrorPrefix = "ERR >> ";

void LogError(const char* text) { ULog::WriteText(&App().Log(), text, kErrorPrefix); }

// A system error code that says something: some failing calls leave none.
long ErrorOr(long fallback)
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<long>(error) : fallback;
}

// The layout's page rectangle from its size keys and draw scale.
RECT PageRectOf(const OXRLayout& layout)
{
    const double scale = layout.GetDrawScale();
    RECT r = {0, 0, static_cast<LONG>(RoundToLong(layout.ParamLong("draw.size.x") * scale)),
              static_cast<LONG>(RoundToLong(layout.ParamLong("draw.size.y") * scale))};
    return r;
}

// The banner of a build, shown over the report window unless nobody looks.
class BuildBanner {
public:
    BuildBanner()
    {
        OXRApp& app = App();
        CWnd* parent = dynamic_cast<CWnd*>(app.ReportWindow());
        if (!parent)
            parent = app.MainWindow();
        m_banner = DlgStartup::ShowForApp(parent,
                                          app.GetMessageText("report.building", "Building the Report...").c_str(),
                                          app.GetMessageText("report.prepare", "Preparing...").c_str());
    }
    ~BuildBanner()
    {
        // Hiding lets the mouse go before the window goes.
        if (m_banner)
            m_banner->Hide();
    }
    DlgStartup* Get() const { return m_banner.get(); }

private:
    std::unique_ptr<DlgStartup> m_banner;
};

void ShowProgress(DlgStartup* banner, int pass, int page)
{
    if (!banner)
        return;
    DProps bag;
    bag.SetLong("pass", pass);
    bag.SetLong("page", page);
    const std::string text =
        ExpandVariables(App().GetMessageText("report.progress", "Pass ${pass}, page ${page}...").c_str(), bag);
    banner->SendStatus(text.c_str());
}

// A temporary file name nobody holds: the names come from the tick count,
// and pages are drawn faster than it moves. The file is made empty, so the
// next name taken differs.
UString ReserveTempFile(const char* prefix, const char* extension)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        UString lead(prefix ? prefix : "");
        if (attempt > 0)
            lead.Append(StrFromLong(attempt).c_str()).Append("_");
        const UString path = App().MakeTempFileName(lead.GetText(), extension);
        HANDLE file = CreateFileA(path.GetText(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return path;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return UString();
}

// A memory DC compatible with the screen, both released together.
class PageCanvas {
public:
    PageCanvas() : m_screen(GetDC(nullptr)), m_memory(CreateCompatibleDC(m_screen)) {}
    ~PageCanvas()
    {
        if (m_memory)
            DeleteDC(m_memory);
        if (m_screen)
            ReleaseDC(nullptr, m_screen);
    }
    PageCanvas(const PageCanvas&) = delete;
    PageCanvas& operator=(const PageCanvas&) = delete;
    HDC Screen() const { return m_screen; }
    HDC Memory() const { return m_memory; }

private:
    HDC m_screen;
    HDC m_memory;
};

} // namespace

OXRReport& AppReport()
{
    return App().Report();
}

OXRReport::OXRReport()
{
    if (OXRApp* app = GetApp()) {
        const long mode = GetSetting(app->Settings(), kSetReportColors).ToLong();
        m_colorMode = mode >= kColorAuto && mode <= kColorMono ? static_cast<int>(mode) : kColorAuto;
    }
}

OXRReport::~OXRReport()
{
    DeleteCachedFiles();
    DeletePageBitmap();
}

OXRLayout* OXRReport::GetLayout()
{
    if (m_layout && m_layoutGeneration != OXRLayout::RegistryGeneration())
        m_layout = nullptr;
    return m_layout;
}

UString OXRReport::GetErrorText() const
{
    if (m_errorCode == 0)
        return UString();
    char buffer[4096] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   static_cast<DWORD>(m_errorCode), 0, buffer, sizeof buffer, nullptr);
    if (n == 0)
        return UString();
    UString text(buffer);
    return text.Trim(true);
}

void OXRReport::SetCurrentPage(int page)
{
    if (page >= 0 && page < GetPageCount())
        m_currentPage = page;
}

bool OXRReport::SetColorMode(int mode)
{
    if (mode < kColorAuto || mode > kColorMono)
        return false;
    m_colorMode = mode;
    return true;
}

void OXRReport::DeletePageBitmap()
{
    if (m_pageBitmap)
        DeleteObject(m_pageBitmap);
    m_pageBitmap = nullptr;
}

void OXRReport::DeleteCachedFiles()
{
    for (const DProps& entry : m_pageCache)
        for (int i = 0; i < entry.Count(); ++i)
            if (const char* path = entry.GetValueAt(i))
                if (*path)
                    FileDelete(path, true);
    m_pageCache.clear();
}

void OXRReport::DiscardPageFiles()
{
    for (const UString& path : m_pageFiles)
        FileDelete(path.GetText(), true);
    m_pageFiles.clear();
    m_currentPage = 0;
}

RECT OXRReport::LayoutPageRect(OXRLayout* layout) const
{
    return layout ? PageRectOf(*layout) : RECT{0, 0, 0, 0};
}

// ---- Selecting and building -----------------------------------------------------------

bool OXRReport::SelectLayout(const char* name, bool build)
{
    if (!name || !*name)
        return false;
    m_layout = OXRLayout::Registry().Get(name);
    m_layoutGeneration = OXRLayout::RegistryGeneration();
    if (!m_layout)
        return false;
    m_layout->Init(nullptr);
    // A page that cannot hold anything would build blank pages as a report
    // that succeeded: the layout is refused, and nothing of the report it
    // replaces stays on show.
    const UString problem = m_layout->PageProblem();
    if (!problem.IsEmpty()) {
        UString text;
        text.Format("Layout file %s cannot be drawn: %s", m_layout->GetPath().GetText(), problem.GetText());
        LogError(text.GetText());
        m_layout = nullptr;
        m_pageFiles.clear();
        m_currentPage = 0;
        DeletePageBitmap();
        return false;
    }
    m_layout->SetWholeProject(m_wholeProject);
    if (build) {
        Build();
        m_currentPage = 0;
        App().OnAppEvent(kEventReportPageChanged, 0, this);
    }
    return true;
}

DCSProject* OXRReport::PrepareLayout(OXRLayout* layout)
{
    OXRApp& app = App();
    const long projects = m_material ? 1 : app.Document().GetCount(true);
    layout->Params().Set("projects", StrFromLong(projects).c_str());
    DCSProject* material = m_material ? m_material : app.Document().GetProject(0, true);
    layout->SetProject(material);
    return material;
}

UString OXRReport::MakeCacheKey(bool mono)
{
    OXRLayout* layout = GetLayout();
    if (!layout)
        return UString();
    OXRApp& app = App();
    const std::string content = m_material ? m_material->GetContentId() : app.Document().GetContentId();
    UString key;
    key.Format("%s.%s.%s.%s", content.c_str(), layout->GetName().GetText(), mono ? "MONO" : "COLOR",
               DProps::GetString(app.Globals(), "globals.crc32", "").c_str());
    return key;
}

bool OXRReport::TakeFromCache(const UString& key)
{
    for (auto entry = m_pageCache.begin(); entry != m_pageCache.end(); ++entry) {
        if (entry->Name() != key.ToStdString())
            continue;
        std::vector<UString> files;
        for (long n = 0;; ++n) {
            const std::string path = DProps::GetString(*entry, StrFromLong(n).c_str(), "");
            if (!UString(path.c_str()).HasText(true))
                break;
            files.emplace_back(path.c_str());
        }
        // The temporary folder may have been emptied under the report: such
        // an entry is built again rather than shown with pages missing.
        bool whole = !files.empty();
        for (const UString& file : files)
            whole = whole && PathExistsA(file.GetText()) == 1;
        if (!whole) {
            m_pageCache.erase(entry);
            return false;
        }
        m_pageFiles = files;
        if (m_currentPage >= GetPageCount())
            m_currentPage = 0;
        return true;
    }
    return false;
}

void OXRReport::Build()
{
    OXRLayout* layout = GetLayout();
    if (!layout)
        return;
    const bool mono = m_colorMode == kColorMono;
    BuildBanner banner;
    m_errorCode = 0;
    PrepareLayout(layout);

    const UString key = MakeCacheKey(mono);
    if (TakeFromCache(key)) {
        DeletePageBitmap();
        m_pageRect = LayoutPageRect(layout);
        return;
    }

    // Pass 1 paginates (the layout learns the page count); only the pages
    // of pass 2 are kept.
    bool complete = true;
    for (int pass = 1; pass <= 2 && complete; ++pass)
        complete = DrawPass(layout, pass, mono, banner.Get());
    DeletePageBitmap();
    if (!complete) {
        // A report that stopped short is no report: nothing of it is shown
        // or cached, and the error code tells why.
        DiscardPageFiles();
        return;
    }
    if (m_pageFiles.empty())
        return;
    DProps entry;
    entry.Name(key.GetText());
    for (size_t i = 0; i < m_pageFiles.size(); ++i)
        entry.Set(StrFromLong(static_cast<long>(i)).c_str(), m_pageFiles[i].GetText());
    m_pageCache.push_back(entry);
}

bool OXRReport::DrawPass(OXRLayout* layout, int pass, bool mono, DlgStartup* banner)
{
    m_currentPage = 0;
    m_pageFiles.clear();
    DeletePageBitmap();

    PageCanvas canvas;
    m_pageRect = LayoutPageRect(layout);
    PrepareLayout(layout);
    // Whatever cut the last pass short, this one starts at the first item.
    layout->RestartPages();

    bool ok = true;
    bool more = true;
    for (int index = 0; more; ++index) {
        if (index >= kPageLimit) {
            UString text;
            text.Format("The report exceeds %d pages: its layout never completes", kPageLimit);
            LogError(text.GetText());
            m_errorCode = ERROR_INVALID_DATA;
            ok = false;
            break;
        }
        ShowProgress(banner, pass, index + 1);
        if (!m_pageBitmap) {
            for (int attempt = 0; attempt < 2 && !m_pageBitmap; ++attempt) {
                SetLastError(ERROR_SUCCESS);
                m_pageBitmap = CreateCompatibleBitmap(canvas.Screen(), m_pageRect.right, m_pageRect.bottom);
                if (!m_pageBitmap) {
                    m_errorCode = ErrorOr(ERROR_NOT_ENOUGH_MEMORY);
                    UString text;
                    text.Format("GDI error = %ld", m_errorCode);
                    LogError(text.GetText());
                }
            }
            if (!m_pageBitmap) {
                ok = false;
                break;
            }
        }
        HGDIOBJ old = SelectObject(canvas.Memory(), m_pageBitmap);
        PatBlt(canvas.Memory(), 0, 0, m_pageRect.right, m_pageRect.bottom, WHITENESS);
        more = layout->DrawPage(canvas.Memory(), index, mono);
        SelectObject(canvas.Memory(), old);

        if (pass == 2) {
            const UString path = ReserveTempFile("r", "bmp");
            SetLastError(ERROR_SUCCESS);
            if (path.IsEmpty() || !BitmapSave(m_pageBitmap, path.GetText())) {
                m_errorCode = ErrorOr(ERROR_WRITE_FAULT);
                LogError("Internal error during creation the report");
                if (!path.IsEmpty())
                    FileDelete(path.GetText(), true);
                ok = false;
                break;
            }
            m_pageFiles.push_back(path);
        }
    }
    if (!ok)
        layout->RestartPages();
    return ok;
}

// ---- Pages -------------------------------------------------------------------------------

HBITMAP OXRReport::GetPageBitmap(int page)
{
    if (page == -1)
        page = m_currentPage;
    if (page < 0 || page >= GetPageCount())
        return nullptr;
    DeletePageBitmap();
    m_pageBitmap = BitmapLoad(m_pageFiles[static_cast<size_t>(page)].GetText());
    return m_pageBitmap;
}

int OXRReport::StepPage(bool forward)
{
    const int next = m_currentPage + (forward ? 1 : -1);
    if (next >= 0 && next < GetPageCount())
        m_currentPage = next;
    // Told after the move, so whoever shows the page number shows the new one.
    App().OnAppEvent(kEventReportPageChanged, 0, this);
    return m_currentPage;
}

// ---- HTML --------------------------------------------------------------------------------

bool OXRReport::SaveHtml(DProps& properties)
{
    const std::string file = DProps::GetString(properties, "file", "");
    if (file.empty()) {
        properties.SetLong("error", -1);
        return false;
    }
    OXRLayout* layout = GetLayout();
    if (!layout) {
        properties.SetLong("error", -2);
        return false;
    }
    PrepareLayout(layout);
    // The scheme of the report as it is now: a report taken from the cache
    // drew nothing, so the layout may still hold another build's scheme.
    if (properties.IndexOf("mono") < 0)
        layout->SetMono(m_colorMode == kColorMono);
    std::string text;
    if (!layout->WriteHtml(text, &properties)) {
        properties.SetLong("error", -3);
        return false;
    }
    DProps options;
    options.Set("encoding", "utf-8");
    options.CopyFrom(&properties);
    long written = 0;
    try {
        written = Helper::WriteTextFile(file.c_str(), text.c_str(), &options);
    } catch (const std::exception&) {
        // No memory for the converted copy: nothing was written.
        properties.SetLong("error", -3);
        return false;
    }
    if (written == 0) {
        const long error = DProps::GetLong(options, "error");
        properties.SetLong("error", error);
        UString trace;
        trace.Format("Cannot create file %s (err=%ld)", file.c_str(), error);
        OutputDebugStringA(trace.GetText());
        return false;
    }
    return true;
}
