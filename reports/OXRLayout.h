// The base of every report layout: one layout file (a key=value parameter
// list), the scales and fonts made from it, its draw order expanded into
// items, and the material being reported. Its page painter draws one page
// (title, items in a vertical flow, page number, continuation note) and
// breaks pages where a table does not fit; its HTML writer emits the whole
// report at once. The layout classes draw the tables through DrawTable.
//
// Layouts live in one process-wide registry keyed by name, filled from the
// layout folders when a report starts and emptied when it ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/UDraw.h"
#include "foundation/DProps.h"
#include "foundation/StrList.h"
#include "foundation/UMap.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"

class DCSProject;

// What a layout hands its table painters for one item.
struct OXRRenderContext {
    enum Kind : int { kDraw = 0, kHtml = 1 };

    int kind = kDraw;
    // Bound to the page's DC and the page rectangle, whose bottom is the
    // limit a table must respect; none for HTML.
    UDraw* draw = nullptr;
    // Top-left of the item in page pixels.
    int x = 0;
    int y = 0;
    // What the painters append to (HTML kind); a whole report may outgrow
    // the program's own string type.
    std::string html;
    // On return: the area the item occupied, empty when nothing was drawn.
    RECT rect = {0, 0, 0, 0};
    // For HTML: "format" = "html" and the options given to WriteHtml.
    DProps options;
};

class OXRLayout;
using OXRLayoutRegistry = TPTRMap<OXRLayout*>;

class OXRLayout {
public:
    // Makes a layout of one class from a loaded file (its path and
    // parameters are copied).
    using Factory = OXRLayout* (*)(const OXRLayout& loaded);

    OXRLayout();
    virtual ~OXRLayout();
    OXRLayout(const OXRLayout&) = delete;
    OXRLayout& operator=(const OXRLayout&) = delete;

    // ---- The registry ------------------------------------------------------------------

    // Empties the registry, then registers every "*.sol.scl" file of folder
    // (none: the data folder's "DATA") and then of the program's own folder;
    // a later file of a registered name replaces the earlier one. True when
    // a layout is registered afterwards. searched, when given, gets the
    // folders that were looked in.
    static bool LoadAll(const char* folder, UStringList* searched = nullptr);
    // The folders LoadAll looks in for folder, in its order.
    static UStringList Folders(const char* folder);
    // Removes and deletes every registered layout.
    static void ClearRegistry();
    static OXRLayoutRegistry& Registry();
    // Counts every emptying of the registry (ClearRegistry, LoadAll): a
    // layout pointer taken at one count is freed at the next.
    static unsigned long RegistryGeneration();
    // Files whose "class" is exactly className become layouts made by
    // factory; a file of a class nobody added is not registered.
    static void AddLayoutClass(const char* className, Factory factory);
    static void RemoveLayoutClass(const char* className);

    // ---- The file ---------------------------------------------------------------------

    // Sets the path and reads the file into the parameter list (merging with
    // what it holds); returns HasName.
    bool Load(const char* path);
    UString GetName() const;
    const UString& GetPath() const { return m_path; }
    // Copies the path and the whole parameter list of another layout.
    void CopyFrom(const OXRLayout& loaded);

    // ---- Operations of the layout classes, in the order of their slots -----------

    // Prepares the layout for a report: the file read again, scales and
    // fonts, the extra parameters over the file's, the draw order, the
    // document's current material. True.
    virtual bool Init(const UPairList* extra);
    // Empties the font cache and the parameter list; no material.
    virtual void Reset();
    // "name" is not blank.
    virtual bool HasName() const;
    virtual void SetProject(DCSProject* material);
    // Draws page pageIndex; true when another page follows.
    virtual bool DrawPage(HDC dc, int pageIndex, bool mono);
    // Appends the whole report as one HTML document. The options' "mono",
    // when present, chooses the colour scheme; otherwise the last one stays.
    // False, with out unchanged, when there is no material or the text does
    // not fit in memory.
    virtual bool WriteHtml(std::string& out, const DProps* options);
    // A header variant for the layout classes; the page painter never calls it.
    virtual bool DrawHeader(OXRRenderContext& ctx, LPARAM unused);
    // The title line and the logo; the base draws the material's title.
    virtual bool DrawTitle(UDraw* surface, int x, int y, RECT* out);
    // The material's comment; true when drawn.
    virtual bool DrawComment(UDraw* surface, int x, int y, RECT* out);
    // The note that the report goes on; true.
    virtual bool DrawContinuedNote(UDraw* surface, int x, int y, RECT* out);
    // No layout class draws graphs: false.
    virtual bool DrawGraph(const char* item, UDraw* surface, const RECT& rect, RECT* out);
    // One table item; true while it goes on on the next page. The base
    // knows no tables.
    virtual bool DrawTable(const char* item, OXRRenderContext& ctx, int mode);
    // A draw-only twin of DrawTable that nothing calls.
    virtual bool DrawTableDirect(const char* item, RECT* out, UDraw* surface, int x, int y, int mode);
    virtual void DrawPageNumber(UDraw* surface, int pageIndex);
    // Expands the draw order into the item list.
    virtual void ParseDrawOrder();
    // Reads the locale texts again when the language changed.
    virtual void ReloadLocale();

