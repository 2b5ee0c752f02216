#pragma once

#include <QString>

// A lock file beside a table file ("." + file name + ".orvlock"), held by one
// writer for the moment of one change: two ORV processes sharing a district
// directory write the same table one after the other, each over the other's
// rows. The file is created exclusively; a lock older than a few seconds is
// left over from a crashed writer and is taken over.
class TableLock
{
public:
    // Waits up to `waitMs` for another writer to finish; then fails with a
    // Czech message naming the table.
    explicit TableLock(const QString& tablePath, int waitMs = 5000);
    ~TableLock();
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

    static QString lockPath(const QString& tablePath);

private:
    bool tryCreate();
    bool removeIfStale();

    QString m_path;
    bool m_held = false;
};
