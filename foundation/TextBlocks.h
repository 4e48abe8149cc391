// Named blocks (the container syntax of project files), HTML output helpers,
// the word and separator tokenisers of report cells, and two display helpers.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/UString.h"

class DProps;

// Token lists of the tokenisers: wide texts in text order.
using UWStringList = std::vector<UWString>;

// Named blocks: "<!--block:NAME-->" CR LF text "<!--NAME:block-->" CR LF.
std::string BlockWrap(const char* text, const char* name);
std::string BlockExtract(const char* text, const char* name);
bool BlockEnumerate(const char* text, int n, std::string& content, std::string* name = nullptr);

// HTML output.
UWString DecodeCharRefs(const char* text);
UWString DecodeCharRefsW(const wchar_t* text);
const char* HtmlEscape(UString& text);
std::string ColorToHtml(COLORREF color);

// Display texts.
std::string TextShorten(const char* text);
std::string TextDuration(long seconds, const DProps* words = nullptr);

// Wide-text tokenisers; each appends to its list and returns the list's new count.
int TextSplitWords(const wchar_t* text, UWStringList& list);
int TextFindFirstOf(const wchar_t* text, const UWStringList& separators, int* position = nullptr);
int TextSplitAtAny(const wchar_t* text, UWStringList& list, const UWStringList& separators);
int TextSplitControls(UWStringList& list, const wchar_t* text);
