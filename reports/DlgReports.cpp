#include "reports/DlgReports.h"

#include <cstring>

#include "appsvc/AppSettingsKeys.h"
#include "controls/ICButton.h"
#include "controls/WinUtil.h"
#include "dialogs/DialogIds.h"
#include "dialogs/DlgOpenFile.h"
#include "document/HandBack.h"
#include "foundation/Helper.h"
#include "foundation/WindowMessages.h"
#include "reports/DlgReportsControls.h"
#include "reports/DlgReportsView.h"
#include "reports/OXRReport.h"
#include "reports/ReportIds.h"

namespace {

enum SaveChoice : UINT { SaveNothing = 0, SaveImage = 1, SaveHtml = 2 };

// The extension appended for each image filter, in the filters' order.
const char* const kFilterExtensions[] = {"jpg", "gif", "tiff", "png", "bmp"};

// The double-NUL lists of the save dialog.
const char kImageFilter[] = "JPEG files (*.jpg)\0*.jpg;*.jpeg;\0"
                            "GIF files (*.gif)\0*.gif;\0"
                            "TIFF files (*.tif)\0*.tif;*.tiff;\0"
                            "PNG files (*.png)\0*.png;\0"
                            "BMP files (*.bmp)\0*.bmp;\0";
const char kHtmlFilter[] = "HTML files (*.htm,*.html)\0*.htm;*.html;\0";

std::string Extension(const std::string& name)
{
    char extension[Helper::PathBufferSize] = "";
    if (!Helper::SplitPath(name.c_str(), nullptr, nullptr, extension))
        return std::string();
    return extension;
}

bool IsOneOf(const std::string& extension, std::initializer_list<const char*> known)
{
    for (const char* k : known)
        if (_stricmp(extension.c_str(), k) == 0)
            return true;
    return false;
}

// name + "." + extension; a name that already ends in "." takes only the
// extension, so "plan." does not become "plan..png".
std::string WithExtension(const std::string& name, const char* extension)
{
    if (!name.empty() && name.back() == '.')
        return name + extension;
    return name + "." + extension;
}

OXRReport* Report()
{
    return &AppReport();
}

} // namespace

DlgReports::DlgReports(CWnd* parent) : DlgFrame(IDD_REPORTS, parent, "dialog.reports", IDI_APPLICATION_ICON) {}

DlgReports::~DlgReports()
{
    // The panel and the view go before the window they live in.
    m_toolbar.reset();
    m_view.reset();
}

DlgClassPlacement& DlgReports::ClassPlacement()
{
    static DlgClassPlacement placement;
    return placement;
}

int& DlgReports::ImageFilterIndex()
{
    static int index = FilterJpeg;
    return index;
}

std::string DlgReports::ImageFileName(const std::string& name, int filter)
{
    if (IsOneOf(Extension(name), {"bmp", "jpeg", "gif", "tiff", "png", "jpg", "tif"}))
        return name;
    if (filter < FilterJpeg || filter > FilterBmp)
        filter = FilterJpeg;
    return WithExtension(name, kFilterExtensions[filter]);
}

std::string DlgReports::HtmlFileName(const std::string& name)
{
    if (IsOneOf(Extension(name), {"htm", "html"}))
        return name;
    return WithExtension(name, "html");
}

