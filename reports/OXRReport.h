// The application's one report: the layout chosen for it, the report built
// into page images (two passes through the layout's page painter, the pages
// of the second kept as temporary bitmap files), a cache of built page lists
// keyed by the content they show, paging for the preview, printing, and
// saving as image files or as one HTML file. UI thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/DProps.h"
#include "foundation/UString.h"

class DCSProject;
class DlgStartup;
class OXRLayout;

class OXRReport {
public:
    // The colour mode: automatic draws in colour and prints in monochrome.
    enum ColorMode : int { kColorAuto = 0, kColorColor = 1, kColorMono = 2 };
    // A pass ends after this many pages even when the layout claims more:
    // a table that never completes must not fill the disk. Far above any
    // real report.
    static constexpr int kPageLimit = 500;
    // The default JPEG quality of saved images.
    static constexpr const char* kDefaultQuality = "85";

    // No layout, no pages, no material; the colour mode from "report.colors".
    OXRReport();
    // Deletes every cached page file and the page bitmap.
    ~OXRReport();
    OXRReport(const OXRReport&) = delete;
    OXRReport& operator=(const OXRReport&) = delete;

    // Takes the registered layout of that name (none when it is not
    // registered) and prepares it; with build the report is built and shown
    // from its first page. False without a name or for an unknown name.
    bool SelectLayout(const char* name, bool build);
    // Builds the pages, or takes them from the cache when the same content
    // was built before. A failure leaves no pages and its system error code
    // in GetErrorCode.
    void Build();
    // The page's bitmap (-1: the current page), loaded from its file and
    // kept as the current page bitmap, which the report owns; none for a
    // page that does not exist.
    HBITMAP GetPageBitmap(int page);
    // Moves one page on or back when that stays within the pages; the current
    // page afterwards. Raises kEventReportPageChanged.
    int StepPage(bool forward);
    // Prints every page, drawn anew at the printer's resolution; an empty
    // name lets the user choose in the print dialog. False without pages,
    // printer or layout, when the spooler refuses the job or a page fails:
    // failure (when given) then says why in the user's words, and stays
    // empty when the user cancelled the print dialog.
    bool Print(const char* printerName, std::string* failure = nullptr);
    // Saves every page as an image file of the format the extension of
    // "file" names; page k > 1 goes to <base>.page<k>.<ext>. Sets "file.<n>"
    // per saved page and "path"; "error" = -1 when a page failed. An
    // existing file is replaced only by a complete new one.
    bool SaveImages(DProps& properties);
    // Writes the report as one HTML file (UTF-8 with a byte-order mark) to
    // "file"; on failure "error" is -1 (no file), -2 (no layout), -3 (the
    // layout wrote nothing) or the system error of the write.
    bool SaveHtml(DProps& properties);
    // content id "." layout name "." MONO|COLOR "." globals.crc32; empty
    // without a layout.
    UString MakeCacheKey(bool mono);
    // Deletes the files of every cached report and forgets the cache.
    void DeleteCachedFiles();

    // The selected layout, none when there is none or the registry has been
    // emptied or reloaded since it was selected.
    OXRLayout* GetLayout();
    int GetPageCount() const { return static_cast<int>(m_pageFiles.size()); }
    const std::vector<UString>& GetPageFiles() const { return m_pageFiles; }
    // (0, 0, page width, page height) in page pixels of the report as built.
    const RECT& GetPageRect() const { return m_pageRect; }
    int GetCurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int page);
    // None: the report covers every active material.
    DCSProject* GetMaterial() const { return m_material; }
    void SetMaterial(DCSProject* material) { m_material = material; }
    // The system error code of the last failed build, 0 when none.
    long GetErrorCode() const { return m_errorCode; }
    void SetErrorCode(long code) { m_errorCode = code; }
    // The system's message for the error code (at most 4096 bytes); empty
    // when there is no error or the system has no text for it.
    UString GetErrorText() const;
    int GetColorMode() const { return m_colorMode; }
    // A mode outside 0 to 2 is refused (false).
    bool SetColorMode(int mode);
    bool IsWholeProject() const { return m_wholeProject; }
    void SetWholeProject(bool whole) { m_wholeProject = whole; }
    // The cache: one entry per built report, named by its key.
    const std::vector<DProps>& GetPageCache() const { return m_pageCache; }

private:
    // Writes "projects" into the layout and gives it the report's material,
    // or the first active one; the material given.
    DCSProject* PrepareLayout(OXRLayout* layout);
    // The page files of the cache entry of key when every one of them is
    // still there; false (and the entry dropped) otherwise.
    bool TakeFromCache(const UString& key);
    // Draws one pass; false when it failed (the error code says why) or was
    // cut at the page limit.
    // banner, when given, shows the progress.
    bool DrawPass(OXRLayout* layout, int pass, bool mono, DlgStartup* banner);
    // (0, 0, "draw.size.x" x scale, "draw.size.y" x scale) of the layout.
    RECT LayoutPageRect(OXRLayout* layout) const;
    // Deletes the page files of an unfinished build.
    void DiscardPageFiles();
    void DeletePageBitmap();

    OXRLayout* m_layout = nullptr;
    std::vector<UString> m_pageFiles;
    HBITMAP m_pageBitmap = nullptr;
    RECT m_pageRect = {0, 0, 0, 0};
    int m_currentPage = 0;
    DCSProject* m_material = nullptr;
    long m_errorCode = 0;
    std::vector<DProps> m_pageCache;
    int m_colorMode = kColorAuto;
    bool m_wholeProject = false;
    // The registry's generation when the layout was selected: a layout
    // pointer outlives no clearing or reloading of the registry.
    unsigned long m_layoutGeneration = 0;
};

// The application's report, made on first use.
OXRReport& AppReport();
// When the report's last build failed with a system error: the error box
// "report.error" with that error's text, also in the log. True when shown.
bool ReportBuildFailure();
