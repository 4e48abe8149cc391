// What the report layouts' table painters share: the tables' styles and
// cells, the texts of a material's summary, drawing at the context's place,
// the dispatch of table items and the stock table.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "reports/MTable.h"
#include "reports/OXRLayout.h"

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


// The material's summary row, none before a calculation.
const DProps* SummaryRow(const DCSProject* material);
// The summary's value of key, def when the row has no such key.
std::string SummaryValue(const DProps& summary, const char* key, const char* def);
// "12.34 %".
std::string WasteText(const DProps& summary);
// The usable offcuts as a length, "-" when the material does not track them.
std::string RemnantsText(const DCSProject& material, const DProps& summary);
// The cost of key formatted the user's way, "-" when there is none.
std::string CostText(const DProps& summary, const char* key);
// A layout made from a loaded file holds exactly the file's parameters.
void TakeOver(OXRLayout& layout, const OXRLayout* loaded);
// "table.color.head" of the layout, 0 when it names none.
int HeadColor(const OXRLayout& layout);

// A table item and what draws it.
struct TablePainter {
    const char* item;
    std::function<bool()> paint;
};
// A table item of a layout: the header colour is taken from the layout, the
// drawn rectangle emptied, and the painter of the item runs; false for an
// item the layout does not know.
bool DrawNamedTable(const OXRLayout& layout, const char* item, OXRRenderContext& ctx, int& headColor,
                    std::initializer_list<TablePainter> painters);

// What a stock table is drawn with: the layout, its progress fields, and
// which of the two layout classes' forms it takes.
struct StockTable {
    OXRLayout& layout;
    DCSProject* material;
    int headColor;
    int& rowHeight;
    int& resume;
    bool base;
};
// The stock table from the row the progress has reached; true while it goes
// on over the next page.
bool PaintStockTable(StockTable st, OXRRenderContext& ctx, bool firstOnPage);

} // namespace ReportTables
