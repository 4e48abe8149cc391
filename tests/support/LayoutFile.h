// Layout files made for a test and loaded the way the program loads its own:
// the page's frame (an A4-wide page with the usual margins), the lines of its
// tables after it, written with CR LF into the data folder and read through
// the layout registry.
#pragma once

#include <string>
#include <vector>

#include "foundation/UPairList.h"
#include "reports/OXRLayout.h"
#include "support/TestFiles.h"

// The lines of a page named name of the layout class, height high, drawing
// the items of order, followed by the lines of its tables.
inline std::vector<std::string> LayoutPageLines(const std::string& name, const std::string& layoutClass,
                                                const std::string& order, int height = 2970,
                                                const std::vector<std::string>& tables = {})
{
    std::vector<std::string> lines = {
        "name=" + name,
        "class=" + layoutClass,
        "draw.size.x=2100",
        "draw.size.y=" + std::to_string(height),
        "draw.offset.x=180",
        "draw.offset.y=100",
        "draw.spacing=40",
        "draw.width=1820",
        "draw.order=" + order,
    };
    lines.insert(lines.end(), tables.begin(), tables.end());
    return lines;
}

// The file at path of the lines, each ended by CR LF.
inline std::string WriteLayoutFile(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteBytes(path, text);
    return path;
}

// The first layout of the registry once the lines are written to path (a
// file in the data folder's DATA) and every layout file is loaded; it is
// initialised for the number of projects given (none: no extra variables)
// and for the whole project or the current material. Null when the files
// were refused.
inline OXRLayout* LoadLayoutFile(const std::string& path, const std::vector<std::string>& lines,
                                 const char* projects = nullptr, bool wholeProject = false)
{
    WriteLayoutFile(path, lines);
    if (!OXRLayout::LoadAll(nullptr))
        return nullptr;
    OXRLayout* layout = OXRLayout::Registry().GetValueAt(0);
    UPairList extra;
    if (projects)
        extra.Set("projects", projects);
    layout->Init(projects ? &extra : nullptr);
    layout->SetWholeProject(wholeProject);
    return layout;
}
