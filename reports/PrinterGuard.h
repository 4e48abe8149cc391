// The crash guard of the printer enumeration. While a printer's driver is
// asked, a file beside the settings names the printer and the process that
// asks; it goes when the query has ended, so it never outlives the query and
// no other instance ever saves it with its own settings. A later enumeration
// that finds the file of a process that is gone knows that process ended
// during the query, and excludes the printer for good when the query
// crashed it, or when the same printer's query was in flight at two such
// ends in a row (a process ended from outside, or by the driver without a
// crash the guard could see).
#pragma once

#include "foundation/StrList.h"
#include "foundation/UString.h"

class PrinterQueryGuard {
public:
    // Writes the guard of a query of the printer into folder (no guard for an
    // empty folder).
    PrinterQueryGuard(const char* folder, const UString& printer);
    // The query has ended, or is given up on: the guard goes.
    ~PrinterQueryGuard();
    PrinterQueryGuard(const PrinterQueryGuard&) = delete;
    PrinterQueryGuard& operator=(const PrinterQueryGuard&) = delete;

    // The query answered: an earlier end of a process during this printer's
    // query no longer counts.
    void Answered();

    // Takes the guards that processes now gone left in folder: the printers
    // whose query ended them for good are added to excluded (names compared
    // ignoring case); each such end is logged. The files go. True when
    // excluded changed.
    static bool Review(const char* folder, UStringList& excluded);

    // The name of the guard file of the process in folder.
    static UString FileOf(const char* folder, unsigned long processId);

private:
    UString m_printer;
    UString m_path;
};
