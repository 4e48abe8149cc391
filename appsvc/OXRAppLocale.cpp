// The application's texts, fonts, colours and number display: the locale
// and its sections, the named fonts every window takes from the map, the
// named colours, and the number formats derived from the settings.
#include "appsvc/OXRApp.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "appsvc/AppSettingsKeys.h"
#include "controls/UFont.h"
#include "foundation/Helper.h"
#include "foundation/PathUtil.h"
#include "foundation/RecordText.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

namespace {

struct MenuKey {
    UINT id;
    const char* key;
};

const MenuKey kFileMenuKeys[] = {
    {kCmdCreate, "file.create"}, {kCmdOpen, "file.open"},       {kCmdSave, "file.save"},
    {kCmdSaveAs, "file.saveas"}, {kCmdOptions, "file.options"}, {kCmdRecentMenu, "file.recent"},
    {kCmdExit, "file.exit"},
};
const MenuKey kHelpMenuKeys[] = {
    {kCmdViewLog, "help.viewlog"},
    {kCmdCleanLog, "help.cleanlog"},
    {kCmdHelp, "help.help"},
    {kCmdAbout, "help.about"},
};

struct FontSpec {
    const char* name;
    const char* face;
    int height;
    int weight;
    int italic;
    int underline;
};

const FontSpec kUiFonts[] = {
    {"group", "Corbel", -13, 400, 0, 0},
    {"head", "Corbel", -14, 700, 0, 0},
    {"body", "Consolas", -11, 400, 0, 0},
    {"text", "Calibri", -12, 400, 0, 0},
    {"note", "Cambria", -11, 400, 0, 0},
    {"semi", "Segoe UI Semibold", -11, 400, 0, 0},
    {"unde", "Calibri", -12, 400, 0, 1},
    {"number", "Nina", -13, 400, 0, 0},
    {"hint", "Consolas", -11, 400, 0, 0},
    {"calc", "Consolas", -11, 400, 0, 0},
    {"calcb", "Calibri", -13, 700, 0, 0},
    {"list", "Calibri", -14, 400, 0, 0},
    {"ctrl.0", "Calibri", -12, 400, 0, 0},
    {"ctrl.1", "Calibri", -13, 400, 0, 0},
    {"ctrl.b", "Calibri", -13, 700, 0, 0},
    {"text.0", "Candara", -11, 400, 0, 0},
    {"text.1", "Candara", -13, 400, 0, 0},
    {"text.1b", "Candara", -13, 700, 0, 0},
    {"text.2", "Candara", -14, 400, 0, 0},
    {"text.2b", "Candara", -14, 700, 0, 0},
    {"font.0", "Consolas", -10, 400, 0, 0},
    {"font.1", "Consolas", -11, 400, 0, 0},
    {"font.2", "Consolas", -12, 400, 0, 0},
    {"font.3", "Consolas", -13, 400, 0, 0},
    {"font.1b", "Calibri", -12, 700, 0, 0},
    {"font.2b", "Calibri", -13, 700, 0, 0},
    {"font.3b", "Calibri", -14, 700, 0, 0},
    {"list.0", "Calibri", -11, 400, 0, 0},
    {"list.1", "Consolas", -11, 400, 0, 0},
    {"list.2", "Calibri", -13, 400, 0, 0},
    {"list.b", "Consolas", -11, 700, 0, 0},
    {"list.u", "Consolas", -11, 400, 0, 1},
    {"fixed.0", "Courier New", -11, 400, 0, 0},
    {"fixed.1", "Courier New", -12, 400, 0, 0},
    {"fixed.2", "Courier New", -13, 400, 0, 0},
    {"buttNorm", "Candara", -12, 400, 0, 0},
    {"buttBold", "Candara", -12, 700, 0, 0},
    {"buttComm", "Candara", -10, 400, 0, 0},
    {"buttItalic", "Candara", -12, 400, 1, 0},
};

const char* const kListSeparators[] = {" ", "; ", "| ", ", ", "/ ", ": "};
const char* const kLengthUnitKeys[] = {" ", "units.mm", "units.cm", "units.m", "units.in"};

long Clamp(long value, long low, long high)
{
    return value < low ? low : (value > high ? high : value);
}

} // namespace

std::string EuroSign()
{
    const wchar_t euro[] = {0x20AC, 0};
    char bytes[8] = "";
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, 0, euro, -1, bytes, sizeof(bytes), nullptr, &lossy);
    if (n <= 1 || lossy)
        return "EUR";
    return bytes;
}

