#pragma once

// Public API of ORV's own Paradox table files (versions 3 to 7).
//
// Reading: ParadoxReader opens a .DB file (with its .MB memo/blob file and the
// .PX primary index, found case-insensitively beside it), validates every
// offset, size, count and block chain against the file and throws
// ETalvekException with a Czech message naming the file and the problem.
// A missing .MB is not an error: the cells kept in it read as blank and
// warning() names the file.
// Records are streamed in file order, which is key order for keyed tables.
//
// Writing: ParadoxWriter creates a Paradox 7 table in code page 1250, sorted by
// its key fields when keyed, with a matching .PX and a .MB for memo fields.
// The table set is replaced atomically, see ParadoxWriter.
//
// Blank values: isBlank() reports them; readAll() and value() return an
// invalid QVariant; the typed accessors return 0 / 0.0 / "" / false for them.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <QVariant>

#include <functional>
#include <memory>

enum class ParadoxFieldType
{
    Alpha,         // 0x01, text of `size` bytes in the table's code page
    Date,          // 0x02, day number, 1 = 1 Jan 0001 (proleptic Gregorian)
    Short,         // 0x03, 16-bit integer
    Long,          // 0x04, 32-bit integer
    Currency,      // 0x05, double
    Number,        // 0x06, double
    Logical,       // 0x09, boolean
    Memo,          // 0x0C, text in the .MB (leading part in the record)
    BinaryBlob,    // 0x0D, bytes in the .MB
    FormattedMemo, // 0x0E, bytes in the .MB
    Ole,           // 0x0F, bytes in the .MB
    Graphic,       // 0x10, bytes in the .MB
    Time,          // 0x14, milliseconds since midnight
    Timestamp,     // 0x15, milliseconds on the Date day scale (86,400,000 = 1 Jan 0001 00:00)
    AutoIncrement, // 0x16, 32-bit integer
    Bcd,           // 0x17, 17 bytes packed decimal
    Bytes          // 0x18, raw bytes of `size`
};

struct ParadoxField
{
    QString name;
    ParadoxFieldType type = ParadoxFieldType::Alpha;
    // Bytes the field takes in a record (Alpha 1..255, Short 2, Long/Date/Time/
    // AutoIncrement 4, Number/Currency/Timestamp 8, Logical 1, Bytes 1..255,
    // memo and blob fields 10 + the leading part kept in the record, 1..240).
    // For Bcd it is the number of digits after the decimal point (0..32); the
    // field always takes 17 bytes. ParadoxWriter accepts 0 for fixed-size types.
    int size = 0;

    bool operator==(const ParadoxField&) const = default;
};

// Human-readable name of a field type ("Alpha", "Long", ...), and its size in
// a record for a field definition (handles Bcd and fixed sizes).
QString paradoxFieldTypeName(ParadoxFieldType type);
int paradoxFieldStorageSize(const ParadoxField& field);

struct ParadoxHeader
{
    int version = 0;      // 30, 35, 40, 50 or 70
    int fileType = 0;     // 0 keyed .DB, 2 unkeyed .DB, 1 primary index .PX
    int codePage = 0;     // as stored (0 when the file has none, e.g. version 3)
    int textCodePage = 0; // decodes text: codePage, else the sort order's page, else the fallback
    qint64 recordCount = 0;
    int keyFieldCount = 0; // leading fields forming the primary key
    QList<ParadoxField> fields;
    int recordSize = 0;
    int headerSize = 0;
    int blockSize = 0; // bytes per data block
    int usedBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    bool encrypted = false;
    int sortOrder = 0; // sort order byte of the header
    qint32 autoIncrement = 0;
    QString tableName;
    bool hasMemoFile = false;  // a .MB companion was found
    bool hasIndexFile = false; // a .PX companion was found
};

class ParadoxTableData; // the decoded file set behind a reader (implementation)

// One record during ParadoxReader iteration. It points into the reader's
// buffer and is valid only inside the callback. Accessors take the field's
// position; they never allocate except for the returned QString/QByteArray.
class ParadoxRecord
{
public:
    bool isBlank(int field) const;
    qint64 toInt64(int field) const;   // Short, Long, AutoIncrement, Logical (0/1)
    double toDouble(int field) const;  // Number, Currency, Bcd (also integers)
    bool toBool(int field) const;      // Logical
    QString toString(int field) const; // Alpha, Memo (decoded), others as text
    // Appends the text of an Alpha or Memo field as UTF-8 to `out` after
    // clearing it; reuses the buffer's capacity (fast path for bulk loading).
    void toUtf8(int field, QByteArray& out) const;
    QByteArray toBytes(int field) const; // Bytes, blobs, formatted memo, OLE, graphic
    int toJulianDay(int field) const;    // Date; 0 when blank
    QDate toDate(int field) const;
    int toMsecsOfDay(int field) const; // Time
    QTime toTime(int field) const;
    qint64 toTimestampMsecs(int field) const; // Timestamp as stored (see the enum)
    QDateTime toDateTime(int field) const;    // Timestamp, wall-clock fields in Qt::UTC
    QString toBcdText(int field) const;       // Bcd as a plain decimal text
    QVariant value(int field) const;          // typed QVariant, invalid when blank

