// The helpers the layouts' table painters share.
#include "reports/ReportTables.h"

#include <cmath>
#include <string>

#include "appsvc/OXRApp.h"
#include "document/DCSProject.h"
#include "foundation/StrUtil.h"
#include "reports/ScaleNumberList.h"

namespace ReportTables {

int Height(const RECT& r) { return r.bottom - r.top; }

void Join(RECT& target, const RECT& area)
{
    RECT joined;
    if (IsRectEmpty(&target))
        target = area;
    else if (UnionRect(&joined, &target, &area))
        target = joined;
}

// The material's summary row, none before a calculation.
const DProps* SummaryRow(const DCSProject* material)
{
    if (!material)
        return nullptr;
    for (const DProps& row : material->GetSummaryRows())
        if (DProps::GetString(row, "type", "") == "summary")
            return &row;
    return nullptr;
}

std::string SummaryValue(const DProps& summary, const char* key, const char* def)
{
    return summary.IndexOf(key) >= 0 ? DProps::GetString(summary, key, def) : std::string(def);
}

std::string WasteText(const DProps& summary)
{
    const double waste = StrToDouble(SummaryValue(summary, "waste", "").c_str());
    return StrFormatStatic("%.2f %%", std::isfinite(waste) ? waste : 0.0);
}

std::string RemnantsText(const DCSProject& material, const DProps& summary)
{
    const double tracked = StrToDouble(material.GetProperty("remnants", "").c_str());
    if (std::fabs(tracked) < 1e-7)
        return "-";
    return FormatLengthText(SummaryValue(summary, "remnants", "").c_str(), false);
}

std::string CostText(const DProps& summary, const char* key)
{
    const std::string cost = SummaryValue(summary, key, "-");
    return cost == "-" ? cost : FormatCostText(cost.c_str(), false);
}

// A layout made from a loaded file holds exactly the file's parameters.
void TakeOver(OXRLayout& layout, const OXRLayout* loaded)
{
    if (!loaded)
        return;
    layout.Params().Clear();
    layout.CopyFrom(*loaded);
}

int HeadColor(const OXRLayout& layout) { return NumParse(layout.Params().Get("table.color.head").GetText(), 0); }

bool DrawNamedTable(const OXRLayout& layout, const char* item, OXRRenderContext& ctx, int& headColor,
                    std::initializer_list<TablePainter> painters)
{
    headColor = HeadColor(layout);
    SetRectEmpty(&ctx.rect);
    const std::string name = item ? item : "";
    for (const TablePainter& painter : painters)
        if (name == painter.item)
            return painter.paint();
    return false;
}

void MakeOverrides(const OXRLayout& layout, UPairList& overrides, bool withHead, int headColor)
{
    overrides.Set("scale", StrFromDouble(layout.GetScale(), "%.5f").c_str());
    if (layout.IsMono())
        overrides.Set("mono", "1");
    else if (withHead)
        overrides.Set("color.head", StrFromLong(headColor != 0 ? headColor : kDefaultHeadColor).c_str());
}

void TableOverrides(const OXRLayout& layout, UPairList& overrides, int headColor, bool plain)
{
    MakeOverrides(layout, overrides, !plain, headColor);
    if (plain)
        overrides.Set("mono", "1");
}

bool LoadTableStyle(OXRLayout& layout, MTable& table, const char* item, const UPairList& overrides)
{
    const std::string widths = ScaleNumberList(
        layout.Params().Get(OXRLayout::MakeItemKey(item, "columns").GetText()).GetText(), layout.GetDrawScale());
    return table.LoadStyle(overrides, widths.c_str(), layout.GetFont("normal"));
}

TCell TitleCell(OXRLayout& layout, const UString& text, const char* font)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(layout.GetFont(font), TText::kNormal, text.GetText()), false);
    return cell;
}

UString HeaderText(const OXRLayout& layout, const char* key, int unitKind)
{
    UString text = layout.LocaleText(key, key);
    if (unitKind >= 0) {
        UString label(App().GetUnitLabel(unitKind, "").c_str());
        label.Trim();
        if (!label.IsEmpty())
            text = UString(StrFormatStatic("%s, %s", text.GetText(), label.GetText()).c_str());
    }
    return text;
}

TCell TextCell(const char* text, bool split)
{
    TCell cell;
    cell.Clear();
    cell.AddText(TText(nullptr, TText::kNormal, text ? text : ""), split);
    return cell;
}

void FormatHtml(MTable& table, OXRRenderContext& ctx, bool rowClasses)
{
    table.Style().Set("class", "width100");
    if (rowClasses) {
        table.Style().Set("class.row-0", "row-0");
        table.Style().Set("class.row-1", "row-1");
        table.Style().Set("class.row-2", "row-2");
    }
    table.Style().Set("width", "%");
    table.Format(ctx.html, ctx.options);
}

bool DrawAt(MTable& table, OXRRenderContext& ctx, bool force)
{
    if (!ctx.draw)
        return false;
    RECT area = {0, 0, 0, 0};
    if (table.Draw(ctx.draw, ctx.x, ctx.y, &area, force))
        return true;
    ctx.y += Height(table.GetRect());
    Join(ctx.rect, area);
    return false;
}

} // namespace ReportTables