BOOL DlgReports::OnInitDialog()
{
    DlgFrame::OnInitDialog();
    OXRApp& app = App();
    ::SetWindowTextA(m_hWnd, Text("title", "Reports").c_str());

    // Placement: the one of this run, else the stored one, else centred.
    DlgClassPlacement& placement = ClassPlacement();
    if (placement.placement.state == Placement::Unset) {
        Placement read;
        if (ReadStoredPlacement(kSetPositionReports, read) && read.rectangle.right > read.rectangle.left &&
            read.rectangle.bottom > read.rectangle.top) {
            // A window put away minimised opens in its normal place.
            if (read.state == Placement::Minimized)
                read.state = Placement::Normal;
            placement.placement = read;
        }
    }
    if (placement.placement.state == Placement::Unset) {
        WinCenter(nullptr, m_hWnd);
        m_centred = true;
    }

    const RECT graph = ChildRect(GetDlgItem(IDC_REPORTS_GRAPH));
    const long margin = graph.left;
    m_backBrush.Reset(::CreateSolidBrush(app.GetNamedColor("report.back")));
    m_view = std::make_unique<DlgReportsView>();
    if (!m_view->Create(m_hWnd, graph, IDC_REPORTS_VIEW, ::GetSysColor(COLOR_APPWORKSPACE)))
        m_view.reset();
    auto* toolbar = new DlgReportsControls(this, m_hWnd);
    m_toolbar.reset(static_cast<DlgReportsControls*>(ICPanel::CreateAsChild(toolbar)));
    if (m_toolbar) {
        m_toolbar->SetView(m_view.get());
        // The panel is as high as its buttons and lists.
        const long size = m_toolbar->GetPreferredSize();
        ::SetWindowPos(m_toolbar->m_hWnd, nullptr, 0, 0, LOWORD(size), HIWORD(size),
                       SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }

    SetFont(IDOK, "buttNorm");
    WrapButton(IDOK, Text("close", "Close"), "");

    // Minimum size: the toolbar's width and 400 pixels; a smaller window
    // grows to it.
    UsePlacement(&placement, margin, &kSetPositionReports);
    SetMinimumHeight(MinHeight);
    RECT window = {0, 0, 0, 0};
    ::GetWindowRect(m_hWnd, &window);
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const long frameWidth = (window.right - window.left) - client.right;
    const long toolbarWidth = m_toolbar ? LOWORD(m_toolbar->GetPreferredSize()) : 0;
    placement.minWidth = toolbarWidth + margin + frameWidth;
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    if (width < placement.minWidth || height < MinHeight) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width < placement.minWidth ? placement.minWidth : width,
                       height < MinHeight ? MinHeight : height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        if (m_centred)
            WinCenter(nullptr, m_hWnd);
    }

    LayoutControls();
    if (OXRReport* report = Report())
        report->SetCurrentPage(0);
    app.OnAppEvent(kEventReportPageChanged, 0);
    app.OnAppEvent(kEventReportLayoutChanged, 0);
    if (m_view)
        ::ShowWindow(m_view->m_hWnd, SW_SHOW);
    ShowWindow(SW_SHOW);
    return TRUE;
}

void DlgReports::ReloadLocale()
{
    DlgFrame::ReloadLocale();
    if (m_toolbar)
        m_toolbar->ApplyLocale();
}

