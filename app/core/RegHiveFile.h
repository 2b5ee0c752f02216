#pragma once

#include "app/core/RegDocument.h"

#include <QDateTime>
#include <QStringList>
#include <functional>

// One registry file on disk (the per-user or the machine file). Reads it on
// first use and again whenever the file changed on disk; every change is
// written at once and atomically (a temporary file renamed over the old one).
//
// A file that can't be read or parsed is reported once, moved aside as
// "<name>.bad-<date>" so that nothing in it is lost, and treated as empty. If
// it can't even be moved aside, the store keeps its values in memory only and
// never writes over the bad file.
class RegHiveFile
{
public:
    explicit RegHiveFile(QString path);

    const QString& path() const { return m_path; }
    const RegDocument& document();
    // Applies `change` to the current contents and writes the file. Throws
    // ETalvekException when the file can't be written.
    void modify(const std::function<void(RegDocument&)>& change);

    // Problems found while reading, each reported once.
    QStringList takeProblems();
    // Called with each new problem; when set, problems are not queued.
    void setProblemHandler(std::function<void(const QString&)> handler);

private:
    void reloadIfChanged();
    void load();
    void save();
    void setAside(const QString& reason);
    void report(const QString& problem);
    void rememberFileState();

    QString m_path;
    RegDocument m_doc;
    bool m_loaded = false;
    bool m_memoryOnly = false;
    bool m_existed = false;
    qint64 m_size = -1;
    QDateTime m_modified;
    QStringList m_problems;
    std::function<void(const QString&)> m_handler;
};
