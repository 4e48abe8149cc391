#include "foundation/DData.h"

#include "foundation/RecordText.h"
#include "foundation/StrList.h"
#include "foundation/StrUtil.h"

const char* const EmptyFieldKey = "\\empty";

namespace {

std::string Option(const DProps& options, const char* key, const char* def)
{
    return DProps::GetString(options, key, def);
}

} // namespace

DData::~DData() = default;

bool DData::SetRecords(const PropsList& records)
{
    m_records = records;
    m_checksum = Checksum(m_records);
    return true;
}

bool DData::CheckModified()
{
    m_modified = Checksum(m_records) != m_checksum;
    return m_modified;
}

uint32_t DData::Checksum(const PropsList& records)
{
    std::string text;
    text.reserve(records.size() * 16);
    for (size_t i = 0; i < records.size(); ++i) {
        StrAppendFormat(text, "%ld%ld", static_cast<long>(i),
                        static_cast<long>(static_cast<int32_t>(records[i].Checksum())));
    }
    return Crc32(text.c_str());
}

long DData::GetRecord(const DData& table, const char* uid, DProps& out)
{
    if (table.m_records.empty() || !uid || !*uid)
        return -1;
    const std::string wanted = uid;
    for (size_t i = 0; i < table.m_records.size(); ++i) {
        const DProps& record = table.m_records[i];
        if (DProps::GetString(record, "uid", "") == wanted) {
            out.CopyFrom(&record);
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::vector<std::string> DData::FormatKeys(const DProps& options)
{
    std::vector<std::string> keys;
    const std::string separator = Option(options, "format.separator", ";");
    StrSplit(Option(options, "format", ""), keys, separator.c_str(), true);
    for (const std::string& key : keys) {
        if (!key.empty())
            return keys;
    }
    keys.clear();
    return keys;
}

std::string DData::Export(const DProps& options, const DData& table)
{
    const std::vector<std::string> keys = FormatKeys(options);
    if (keys.empty())
        return std::string();
    const std::string fieldSeparator = Option(options, "field.separator", ";");
    const std::string recordSeparator = Option(options, "record.separator", "\r\n");
    std::string out;
    for (const DProps& record : table.m_records) {
        for (size_t i = 0; i < keys.size(); ++i) {
            if (i > 0)
                out += fieldSeparator;
            if (keys[i] != EmptyFieldKey)
                out += DProps::GetString(record, keys[i].c_str(), "");
        }
        out += recordSeparator;
    }
    return out;
}

long DData::Import(const DProps& options, DData& table, const std::string& text, bool clearFirst)
{
    if (clearFirst)
        table.m_records.clear();
    const std::vector<std::string> keys = FormatKeys(options);
    if (text.empty() || keys.empty())
        return 0;
    const std::string fieldSeparator = Option(options, "field.separator", ";");
    const std::string recordSeparator = Option(options, "record.separator", "\r\n");
    const bool compact = DProps::GetLong(options, "compact") == 1;

    // The whole text is cut once: an imported file of many thousand lines
    // must not be rescanned from its start for every record.
    std::vector<std::string> pieces;
    StrSplit(text, pieces, recordSeparator.c_str());

    // When both separators begin with the same character (one field per line,
    // or ";" for both), the text is one flat run of fields: every n pieces
    // make one record.
    const bool flat = !fieldSeparator.empty() && !recordSeparator.empty() &&
                      fieldSeparator[0] == recordSeparator[0];
    const size_t perRecord = flat ? keys.size() : 1;

    long read = 0;
    std::vector<std::string> fields;
    for (size_t first = 0; first < pieces.size(); first += perRecord) {
        ++read;
        std::string line;
        if (flat) {
            for (size_t k = first; k < first + perRecord && k < pieces.size(); ++k) {
                line += pieces[k];
                line += fieldSeparator;
            }
        } else {
            line.swap(pieces[first]);
        }
        StrTrim(line, true);
        if (line.empty())
            continue;

        fields.clear();
        StrSplit(line, fields, fieldSeparator.c_str());
        DProps record;
        // A line that ends early leaves its last fields out of the record,
        // so whoever takes the record gives them their defaults; a stand-in
        // text would be stored as if typed.
        for (size_t i = 0; i < keys.size() && i < fields.size(); ++i) {
            if (keys[i].empty() || keys[i][0] == '\\')
                continue;
            const std::string& field = fields[i];
            if (compact)
                record.Set(keys[i].c_str(), NumCompact(field.c_str()).c_str(), nullptr, true);
            else
                record.Set(keys[i].c_str(), field.c_str(), nullptr, true);
        }
        table.m_records.push_back(std::move(record));
    }
    return read;
}
