// The plainer sibling of the solution layout ("base.cuttings"): the general,
// stock, parts and cutting tables of one material, with the title of the
// base class.
#pragma once

#include "reports/OXRLayout.h"

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
