#pragma once

#include "settings/RegDocument.h"

#include <QStringList>
#include <functional>

// One registry file on disk (the per-user or the machine file). Reads it on
// first use and again whenever the file changed on disk; every change is
// written at once and atomically (a temporary file renamed over the old one).
//
// A file that can't be read or parsed, or is larger than MaxFileSize, is
// reported once, moved aside as
// "<name>.bad-<date>" so that nothing in it is lost, and treated as empty. If
// it can't even be moved aside, the store keeps its values in memory only and
// never writes over the bad file.
class RegHiveFile
{
public:
    // Larger files are set aside like damaged ones.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    explicit RegHiveFile(QString path);

    const QString& path() const { return m_path; }
    const RegDocument& document();
    // Applies `change` to the current contents and writes the file. Throws
    // ETalvekException when the file can't be written.
    void modify(const std::function<void(RegDocument&)>& change);

    // Problems found while reading, each reported once.
    QStringList takeProblems();
    // Hands a problem found by a reader of the values (a value of the wrong
    // type) to the handler, or queues it.
    void report(const QString& problem);
    // Called with each new problem; when set, problems are not queued.
    void setProblemHandler(std::function<void(const QString&)> handler);

private:
    void reloadIfChanged();
    void load();
    void save();
    void setAside(const QString& reason);
    void rememberFileState();
    // Identity of the file on disk: an atomic write (rename) changes the
    // inode, any write the size or the modification time (in nanoseconds).
    struct FileState
    {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        bool operator==(const FileState&) const = default;
    };
    FileState currentFileState() const;

    QString m_path;
    RegDocument m_doc;
    bool m_loaded = false;
    bool m_memoryOnly = false;
    FileState m_state;
    QStringList m_problems;
    std::function<void(const QString&)> m_handler;
};
