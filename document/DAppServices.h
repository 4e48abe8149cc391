// The few things the document asks of the application shell: raising an
// application event, formatting a number the user's way, the list separator
// and the locale's sections. The document owns this interface and the shell
// implements it, so the document never reaches up into the application.
#pragma once

#include <string>

#include "foundation/DProps.h"

// Modes of FormatQuantity; any other mode formats a plain number.
enum QuantityMode { QuantityLength = 0, QuantityPieces = 1, QuantityCost = 2 };

class DAppServices {
public:
    virtual ~DAppServices();

    // The application event broadcast: handled at once, before the call
    // returns. sender is the object that raised the event (none from the
    // document): a window that raised it skips the refresh it has done.
    virtual void OnAppEvent(long code, long argument, const void* sender = nullptr) = 0;
    // One displayed number: a length, a count of pieces, a cost or (other
    // modes) a plain number, with its unit when asked for.
    virtual std::string FormatQuantity(int mode, bool withUnits, double value) = 0;
    // The list separator in use; callers pass "list.separator". A null or
    // empty key, or a key without a value, gives "; ".
    virtual std::string GetListSeparator(const char* key) = 0;
    // A copy of the named locale section into out, which is emptied first.
    // False, out left empty, when the locale has no such section (as when
    // no locale is loaded).
    virtual bool GetLocaleSection(const char* name, DProps& out) = 0;
    // The language code of the loaded locale; empty when none is loaded.
    virtual std::string GetLanguage() = 0;

    // One text of a locale section in the ANSI code page, def when the
    // section or the key is absent. Goes through GetLocaleSection, so an
    // implementation that keeps its sections at hand may answer faster.
    virtual std::string GetLocaleText(const char* section, const char* key, const char* def);

    // The text read as a number (empty reads 0) and formatted as a length.
    std::string FormatLengthText(const char* text, bool withUnits);
};

// One text of a copy of a locale section in the ANSI code page, def when the
// section has no such key. For code that keeps a section at hand.
std::string SectionText(const DProps& section, const char* key, const char* def);

// The shell's number formatter over a bag of derived formats ("length.digits",
// "length.zeroes", "length.units", "pieces.units", "cost.digits",
// "cost.zeroes", "cost.units"), so the application and the default below
// render numbers by one rule.
std::string FormatQuantityWith(const DProps& formats, int mode, bool withUnits, double value);

// What the document gets while no application is there (tests, tools, start
// of the process): events go nowhere, numbers are formatted with the
// start-up format settings, no locale is loaded, so every text is the
// caller's default.
class DAppServicesDefault : public DAppServices {
public:
    DAppServicesDefault();

    void OnAppEvent(long code, long argument, const void* sender = nullptr) override;
    std::string FormatQuantity(int mode, bool withUnits, double value) override;
    std::string GetListSeparator(const char* key) override;
    bool GetLocaleSection(const char* name, DProps& out) override;
    std::string GetLanguage() override;

    // The derived formats of the start-up settings.
    static void DefaultFormats(DProps& formats);

private:
    DProps m_formats;
};

// The services in force: those set last, else a process-wide default. Never null.
DAppServices* GetAppServices();
// Installs the application's services (null goes back to the default). The
// caller keeps ownership and clears the pointer before the object goes.
void SetAppServices(DAppServices* services);
