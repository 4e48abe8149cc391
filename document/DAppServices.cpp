#include "document/DAppServices.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

DAppServices::~DAppServices() = default;

std::string DAppServices::GetLocaleText(const char* section, const char* key, const char* def)
{
    DProps texts;
    if (!GetLocaleSection(section, texts))
        return StrFromText(def);
    return SectionText(texts, key, def);
}

std::string SectionText(const DProps& section, const char* key, const char* def)
{
    char* ansi = section.GetAnsi(key);
    if (!ansi)
        return StrFromText(def);
    std::string text = ansi;
    free(ansi);
    return text;
}

std::string DAppServices::FormatLengthText(const char* text, bool withUnits)
{
    const double value = (text && *text) ? atof(text) : 0.0;
    return FormatQuantity(QuantityLength, withUnits, value);
}

namespace {

// Halves go away from zero; values beyond a 64-bit count are held at its ends
// rather than converted with undefined results.
long long RoundPieces(double value)
{
    const double limit = 9.2e18;
    if (std::isnan(value))
        return 0;
    if (value >= limit)
        return static_cast<long long>(limit);
    if (value <= -limit)
        return -static_cast<long long>(limit);
    return static_cast<long long>(value >= 0 ? value + 0.5 : value - 0.5);
}

} // namespace

std::string FormatQuantityWith(const DProps& formats, int mode, bool withUnits, double value)
{
    std::string text;
    switch (mode) {
    case QuantityLength:
        text = NumToText(DProps::GetLong(formats, "length.digits"),
                         DProps::GetLong(formats, "length.zeroes") == 0, value);
        if (withUnits)
            text += " " + DProps::GetString(formats, "length.units", "");
        break;
    case QuantityPieces:
        StrFormat(text, "%lld", RoundPieces(value));
        if (withUnits)
            text += " " + DProps::GetString(formats, "pieces.units", "");
        break;
    case QuantityCost: {
        text = NumToText(DProps::GetLong(formats, "cost.digits"),
                         DProps::GetLong(formats, "cost.zeroes") == 0, value);
        if (withUnits) {
            const std::string label = DProps::GetString(formats, "cost.units", "");
            text = label == "$" ? label + text : text + " " + label;
        }
        break;
    }
    default:
        text = NumToText(3, true, value);
        break;
    }
    return text;
}

DAppServicesDefault::DAppServicesDefault()
{
    DefaultFormats(m_formats);
}

void DAppServicesDefault::DefaultFormats(DProps& formats)
{
    // The settings a fresh installation starts with: two decimals without
    // trailing zeros, no length or piece unit, the blank cost label. The list
    // separator is left out on purpose, so callers get their own default.
    formats.Set("length.digits", "2");
    formats.Set("length.zeroes", "0");
    formats.Set("length.units", "");
    formats.Set("pieces.units", "");
    formats.Set("cost.digits", "2");
    formats.Set("cost.zeroes", "0");
    formats.Set("cost.units", " ");
}

void DAppServicesDefault::OnAppEvent(long, long, const void*) {}

std::string DAppServicesDefault::FormatQuantity(int mode, bool withUnits, double value)
{
    return FormatQuantityWith(m_formats, mode, withUnits, value);
}

std::string DAppServicesDefault::GetListSeparator(const char* key)
{
    if (!key || !*key)
        return "; ";
    return DProps::GetString(m_formats, key, "; ");
}

bool DAppServicesDefault::GetLocaleSection(const char*, DProps& out)
{
    out.Clear();
    return false;
}

std::string DAppServicesDefault::GetLanguage()
{
    return std::string();
}

namespace {

std::atomic<DAppServices*> g_services{nullptr};

} // namespace

DAppServices* GetAppServices()
{
    // Calculation threads read the pointer too; the default lives for the
    // whole process so a thread that took it never sees it go.
    static DAppServicesDefault fallback;
    DAppServices* services = g_services.load();
    return services ? services : &fallback;
}

void SetAppServices(DAppServices* services)
{
    g_services.store(services);
}
