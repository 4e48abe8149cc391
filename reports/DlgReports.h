// The report window: the built report page by page, with the toolbar to
// choose layout, colour mode and printer, to print and to save the report
// as images or HTML. Modal and resizable; the application forwards its
// events to it while it exists.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "appsvc/OXRApp.h"
#include "controls/UDraw.h"
#include "dialogs/DlgFrame.h"

class DlgReportsControls;
class DlgReportsView;

class DlgReports : public DlgFrame, public DAppReportWindow {
public:
    // The lowest height the window can be given.
    static constexpr long MinHeight = 400;
    // The image save dialog's filters, in the order of the dialog's list.
    enum ImageFilter { FilterJpeg, FilterGif, FilterTiff, FilterPng, FilterBmp };

    explicit DlgReports(CWnd* parent);
    ~DlgReports() override;

    // kEventReportLayoutChanged, kEventReportPageChanged and
    // kEventPrintersEnumerated: to the toolbar and the view (a layout change
    // also repaints the window). An event raised on another thread is carried
    // over to the window's own thread first.
    void OnAppEvent(long code) override;
    void ReloadLocale() override;

    DlgReportsControls* GetToolbar() const { return m_toolbar.get(); }
    DlgReportsView* GetView() const { return m_view.get(); }
    // The placement shared by every opening in this run.
    static DlgClassPlacement& ClassPlacement();
    // The image filter the next image save starts with.
    static int& ImageFilterIndex();

    // The file name a save takes: name with "." and the filter's extension
    // appended unless it already ends in one of the known extensions.
    static std::string ImageFileName(const std::string& name, int filter);
    static std::string HtmlFileName(const std::string& name);

protected:
    BOOL OnInitDialog() override;
    void LayoutControls() override;
    // A toolbar button's command.
    void OnToolbarNotify(UINT id);
    // Asks how and where, saves, and names the file or the failure.
    bool SaveReport();
    // Prints on the current printer; a failure is shown and logged.
    bool PrintReport();

    const CMessageMap* GetMessageMap() const override;
    LRESULT OnPanelCommandMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelQueryOffsetMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBkgndMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnPaintMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSizeReportMsg(WPARAM wParam, LPARAM lParam);

private:
    void HandleEvent(long code);
    void StorePlacement();

    std::unique_ptr<DlgReportsControls> m_toolbar;
    std::unique_ptr<DlgReportsView> m_view;
    UGdiObject m_backBrush;
    bool m_centred = false;
};
