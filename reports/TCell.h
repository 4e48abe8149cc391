// A block of report text: TText is one run (a font, flags for superscript or
// subscript, its text), TCell a sequence of runs broken into lines for a
// width, drawn into a UDraw and written as HTML. Cells are values: tables copy
// them in and out. Their attributes inherit from a parent list (a table's
// style), so style keys such as "padding" reach every cell of a table.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/UDraw.h"
#include "foundation/DProps.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"

class TText {
public:
    enum Flags : int { kNormal = 0, kSuperscript = 1, kSubscript = 2 };

    // Decimal character references ("&#8805;") become their characters, so
    // callers can write symbols the ANSI code page lacks.
    explicit TText(const wchar_t* text = L"");
    TText(HFONT font, int flags, const char* text);
    // The measured rectangle is not copied: a copy has not been laid out.
    TText(const TText& other);
    TText& operator=(const TText& other);
    virtual ~TText();

    // The run's extent from (0, 0) with its own font, else with font; out
    // gets it moved by (x, y). False, nothing measured, without a font.
    // Clears the baseline shift.
    virtual bool Measure(UDraw* ctx, int x, int y, RECT* out, HFONT font);
    // Draws the text centred on (x, y), turned by 90 degrees per quarter
    // turn; out gets the turned text's bounding box. True when that box has
    // a width.
    virtual bool Draw(UDraw* ctx, int x, int y, int quarterTurns, RECT* out, HFONT font);

    HFONT GetFont() const { return m_font; }
    int GetFlags() const { return m_flags; }
    const UWString& GetText() const { return m_text; }
    const wchar_t* GetW() const { return m_text.GetW(); }
    const char* GetA() const { return m_text.GetA(); }
    const RECT& GetRect() const { return m_rect; }
    int GetShift() const { return m_shift; }
    bool IsScript() const { return (m_flags & (kSuperscript | kSubscript)) != 0; }

private:
    friend class TCell;

    HFONT m_font = nullptr;
    UWString m_text;
    RECT m_rect = {0, 0, 0, 0};
    int m_flags = kNormal;
    // Vertical offset when drawn: negative raises (superscript), positive lowers.
    int m_shift = 0;
};

class TCell {
public:
    // One run with an empty text.
    TCell();
    // One run of the text (null reads as empty).
    explicit TCell(const char* text);
    // The width and, when the text is not empty, one run of it.
    TCell(const UString& text, int width);
    TCell(int width, const TText& run);
    // Everything, the attribute marker included.
    TCell(const TCell& other);
    // Width, runs, rectangle, attribute pairs and their parent; not the marker.
    TCell& operator=(const TCell& other);
    virtual ~TCell();

    // Width 0, no runs, an empty rectangle and no attribute pairs.
    virtual TCell& Clear();
    virtual TCell& SetAttr(const char* name, const char* value);
    // Replaces the runs; a width of 0 or more becomes the cell's width (-1
    // keeps it).
    virtual TCell& SetText(const TText& run, int width, bool split);
    // Appends the run; with split its text is cut at " " and "\r\n", the
    // separators kept as runs of their own, every piece with the run's font
    // and flags. An empty text appends one empty run without font.
    virtual TCell& AddText(const TText& run, bool split);
    // As AddText, but cut at blanks and then at every control character, each
    // a run of its own: titles and comments keep their line breaks this way.
    virtual TCell& AddWords(const TText& run, bool split);
    // Draws a measured and placed cell; (x, y) is the origin its rectangle
    // is relative to.
    virtual bool Draw(UDraw* ctx, int x, int y, HFONT font);
    // Breaks the runs into lines for the width and sets the rectangle
    // (left = top = 0); out gets it.
    virtual bool Measure(UDraw* ctx, RECT* out, HFONT font);
    // Appends the runs as HTML ("format" "html", each run in the element
    // named by "tag") or as plain text ("format" "text").
    virtual void WriteHtml(std::string& out, const DProps& options) const;

    int GetWidth() const { return m_width; }
    void SetWidth(int width) { m_width = width; }
    const RECT& GetRect() const { return m_rect; }
    RECT& Rect() { return m_rect; }
    const std::vector<TText>& GetRuns() const { return m_runs; }
    bool HasRuns() const { return !m_runs.empty(); }
    // Replaces the runs by one empty run (a spanned column's placeholder).
    void ClearRuns();

    // Own attribute, the empty text when absent.
    UString GetAttr(const char* name) const { return m_attrs.Get(name); }
    bool HasAttr(const char* name) const { return m_attrs.IndexOf(name) >= 0; }
    // Own attribute, else the parent's answer, up the chain.
    UString GetInherited(const char* name) const { return m_attrs.GetInherited(name); }
    UPairList& Attributes() { return m_attrs; }
    const UPairList& Attributes() const { return m_attrs; }
    void SetParent(UPairList* parent) { m_attrs.SetParent(parent); }

private:
    int InheritedInt(const char* name) const;
    // Appends an empty run for an empty text, or the run itself without
    // split; false when the text must be cut into pieces.
    bool AddWhole(const TText& run, bool split);
    // Run i and the script runs that follow it, measured at (x, y); returns
    // the index of the piece's last run and its rectangle in piece.
    size_t MeasurePiece(UDraw* ctx, size_t i, int x, int y, HFONT font, int spacing, RECT& piece);
    // The cell's rectangle from the runs' area: padded, the set width kept,
    // turned as "rotate" says.
    void SizeToContent(const RECT& content, int padding);

    int m_width = 0;
    std::vector<TText> m_runs;
    RECT m_rect = {0, 0, 0, 0};
    UPairList m_attrs;
};
