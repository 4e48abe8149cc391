// The base-cutting layout: dispatch of its table items and its general table.
#include "reports/OXRLayoutBaseCutting.h"

#include <string>

#include "document/DCSProject.h"
#include "reports/ReportTables.h"

using namespace ReportTables;

OXRLayout* OXRLayoutBaseCutting::Make(const OXRLayout& loaded) { return new OXRLayoutBaseCutting(&loaded); }

OXRLayoutBaseCutting::OXRLayoutBaseCutting() = default;

OXRLayoutBaseCutting::OXRLayoutBaseCutting(const OXRLayout* loaded) { TakeOver(*this, loaded); }

OXRLayoutBaseCutting::~OXRLayoutBaseCutting() = default;

bool OXRLayoutBaseCutting::DrawTable(const char* item, OXRRenderContext& ctx, int mode)
{
    (void)mode;
    return DrawNamedTable(*this, item, ctx, m_headColor,
                          {{"table.general", [&] { return PaintGeneral(ctx); }},
                           {"table.blanks", [&] { return PaintBlanks(ctx); }},
                           {"table.pieces", [&] { return PaintPieces(ctx); }},
                           {"table.cutting", [&] { return PaintCutting(ctx); }}});
}

bool OXRLayoutBaseCutting::PaintGeneral(OXRRenderContext& ctx)
{
    const DProps* summary = SummaryRow(m_material);
    if (!summary)
        return false;
    m_cuttingCursor = 0;
    m_piecesResume = 0;
    m_blanksResume = 0;
    m_rowHeight = 0;
    m_partsDone = 0;
    m_cutPosition = 0.0;

    UPairList overrides;
    // The HTML table is always plain: no header colour over the mono scheme.
    TableOverrides(*this, overrides, m_headColor, ctx.kind == OXRRenderContext::kHtml);
    MTable table;
    LoadTableStyle(*this, table, "table.general", overrides);
    for (const char* key : {"Material", "Blanks", "Pieces", "Waste", "Shifts", "Remnants", "Cost"})
        table.AddHeader(0, TextCell(LocaleText(key, key).GetText(), false));
    const UString titleKey = Params().Get("table.general.name");
    table.SetBaseCell(TitleCell(*this, LocaleText(titleKey.GetText(), "General Information"), "h2"));

    table.AddRow(0, TextCell(m_material->GetProperty("material", "").c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "used", "-").c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "pieces", "-").c_str(), false));
    table.AddRow(0, TextCell(WasteText(*summary).c_str(), false));
    table.AddRow(0, TextCell(SummaryValue(*summary, "shifts", "-").c_str(), false));
    table.AddRow(0, TextCell(RemnantsText(*m_material, *summary).c_str(), false));
    table.AddRow(0, TextCell(CostText(*summary, "cost.ppu").c_str(), false));

    if (ctx.kind == OXRRenderContext::kHtml) {
        FormatHtml(table, ctx, false);
        return false;
    }
    DrawAt(table, ctx, true);
    return false;
}

bool OXRLayoutBaseCutting::PaintBlanks(OXRRenderContext& ctx)
{
    if (!m_material)
        return false;
    return PaintStockTable({*this, m_material, m_headColor, m_rowHeight, m_blanksResume, true}, ctx,
                           IsFirstOnPage());
}