    // Raw bytes of the field inside the record.
    const char* raw(int field) const;

private:
    friend class ParadoxTableData;
    ParadoxRecord(const ParadoxTableData* table, const char* data) : m_table(table), m_data(data) {}
    const ParadoxTableData* m_table;
    const char* m_data;
};

struct ParadoxReadOptions
{
    // Code page used for text when the file has none (version 3, or 0 in the
    // header and a sort order that names none). Tables of that age that ORV meets are Czech DOS
    // tables, and the Czech DOS code page is 852 (Latin 2); 437 has no Czech letters, so it would
    // turn every Czech character into garbage. ASCII text reads the same in both.
    int fallbackCodePage = 852;
};

class ParadoxReader
{
public:
    // Opens and validates the table; throws ETalvekException.
    explicit ParadoxReader(const QString& path, const ParadoxReadOptions& options = {});
    // Reads a table held in memory (the .MB contents may be empty when the
    // table has no memo file); `name` is used in messages.
    static ParadoxReader fromBytes(const QByteArray& db, const QByteArray& mb, const QString& name,
                                   const ParadoxReadOptions& options = {});
    ~ParadoxReader();
    ParadoxReader(ParadoxReader&&) noexcept;
    ParadoxReader& operator=(ParadoxReader&&) noexcept;

    const ParadoxHeader& header() const;
    QString path() const;
    // The .MB that memo or blob cells of the table refer to but that is
    // missing (those cells read as blank); empty when nothing is missing.
    QString missingMemoFile() const;
    // The Czech warning to show about the missing .MB; empty when none.
    QString warning() const;
    int fieldIndex(const QString& name) const; // case-insensitive; -1 when missing

    // Streams every record in file order (key order for keyed tables).
    void forEachRecord(const std::function<void(const ParadoxRecord&)>& visit) const;
    // Every record as a list of typed values; a blank is an invalid QVariant.
    QList<QVariantList> readAll() const;
    // Key fields of the .PX index entries (first key of each data block) with
    // the block number; empty when the table has no .PX. Used for checks.
    struct IndexEntry
    {
        QVariantList key;
        int block = 0;
        int recordCount = 0;
    };
    QList<IndexEntry> primaryIndex() const;

private:
    ParadoxReader() = default;
    void noteMissingMemoFile();
    std::unique_ptr<ParadoxTableData> m_data;
    QString m_missingMemoFile;
};

// Creates a whole Paradox 7 table (code page 1250).
//
// Values by field type: Alpha/Memo QString; Short/Long/AutoIncrement integer;
// Number/Currency/Bcd double; Logical bool; Date QDate; Time QTime; Timestamp
// QDateTime; Bytes and blob types QByteArray. An invalid QVariant (or a null
// QString/QDate...) is a blank. A value that does not fit (text longer than
// an Alpha field, integer out of range) throws ETalvekException.
//
// Atomic replacement: every file of the set (.DB and, when needed, .MB and
// .PX) is first written completely to a temporary file in the target
// directory and flushed. Then the companions are renamed into place and the
// .DB last; companions that the new table does not need are removed after
// the .DB is in place. Readers therefore see the old set or the new one; a
// crash before the last rename leaves the old .DB with possibly new
// companions, which the old .DB never reads out of range because every
// .MB pointer is checked.
class ParadoxWriter
{
public:
    ParadoxWriter(const QString& path, const QList<ParadoxField>& fields, int keyFieldCount);
    ~ParadoxWriter();

    // Streaming: add rows one by one (kept in memory encoded, ~record size),
    // then commit() sorts keyed tables and writes the set.
    void addRow(const QVariantList& row);
    qint64 rowCount() const;
    void commit();

    static void writeTable(const QString& path, const QList<ParadoxField>& fields,
                           int keyFieldCount, const QList<QVariantList>& rows);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

namespace ParadoxFiles {
// The existing entry of `dir` whose name equals `fileName` ignoring case
// (exact match preferred), as a full path; empty when there is none.
QString resolveCaseInsensitive(const QString& dir, const QString& fileName);
// The companion of a .DB path with another extension ("MB", "PX"), resolved
// case-insensitively; empty when there is none.
QString companionFile(const QString& dbPath, const QString& extension);
} // namespace ParadoxFiles
