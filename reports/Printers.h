// The reports' connections to the platform's printing and imaging services:
// the enumeration of the installed printers with its guard against drivers
// that hang, the printer device context of a print job, and the conversion
// of page bitmaps into image files.
#pragma once

#include <windows.h>

#include <vector>

#include "foundation/StrList.h"
#include "foundation/UPairList.h"
#include "foundation/UString.h"

class DThread;
class Locker;

// One enumerated printer.
struct PrinterInfo {
    UString name;    // as the spooler gives it, in the system code page
    // The server the query asks for the printer's entry: always empty, the
    // local spooler, which knows the connections too.
    UString server;
    UString port;    // filled by the query
    UPairList paperNames;   // paper number = paper name, one per paper the driver names
    UPairList binNames;     // bin number = bin name
};

// Fills the module's printer records (excluded printers skipped) and its list
// of every printer name found; returns the number of printers recorded. While
// a printer's driver is queried a guard beside the settings names it (see
// PrinterQueryGuard): a driver that brings the process down is excluded at
// the next enumeration, which first takes over the guards of processes that
// ended. A query that does not end within its bound counts as failed: its
// thread is left behind and the printer is excluded, the setting "excluded"
// stored. Callers on the UI thread keep their window messages served.
// status: a window whose text shows the printer being contacted, or null.
// excluded: the application's exclusion list (names compared ignoring case),
// changed only under the application's printer lock. stopper: a stop asked
// of it ends the enumeration after the printer being queried, whose query
// then gets a short while more to answer.
long EnumeratePrinters(HWND status, UStringList& excluded, DThread* stopper = nullptr);
// The records and every name found of the last enumeration. Read them
// while holding the enumeration lock across the enumeration and the reading,
// so that no other enumeration refills them in between.
const std::vector<PrinterInfo>& EnumeratedPrinters();
const UStringList& EnumeratedPrinterNames();
Locker* PrinterEnumerationLock();
// The setting "excluded" from the list (names in double quotes joined by
// ", "), saved at once. Hold the application's printer lock.
void StoreExcludedPrinters(const UStringList& excluded);

// Fills the record's port, paper names and bin names; 0 when the printer
// cannot be opened, else 1. Runs on a thread of its own during enumeration.
DWORD QueryPrinterInfo(PrinterInfo& record);

// How the enumeration queries a printer: the query and the bound of its wait
// in milliseconds. Tests put a query of their own here; the defaults are
// QueryPrinterInfo and 20 seconds.
struct PrinterQuery {
    DWORD (*query)(PrinterInfo& record);
    DWORD boundMs;
};
PrinterQuery GetPrinterQuery();
void SetPrinterQuery(const PrinterQuery& query);

// The printer device context of one print job.
class PrinterDC {
public:
    PrinterDC() = default;
    ~PrinterDC();
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;

    // A device context for the named printer (an empty or null name lets the
    // user choose in the print dialog) in the given orientation, mapped
    // MM_ISOTROPIC with the y axis downward; false when none results.
    bool Open(const char* name, bool portrait);
    // Deletes the device context, closes the printer, frees the device mode
    // and empties the name.
    void Close();

    HDC GetDC() const { return m_dc; }
    const UString& GetName() const { return m_name; }

private:
    // Releases the handles but keeps the name.
    void Release();

    UString m_name;
    HANDLE m_printer = nullptr;
    HGLOBAL m_devMode = nullptr;
    HDC m_dc = nullptr;
};

// Converts the image file source into destination in format ("bmp", "jpeg",
// "gif", "tiff" or "png", any case); options may hold "quality" for JPEG.
// False for another format, a source that cannot be loaded, no encoder or a
// failed save. The file is written as every saved file is (Helper::WriteBuffer);
// when that write fails the thread's last error is the system's reason, else
// it is ERROR_SUCCESS.
bool ConvertImageFile(const char* format, const char* source, const char* destination,
                      const UPairList* options);
// The position of the installed image encoder of the MIME type ("image/png")
// with its class id, -1 when there is none. GDI+ must be started.
int FindImageEncoder(const wchar_t* mimeType, CLSID* encoder);
