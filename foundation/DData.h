// A table of records (one DProps per record, keys as field names) that
// remembers a checksum of its content, so an editor can tell whether anything
// changed since it was filled; and the delimited-text form of such a table:
// no header, no quoting, the field names coming from a "format" option.
//
// Options of Export and Import (a DProps):
//   "format"            the field names in column order (required)
//   "format.separator"  separator of the names in "format", default ";"
//   "field.separator"   text between two fields, default ";"
//   "record.separator"  text after every record (export) and between records
//                       (import), default "\r\n"
//   "compact"           import only: "1" passes every value through NumCompact
// A field name beginning with a backslash is a placeholder: "\empty" writes an
// empty column on export; on import such a column is read and dropped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/DProps.h"
#include "foundation/FieldCheck.h"

// The field name that stands for an empty column.
extern const char* const EmptyFieldKey;  // "\empty"

class DData {
public:
    DData() = default;
    DData(const DData&) = default;
    DData& operator=(const DData&) = default;
    virtual ~DData();

    // Replaces all records by copies of the given ones and takes their
    // checksum as the baseline. True.
    bool SetRecords(const PropsList& records);
    // Whether the records differ from the baseline now; the result is also
    // kept as the modified flag. The baseline stays.
    bool CheckModified();
    bool IsModified() const { return m_modified; }

    // CRC-32 over, per record in order, its index and its own checksum (as a
    // signed number), so a changed key, value, comment or order changes it.
    static uint32_t Checksum(const PropsList& records);
    uint32_t Checksum() const { return Checksum(m_records); }
    uint32_t StoredChecksum() const { return m_checksum; }

    // The records, for the row operations that work on any list of rows.
    PropsList& Records() { return m_records; }
    const PropsList& Records() const { return m_records; }
    long Count() const { return static_cast<long>(m_records.size()); }

    // Copies the first record whose "uid" equals uid byte for byte into out
    // (overwriting its keys) and returns its index; -1, out untouched, when
    // there is none or uid is empty.
    static long GetRecord(const DData& table, const char* uid, DProps& out);

    // One line per record: the values of the format's fields joined by the
    // field separator, each line (the last too) ended by the record separator.
    // Values are written unchanged. The empty text when the format names no field.
    static std::string Export(const DProps& options, const DData& table);

    // Appends one record per record text (clearing the table first when
    // asked); returns the number of record positions read, blank ones included.
    // Fields missing at the end of a line are left out of its record.
    static long Import(const DProps& options, DData& table, const std::string& text, bool clearFirst);

    // The field names of "format" split at "format.separator", each trimmed;
    // empty when none of them is a name.
    static std::vector<std::string> FormatKeys(const DProps& options);

private:
    bool m_modified = false;
    PropsList m_records;
    uint32_t m_checksum = 0;
};