void DlgReports::LayoutControls()
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    const long margin = GetMargin();
    long top = 0;
    if (m_toolbar && m_toolbar->IsWindow()) {
        m_toolbar->Reposition(false);
        top = ChildRect(m_toolbar->m_hWnd).bottom;
    }
    HWND close = GetDlgItem(IDOK);
    RECT button = ChildRect(close);
    const long buttonWidth = button.right - button.left;
    const long buttonHeight = button.bottom - button.top;
    const long buttonTop = client.bottom - margin - buttonHeight;
    ::SetWindowPos(close, nullptr, client.right - margin - buttonWidth, buttonTop, 0, 0,
                   SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_view && m_view->IsWindow()) {
        const long bottom = buttonTop - margin;
        ::SetWindowPos(m_view->m_hWnd, nullptr, 0, top, client.right, bottom > top ? bottom - top : 0,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void DlgReports::OnAppEvent(long code)
{
    if (!IsWindow())
        return;
    const DWORD home = ::GetWindowThreadProcessId(m_hWnd, nullptr);
    if (home != ::GetCurrentThreadId()) {
        // An event raised on another thread is handled where the toolbar and
        // the lists live, never beside the window's own thread; a window
        // closed meanwhile hears nothing.
        const HWND window = m_hWnd;
        PostHandBack(home, [this, window, code] {
            if (CWnd::FromHandle(window) == this)
                HandleEvent(code);
        });
        return;
    }
    HandleEvent(code);
}

void DlgReports::HandleEvent(long code)
{
    if (m_toolbar && m_toolbar->IsWindow())
        m_toolbar->OnAppEvent(code, nullptr);
    if (m_view)
        m_view->OnAppEvent(code);
    if (code == kEventReportLayoutChanged)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT DlgReports::OnPanelCommandMsg(WPARAM wParam, LPARAM lParam)
{
    if (static_cast<long>(wParam) != IDD_REPORTS_TOOLBAR)
        return 0;
    OnToolbarNotify(LOWORD(lParam));
    return 0;
}

LRESULT DlgReports::OnPanelQueryOffsetMsg(WPARAM, LPARAM)
{
    return 0;
}

void DlgReports::OnToolbarNotify(UINT id)
{
    OXRApp& app = App();
    OXRReport* report = Report();
    switch (id) {
    case IDC_REPORTS_PRINT:
        PrintReport();
        break;
    case IDC_REPORTS_SAVE:
        SaveReport();
        break;
    case IDC_REPORTS_FITW:
        if (m_view)
            m_view->SetFitMode(DlgReportsView::FitWindow);
        break;
    case IDC_REPORTS_FITH:
        if (m_view)
            m_view->SetFitMode(DlgReportsView::FitWidth);
        break;
    case IDC_REPORTS_NEXT:
    case IDC_REPORTS_PREV:
        if (report) {
            report->StepPage(id == IDC_REPORTS_NEXT);
            if (m_view)
                m_view->Refresh();
            app.OnAppEvent(kEventReportPageChanged, 0);
        }
        break;
    default:
        break;
    }
}

bool DlgReports::PrintReport()
{
    OXRApp& app = App();
    OXRReport* report = Report();
    if (!report)
        return false;
    std::string failure;
    if (report->Print(app.SelectPrinter(nullptr).GetText(), &failure))
        return true;
    if (!failure.empty()) {
        DProps variables;
        variables.Set("reason", failure.c_str());
        const std::string text =
            ExpandVariables(app.GetMessageText("print.failed", "Cannot print: ${reason}").c_str(), variables);
        app.ReportError(text.c_str());
    }
    return false;
}

bool DlgReports::SaveReport()
{
    OXRApp& app = App();
    OXRReport* report = Report();
    if (!report)
        return false;
    const UINT choice = PopupMenuAtCursor(m_hWnd, {{SaveImage, Text("save.image", "Save as image"), true},
                                                   {SaveHtml, Text("save.html", "Save as HTML"), true}});
    if (choice != SaveImage && choice != SaveHtml)
        return false;
    const std::string title = Text("save.title", "Choose file name");
    char file[Helper::LongPathLimit] = "";
    DProps props;
    bool saved = false;
    std::string name;
    if (choice == SaveImage) {
        int filter = ImageFilterIndex();
        if (!Helper::SaveFileDialog(nullptr, &filter, file, m_hWnd, title.c_str(), sizeof(file), kImageFilter))
            return false;
        ImageFilterIndex() = filter;
        name = ImageFileName(file, filter);
        props.Set("file", name.c_str());
        saved = report->SaveImages(props);
    } else {
        int filter = 0;
        if (!Helper::SaveFileDialog(nullptr, &filter, file, m_hWnd, title.c_str(), sizeof(file), kHtmlFilter))
            return false;
        name = HtmlFileName(file);
        props.Set("file", name.c_str());
        saved = report->SaveHtml(props);
        if (saved)
            app.Log().Write(("Report is saved to html file " + name).c_str(), nullptr, "");
    }
    if (!saved) {
        std::string text = Text("save.error", "Cannot save file");
        const std::string error = DProps::GetString(props, "error", "");
        if (!error.empty())
            text += " (" + error + ")";
        app.ReportError(text.c_str());
        return false;
    }
    DlgOpenFile box(this);
    DProps params;
    params.Set("file", name.c_str());
    if (box.SetParams(params))
        box.DoModal();
    return true;
}

const CMessageMap* DlgReports::GetMessageMap() const
{
    static const CMessageMapOf<DlgReports> map = CMessageMapOf<DlgReports>(DlgFrame::GetMessageMap())
                                                     .On(WM_PANEL_COMMAND, &DlgReports::OnPanelCommandMsg)
                                                     .On(WM_PANEL_QUERY_OFFSET, &DlgReports::OnPanelQueryOffsetMsg)
                                                     .On(WM_ERASEBKGND, &DlgReports::OnEraseBkgndMsg)
                                                     .On(WM_PAINT, &DlgReports::OnPaintMsg)
                                                     .On(WM_SIZE, &DlgReports::OnSizeReportMsg);
    return &map;
}

LRESULT DlgReports::OnEraseBkgndMsg(WPARAM wParam, LPARAM)
{
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(m_backBrush.Get()));
    return 1;
}

LRESULT DlgReports::OnPaintMsg(WPARAM, LPARAM)
{
    if (!::IsIconic(m_hWnd))
        return Default();
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    if (m_icon)
        ::DrawIcon(dc, (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
                   (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2, m_icon);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT DlgReports::OnSizeReportMsg(WPARAM wParam, LPARAM lParam)
{
    // The frame remembers the placement and lays the children out.
    LRESULT result = OnSizeMsg(wParam, lParam);
    if (!::IsWindowVisible(m_hWnd))
        return result;
    StorePlacement();
    if (wParam == SIZE_MINIMIZED) {
        if (HWND main = App().GetMainHwnd())
            ::ShowWindow(main, SW_MINIMIZE);
    }
    return result;
}

void DlgReports::StorePlacement()
{
    OXRApp* app = GetApp();
    if (app)
        SetSetting(app->Settings(), kSetPositionReports, ClassPlacement().placement.ToText().c_str(), true);
}