namespace {

std::string CostLabel(long index)
{
    switch (index) {
    case 0: return " ";
    case 1: return "$";
    case 2: return EuroSign();
    case 3: return "p";
    default: return "";
    }
}

} // namespace

// ---- Locale -----------------------------------------------------------------------------

std::string LocaleLineBreaks(std::string text)
{
    StrReplaceAll(text, "\\r\\n", "\r\n");
    return text;
}

void OXRApp::LoadLocale(const char* language)
{
    const bool hadSections = m_locale.Count() > 0;
    UString file;
    file.Format("%s.%s.ini", kProductWord, language ? language : "");
    UString path = MakeProgramPath(file.GetText());
    bool loaded = hadSections;
    if (Helper::CheckFile(path.GetText()) == 1)
        loaded = m_locale.Load(path.GetText());
    if (!loaded && !hadSections)
        return;
    m_language = language ? language : "";
    m_globals.Clear();
    m_messages.Clear();
    m_locale.GetSection("globals", m_globals);
    m_locale.GetSection("messages", m_messages);
    DProps& variables = m_parser.Variables();
    variables.Clear();
    m_locale.GetSection("variables", variables);
    variables.Set("app.name", kAppName);
    variables.Set("app.title", kAppName);
    variables.Set("app.version", kDisplayVersion);
    BuildRecentMenu();
    UpdateTitle(false);
}

std::string OXRApp::GetGlobalText(const char* key, const char* def)
{
    return SectionText(m_globals, key, def);
}

std::string OXRApp::GetMessageText(const char* key, const char* def)
{
    return SectionText(m_messages, key, def);
}

void OXRApp::LocalizeMenu()
{
    HWND main = GetMainHwnd();
    if (!main)
        return;
    m_menuTexts.Clear();
    m_locale.GetSection("menu", m_menuTexts);
    if (m_menuTexts.Count() == 0)
        return;
    HMENU bar = GetMenu(main);
    struct SubMenu {
        int position;
        const char* key;
        const MenuKey* keys;
        size_t count;
    };
    const SubMenu subMenus[] = {
        {0, "file", kFileMenuKeys, sizeof(kFileMenuKeys) / sizeof(kFileMenuKeys[0])},
        {1, "help", kHelpMenuKeys, sizeof(kHelpMenuKeys) / sizeof(kHelpMenuKeys[0])},
    };
    for (const SubMenu& sub : subMenus) {
        HMENU menu = bar ? GetSubMenu(bar, sub.position) : nullptr;
        if (!menu)
            continue;
        std::string title = SectionText(m_menuTexts, sub.key, "");
        if (!title.empty())
            ModifyMenuA(bar, sub.position, MF_BYPOSITION | MF_STRING | MF_POPUP,
                        reinterpret_cast<UINT_PTR>(menu), title.c_str());
        for (UINT position = 0;; ++position) {
            char buffer[512] = "";
            MENUITEMINFOA item = {};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
            item.dwTypeData = buffer;
            item.cch = sizeof(buffer);
            if (!GetMenuItemInfoA(menu, position, TRUE, &item))
                break;
            if (item.fType & MFT_SEPARATOR)
                continue;
            for (size_t k = 0; k < sub.count; ++k) {
                if (sub.keys[k].id != item.wID)
                    continue;
                std::string text = SectionText(m_menuTexts, sub.keys[k].key, "");
                if (text.empty())
                    break;
                MENUITEMINFOA change = {};
                change.cbSize = sizeof(change);
                change.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
                change.fType = item.fType;
                change.wID = item.wID;
                change.dwTypeData = const_cast<char*>(text.c_str());
                SetMenuItemInfoA(menu, position, TRUE, &change);
                break;
            }
        }
    }
    BuildRecentMenu();
    DrawMenuBar(main);
}

bool OXRApp::GetLocaleSection(const char* name, DProps& out)
{
    out.Clear();
    return m_locale.GetSection(name, out);
}

std::string OXRApp::GetLanguage()
{
    return m_locale.Count() > 0 ? m_language : std::string();
}

std::string OXRApp::GetLocaleText(const char* section, const char* key, const char* def)
{
    if (section && _stricmp(section, "globals") == 0)
        return GetGlobalText(key, def);
    if (section && _stricmp(section, "messages") == 0)
        return GetMessageText(key, def);
    return DAppServices::GetLocaleText(section, key, def);
}

std::string OXRApp::GetStatusText(long code)
{
    std::string key;
    StrFormat(key, "status.%ld", code);
    return GetMessageText(key.c_str(), code == 0 ? "Ok" : "Error");
}

// ---- Fonts and colours --------------------------------------------------------------------

