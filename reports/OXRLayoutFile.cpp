// Layout files and the registry: reading a file, registering the layouts of
// the layout folders by name and class, and expanding the draw order.
#include "reports/OXRLayout.h"

#include <map>
#include <string>

#include "appsvc/OXRApp.h"
#include "foundation/PathUtil.h"
#include "foundation/StrUtil.h"
#include "reports/OXRLayoutBaseCutting.h"
#include "reports/OXRLayoutSolution.h"

namespace {

std::map<std::string, OXRLayout::Factory>& LayoutClasses()
{
    // The classes this library brings are known from the start; others are added.
    static std::map<std::string, OXRLayout::Factory> classes = {
        {OXRLayoutSolution::kClassName, &OXRLayoutSolution::Make},
        {OXRLayoutBaseCutting::kClassName, &OXRLayoutBaseCutting::Make},
    };
    return classes;
}

bool IsBlank(const UString& text) { return !text.HasText(true); }

unsigned long g_registryGeneration = 0;

// Registers the layouts of one folder; a later file of a name replaces the
// earlier one, as does a later folder's.
void LoadFolder(const char* folder)
{
    UStringList files;
    PathListFiles(folder, "*.sol.scl", files, false);
    for (const UString& file : files) {
        // Each file starts from an empty list: keys never carry over.
        OXRLayout loaded;
        if (!loaded.Load(file.GetText()))
            continue;
        const UString className = loaded.Params().Get("class");
        auto found = LayoutClasses().find(className.ToStdString());
        if (found == LayoutClasses().end())
            continue;
        OXRLayout* layout = found->second(loaded);
        if (!layout)
            continue;
        OXRLayout::Registry().Set(loaded.GetName(), layout, true);
    }
}

// Appends the items of a comma list, each as written, up to the first blank one.
void AppendItems(std::vector<UString>& items, const std::string& list)
{
    std::string piece;
    for (long n = 0; StrToken(list, piece, n, ","); ++n) {
        std::string trimmed = piece;
        if (StrTrim(trimmed).empty())
            break;
        items.emplace_back(piece.c_str());
    }
}

} // namespace

OXRLayoutRegistry& OXRLayout::Registry()
{
    static OXRLayoutRegistry registry;
    return registry;
}

void OXRLayout::AddLayoutClass(const char* className, Factory factory)
{
    if (className && *className && factory)
        LayoutClasses()[className] = factory;
}

void OXRLayout::RemoveLayoutClass(const char* className)
{
    if (className)
        LayoutClasses().erase(className);
}

unsigned long OXRLayout::RegistryGeneration() { return g_registryGeneration; }

UStringList OXRLayout::Folders(const char* folder)
{
    UString first(folder);
    if (first.IsEmpty())
        first = App().MakeDataPath("DATA");
    const UString second = App().MakeProgramPath("");
    UStringList folders;
    for (const UString& place : {first, second}) {
        // Without a data or program folder there is nothing to look in: an
        // empty name would list the current folder instead.
        if (!IsBlank(place))
            folders.push_back(place);
    }
    return folders;
}

bool OXRLayout::LoadAll(const char* folder, UStringList* searched)
{
    ClearRegistry();
    const UStringList folders = Folders(folder);
    for (const UString& place : folders)
        LoadFolder(place.GetText());
    if (searched)
        searched->insert(searched->end(), folders.begin(), folders.end());
    return Registry().size() > 0;
}

void OXRLayout::ClearRegistry()
{
    ++g_registryGeneration;
    Registry().Clear();
}

bool OXRLayout::Load(const char* path)
{
    m_path = path;
    FileLoadPairs(path, m_params);
    return HasName();
}

bool OXRLayout::HasName() const { return !IsBlank(m_params.Get("name")); }

UString OXRLayout::GetName() const { return m_params.Get("name"); }

void OXRLayout::CopyFrom(const OXRLayout& loaded)
{
    m_path = loaded.m_path;
    loaded.m_params.CopyTo(m_params, true);
}

void OXRLayout::ParseDrawOrder()
{
    m_items.clear();
    UString key("draw.order");
    const UString read = m_params.Get("draw.order.read");
    if (!IsBlank(read))
        key = m_params.Expand(read.GetText(), false, false);
    UString order = m_params.Get(key.GetText());
    if (order.IsEmpty())
        order = m_params.Get("draw.order");

    const std::string list = order.ToStdString();
    std::string piece;
    for (long n = 0; StrToken(list, piece, n, ","); ++n) {
        std::string trimmed = piece;
        if (StrTrim(trimmed).empty())
            break;
        if (piece.compare(0, 11, "draw.group.") != 0) {
            m_items.emplace_back(piece.c_str());
            continue;
        }
        const UString group = m_params.Get(piece.c_str());
        if (IsBlank(group))
            continue;
        const std::string value = group.ToStdString();
        if (value[0] != '(') {
            AppendItems(m_items, value);
            continue;
        }
        const size_t close = value.rfind(')');
        // A group that opens and never closes names no items.
        if (close == std::string::npos)
            continue;
        const long count =
            StrToLong(m_params.Expand(value.substr(close + 1).c_str(), false, false).GetText());
        const std::string inner = value.substr(1, close - 1);
        for (long i = 0; i < count; ++i)
            AppendItems(m_items, inner);
    }
    m_title = "";
}
