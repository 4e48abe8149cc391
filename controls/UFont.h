// Fonts and text fitting for every window of the program: fonts from
// parameters, from a short "face, size, bold italic underline" text, or as a
// scaled copy; texts shortened with "..." or by dropping leading words.
// Fonts are made through the wide interface with ClearType quality; the
// caller owns every font returned here.
#pragma once

#include <windows.h>

#include <string>

// A null or empty face gives "Tahoma". Negative heights are character
// heights in logical units; weight 400 is normal, 700 bold; any non-zero
// italic or underline counts as set.
HFONT FontCreate(const char* face, int height, int weight, int italic, int underline);

// spec: "face, size" and, anywhere in it, the words "bold", "italic",
// "underline" (case-sensitive). An empty face takes the default face; with
// that empty too the result is null. The height is -|size|, the default
// height for a size of 0.
HFONT FontCreateFromSpec(const char* spec, const char* defaultFace, int defaultHeight,
                         bool defaultBold, bool defaultItalic, bool defaultUnderline);

// A copy with the height times factor (halves away from zero); the source
// is deleted first when asked. Null for a null or unreadable font.
HFONT FontScale(HFONT font, double factor, bool deleteSource);

// Shortens text in place to fit the rectangle's width on the DC with "..."
// appended, keeping at least 10 characters; a text of 9 characters or fewer
// is never shortened. False when the text stays as it was.
bool FitTextWithEllipsis(HDC dc, const RECT* rect, std::string& text);

// Draws the text on one line in the rectangle after dropping as many
// leading words as it takes to fit (the last word stays even when it does
// not fit), centred vertically, right-aligned with DT_RIGHT. Returns the
// drawn height; 0 for no DC or an empty text.
int DrawTextFitWords(HDC dc, const char* text, const RECT* rect, HFONT font, UINT flags);
