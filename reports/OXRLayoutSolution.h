// The layout class of the shipped report layouts ("solution.cuttings"): it
// knows which painter draws which table item, keeps the progress its tables
// carry from page to page and from material to material, and walks the
// active materials so that a repeated draw group reports each in turn.
// "base.cuttings" is its plainer sibling: the general, stock, parts and
// cutting tables of one material, with the title of the base class.
#pragma once

#include "reports/MTable.h"
#include "reports/OXRLayout.h"

class OXRLayoutSolution : public OXRLayout {
public:
    // The class names the registry knows these layouts by.
    static constexpr const char* kClassName = "solution.cuttings";
    static OXRLayout* Make(const OXRLayout& loaded);

    OXRLayoutSolution();
    explicit OXRLayoutSolution(const OXRLayout* loaded);
    ~OXRLayoutSolution() override;

    // The material changes: the progress of its tables starts over.
    void SetProject(DCSProject* material) override;
    bool DrawHeader(OXRRenderContext& ctx, LPARAM unused) override;
    bool DrawTitle(UDraw* surface, int x, int y, RECT* out) override;
    bool DrawComment(UDraw* surface, int x, int y, RECT* out) override;
    bool DrawTable(const char* item, OXRRenderContext& ctx, int mode) override;
    // The material's comment below the context's position, its line breaks kept.
    virtual bool DrawCommentBlock(OXRRenderContext& ctx, LPARAM unused);

    // The table painters: true in drawing kind while the table goes on.
    bool PaintGeneral(OXRRenderContext& ctx);
    bool PaintMaterial(OXRRenderContext& ctx);
    bool PaintNotes(OXRRenderContext& ctx);
    bool PaintBlanks(OXRRenderContext& ctx);
    // The parts table: two parts to a table row, three in mode 2 (the list).
    bool PaintPieces(OXRRenderContext& ctx, int mode);
    bool PaintPiecesList(OXRRenderContext& ctx);
    // The cutting table in the form "table.cutting.mode" names; once a
    // material's patterns are all shown the layout takes the next active one.
    bool PaintCutting(OXRRenderContext& ctx, int mode);
    bool PaintCuttingList(OXRRenderContext& ctx);
    bool PaintCuttingCompact(OXRRenderContext& ctx);

    int GetHeaderColor() const { return m_headColor; }
    int GetWalkIndex() const { return m_walk; }
    int GetCuttingCursor() const { return m_cuttingCursor; }
    int GetPiecesResume() const { return m_piecesResume; }
    int GetBlanksResume() const { return m_blanksResume; }

protected:
    // The report title text (the document's name, else "Cutting").
    UString ProjectTitle();
    // The document's description as a cell of the content width; false when blank.
    bool DescriptionCell(TCell& cell);
    // "Material" name (description).
    UString MaterialLine(bool trimDesc) const;
    bool DrawMaterialLine(UDraw* surface, int x, int y, RECT* out);
    bool DrawMaterialHeader(OXRRenderContext& ctx);
    // Clears every progress field a report pass starts without.
    void ResetProgress();
    // The next active material, its tables from their first rows.
    void WalkOn();
    // The notes table holding count runs of the notes from run first on.
    void FillNotes(MTable& table, const TCell& notes, size_t first, size_t count);
public:
    int GetRowHeight() const { return m_rowHeight; }
protected:

    int m_headColor = 0;
    int m_walk = 0;
    int m_cuttingCursor = 0;
    int m_patternContinued = 0;
    int m_piecesResume = 0;
    int m_blanksResume = 0;
    int m_partsDone = 0;
    double m_cutPosition = 0.0;
    int m_rowHeight = 0;
    // Runs of the notes already shown when they go on over pages.
    int m_notesResume = 0;
};

class OXRLayoutBaseCutting : public OXRLayout {
public:
    static constexpr const char* kClassName = "base.cuttings";
    static OXRLayout* Make(const OXRLayout& loaded);

    OXRLayoutBaseCutting();
    explicit OXRLayoutBaseCutting(const OXRLayout* loaded);
    ~OXRLayoutBaseCutting() override;

    bool DrawTable(const char* item, OXRRenderContext& ctx, int mode) override;

    bool PaintGeneral(OXRRenderContext& ctx);
    bool PaintBlanks(OXRRenderContext& ctx);
    bool PaintPieces(OXRRenderContext& ctx);
    // The detailed cutting table, or the list when "table.cutting.mode" is "2".
    bool PaintCutting(OXRRenderContext& ctx);
    bool PaintCuttingList(OXRRenderContext& ctx);

    int GetHeaderColor() const { return m_headColor; }

protected:
    int m_headColor = 0;
    int m_cuttingCursor = 0;
    int m_patternContinued = 0;
    int m_piecesResume = 0;
    int m_blanksResume = 0;
    int m_rowHeight = 0;
    // A pattern grid taller than a page goes on from here on the next.
    int m_partsDone = 0;
    double m_cutPosition = 0.0;
};

// Shared by the painters of both classes.
namespace ReportTables {

// The header colour tables use when a layout names none.
constexpr int kDefaultHeadColor = 0xEACD86;

// "scale", then "mono" = "1" in mono mode, else (when withHead) "color.head".
void MakeOverrides(const OXRLayout& layout, UPairList& overrides, bool withHead, int headColor);
// The overrides of a table with a header colour; plain (the base layout's
// HTML tables) gives the mono scheme instead.
void TableOverrides(const OXRLayout& layout, UPairList& overrides, int headColor, bool plain);
// Styles the table: the overrides, "<item>.columns" x draw scale, the font "normal".
bool LoadTableStyle(OXRLayout& layout, MTable& table, const char* item, const UPairList& overrides);
// A title cell of one run in the font.
TCell TitleCell(OXRLayout& layout, const UString& text, const char* font);
// A header text: the "reports" text of key (the key itself when missing),
// with ", " and the unit label of kind (-1: none) when there is one.
UString HeaderText(const OXRLayout& layout, const char* key, int unitKind);
// A cell of one run without a font of its own.
TCell TextCell(const char* text, bool split);
// The table written as HTML into the context, with the style list's classes.
void FormatHtml(MTable& table, OXRRenderContext& ctx, bool rowClasses);
int Height(const RECT& r);
// target grows to take in area (an empty target becomes area).
void Join(RECT& target, const RECT& area);
// Draws the table at the context's place; true when it did not fit. A drawn
// table moves the context's y down and joins its rectangle.
bool DrawAt(MTable& table, OXRRenderContext& ctx, bool force);

} // namespace ReportTables