    // Why the pages of the initialised layout cannot be drawn, naming the
    // key and its value: no page size, margins that leave no room on the
    // page, an item placed past the page. Empty when they can.
    UString PageProblem() const;

    // ---- Helpers for the painters ---------------------------------------------------

    // The cached font of that name, else the first in name order, else none.
    HFONT GetFont(const char* name);
    // value x draw scale (or x the inverse), halves away from zero.
    int Scale(double value, bool inverse = false) const;
    void ScalePoint(POINT& point) const;
    static UString MakeItemKey(const char* item, const char* suffix);
    // A text of the locale section "reports", def when absent.
    UString LocaleText(const char* key, const char* def) const;
    // The parameter read as a whole number (0 when absent or no number).
    long ParamLong(const char* key) const;

    UPairList& Params() { return m_params; }
    const UPairList& Params() const { return m_params; }
    const std::vector<UString>& Items() const { return m_items; }
    const UString& GetTitle() const { return m_title; }
    void SetTitle(const char* title) { m_title = title; }
    DCSProject* GetProject() const { return m_material; }
    const DProps& LocaleSection() const { return m_locale; }
    int GetCursor() const { return m_cursor; }
    // The next page drawn is the report's first again: a pass that was cut
    // short leaves the cursor inside the draw order.
    void RestartPages() { m_cursor = 0; }
    int GetPageIndex() const { return m_pageIndex; }
    bool IsFirstOnPage() const { return m_firstOnPage; }
    bool IsMono() const { return m_mono; }
    void SetMono(bool mono) { m_mono = mono; }
    bool IsWholeProject() const { return m_wholeProject; }
    void SetWholeProject(bool whole) { m_wholeProject = whole; }
    double GetScale() const { return m_scale; }
    double GetPageScale() const { return m_pageScale; }
    double GetFontScale() const { return m_fontScale; }
    double GetDrawScale() const { return m_drawScale; }

protected:
    // Page scale, font scale, draw scale and the fonts, from the parameters.
    void MakeScalesAndFonts();
    // A scale parameter: 1 when it reads as no number, with a warning in the log.
    double ReadScale(const char* key);
    // The width of the content column: "draw.width", else the page less the
    // left margin, in page pixels.
    int ContentWidth() const;
    // Where an item that names no place of its own goes: right of and below
    // the last item drawn on the page, spacing apart.
    struct PageFlow {
        int x;
        int y;
        int spacing;
    };
    // One item of the draw order at its place on the page, the place recorded
    // in placed for the items after it; true while it goes on on the next page.
    bool DrawPageItem(const UString& item, long mode, UPairList& placed, UDraw& surface, PageFlow& flow);
    // text with its references replaced as the page being drawn sees them:
    // the places its items recorded in placed over the layout's parameters.
    UString ExpandOnPage(const UPairList& placed, const UString& text) const;

    UString m_path;
    UString m_title;
    UPairList m_params;
    TGDIMap m_fonts;
    DCSProject* m_material = nullptr;
    double m_scale = 1.0;
    double m_pageScale = 1.0;
    double m_fontScale = 1.0;
    double m_drawScale = 1.0;
    double m_inverseScale = 1.0;
    int m_pageIndex = 0;
    std::vector<UString> m_items;
    int m_cursor = 0;
    bool m_firstOnPage = false;
    std::string m_language;
    DProps m_locale;
    bool m_mono = false;
    bool m_wholeProject = false;
};