void OXRApp::CreateUiFonts()
{
    for (const FontSpec& f : kUiFonts)
        m_fonts.Set(f.name, FontCreate(f.face, f.height, f.weight, f.italic, f.underline), true);
}

HFONT OXRApp::GetFont(const char* name, bool orFirst)
{
    void* font = m_fonts.Get(DAttr(name));
    if (!font && orFirst)
        font = m_fonts.GetValueAt(0);
    return static_cast<HFONT>(font);
}

COLORREF OXRApp::GetNamedColor(const char* name) const
{
    if (!name)
        return 0;
    if (strcmp(name, "panel.back") == 0)
        return 0xFFFFFF;
    if (strcmp(name, "splash.back") == 0)
        return 0xFBF8F4;
    if (strcmp(name, "report.back") == 0)
        return 0xF5E7EA;
    return 0;
}

// ---- Number formats -------------------------------------------------------------------------

void OXRApp::LoadNumberFormats()
{
    std::string checksum;
    auto setting = [this, &checksum](const AppSettingKey& key, long high) {
        long value = Clamp(StrToLong(GetSetting(m_settings, key).GetText()), 0, high);
        StrAppendFormat(checksum, "%ld", value);
        return value;
    };
    auto setLong = [this](const char* key, long value) { m_globals.SetLong(key, value); };

    const long decimal = setting(kSetDecimalSeparator, 2);
    // The settings dialog names the system's separator whichever one is chosen.
    m_systemDecimal = ".";
    char buffer[16] = "";
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof(buffer)) > 0)
        m_systemDecimal = buffer;
    std::string separator = ".";
    if (decimal == 0) {
        setlocale(LC_NUMERIC, ".OCP");
        separator = m_systemDecimal;
    } else if (decimal == 1) {
        setlocale(LC_NUMERIC, "C");
    } else {
        setlocale(LC_NUMERIC, "French_Canada.1252");
        separator = ",";
    }
    NumSetSeparator(separator.c_str());
    m_globals.Set("decimal.separator", separator.c_str());
    setLong("decimal.separator.index", decimal);

    const long list = setting(kSetListSeparator, 5);
    setLong("list.separator.index", list);
    m_globals.Set("list.separator", kListSeparators[list]);

    const long pieces = setting(kSetPiecesUnits, 4);
    setLong("pieces.units.index", pieces);
    m_globals.Set("pieces.units", pieces ? GetGlobalText("units.pcs", "pcs").c_str() : "");

    const long length = setting(kSetLengthUnits, 4);
    setLong("length.units.index", length);
    m_globals.Set("length.units", GetGlobalText(kLengthUnitKeys[length], "").c_str());

    setLong("length.digits", setting(kSetLengthDigits, 4));
    setLong("length.zeroes", setting(kSetLengthZeroes, 1));

    const long cost = setting(kSetCostUnits, 4);
    setLong("cost.units.index", cost);
    m_globals.Set("cost.units", CostLabel(cost).c_str());

    setLong("cost.digits", setting(kSetCostDigits, 2));
    setLong("cost.zeroes", setting(kSetCostZeroes, 1));

    m_globals.Set("pcs.units", GetGlobalText("units.pcs", "").c_str());

    std::string crc;
    StrFormat(crc, "%lX", static_cast<unsigned long>(Crc32(checksum.c_str())));
    m_globals.Set("globals.crc32", crc.c_str());
}

std::string OXRApp::GetUnitLabel(int kind, const char* pattern)
{
    static const char* const keys[] = {"length.units", "pieces.units", "cost.units"};
    std::string label = kind >= 0 && kind <= 2 ? DProps::GetString(m_globals, keys[kind], "") : "";
    StrTrim(label);
    if (pattern && *pattern && !label.empty()) {
        char buffer[4096];
        snprintf(buffer, sizeof(buffer), pattern, label.c_str());
        return buffer;
    }
    return label;
}

std::string OXRApp::FormatQuantity(int mode, bool withUnits, double value)
{
    return FormatQuantityWith(m_globals, mode, withUnits, value);
}

std::string OXRApp::GetListSeparator(const char* key)
{
    if (!key || !*key)
        return "; ";
    return DProps::GetString(m_globals, key, "; ");
}

std::string FormatLengthText(const char* text, bool withUnits)
{
    return GetAppServices()->FormatLengthText(text, withUnits);
}

std::string FormatCostText(const char* text, bool withUnits)
{
    const double value = (text && *text) ? atof(text) : 0.0;
    return GetAppServices()->FormatQuantity(QuantityCost, withUnits, value);
}
