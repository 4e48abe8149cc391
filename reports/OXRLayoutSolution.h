// The layout class of the shipped report layouts ("solution.cuttings"): it
// knows which painter draws which table item, keeps the progress its tables
// carry from page to page and from material to material, and walks the
// active materials so that a repeated draw group reports each in turn.
#pragma once

#include "reports/MTable.h"
#include "reports/OXRLayout.h"

class OXRLayoutSolution : public OXRLayout {
public:
    // The class name the registry knows these layouts by.
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
