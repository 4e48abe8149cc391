// Reading reports back: texts counted in HTML and over the recorded pages of
// a drawn pass.
#pragma once

#include <string>
#include <vector>

#include "ReportCanvas.h"
#include "reports/OXRLayout.h"

inline size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

inline std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// How often the text was drawn over all pages.
inline int Seen(const std::vector<EmfContent>& pages, const std::wstring& text)
{
    int seen = 0;
    for (const EmfContent& page : pages)
        for (const EmfText& t : page.texts)
            seen += t.text == text ? 1 : 0;
    return seen;
}

// The pages of one report pass from the material first, at most 200 (a
// pass that reaches the bound never ended on its own).
inline std::vector<EmfContent> DrawPages(OXRLayout* layout, DCSProject* first, int width, int height)
{
    layout->SetProject(first);
    std::vector<EmfContent> pages;
    for (int index = 0; index < 200; ++index) {
        EmfRecorder emf(width, height, true);
        const bool more = layout->DrawPage(emf.dc(), index, false);
        pages.push_back(emf.Finish());
        if (!more)
            break;
    }
    return pages;
}
