#pragma once

// Encodes rows of QVariant values into Paradox records (code page 1250).
// Blob and memo values that do not fit their leader go to a ParadoxBlobStore.

#include "db/paradox/ParadoxTable.h"

#include <vector>

class CodePage;
class ParadoxBlobStore;

class ParadoxRecordEncoder
{
public:
    // `fields` must be normalised (sizes filled in); `tableName` is used in messages.
    ParadoxRecordEncoder(const QList<ParadoxField>& fields, const CodePage& codePage,
                         ParadoxBlobStore& blobs, QString tableName);

    int recordSize() const { return m_recordSize; }
    // Writes the record into `out` (recordSize() bytes, zeroed by the caller).
    void encode(const QVariantList& row, char* out);
    qint32 highestAutoIncrement() const { return m_autoIncrement; }

private:
    void encodeValue(int field, const QVariant& value, char* out);
    void encodeText(int field, const QString& text, char* out);
    bool logicalValue(int field, const QVariant& value) const;
    void encodeInteger(int field, const QVariant& value, char* out);
    void encodeNumber(int field, const QVariant& value, char* out);
    void encodeBcd(int field, const QVariant& value, char* out);
    void encodeBlob(int field, const QVariant& value, char* out);
    [[noreturn]] void failValue(int field, const QVariant& value, const QString& problem) const;

    const QList<ParadoxField> m_fields;
    std::vector<int> m_offsets;
    int m_recordSize = 0;
    const CodePage& m_codePage;
    ParadoxBlobStore& m_blobs;
    QString m_tableName;
    qint32 m_autoIncrement = 0;
};
