#include "settings/RegHiveFile.h"

#include "base/ETalvekException.h"
#include "db/TableWriteGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QSaveFile>
#include <sys/stat.h>
#include <utility>

RegHiveFile::RegHiveFile(QString path) : m_path(std::move(path)) {}

const RegDocument& RegHiveFile::document()
{
    reloadIfChanged();
    return m_doc;
}

void RegHiveFile::reloadIfChanged()
{
    if (m_memoryOnly && m_loaded)
        return;
    const bool changed = !m_loaded || currentFileState() != m_state;
    if (changed)
        load();
}

void RegHiveFile::rememberFileState()
{
    m_state = currentFileState();
}

RegHiveFile::FileState RegHiveFile::currentFileState() const
{
    struct stat st = {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return FileState{};
    return FileState{true, quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void RegHiveFile::load()
{
    m_loaded = true;
    m_doc = RegDocument();
    QFile file(m_path);
    if (!file.exists()) {
        rememberFileState();
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(QStringLiteral("soubor nelze přečíst: %1").arg(file.errorString()));
        return;
    }
    // Settings are small; a larger file is damaged or not ours, and reading
    // it whole could exhaust the memory. The size read counts, not the size
    // reported.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    file.close();
    if (bytes.size() > MaxFileSize) {
        setAside(QStringLiteral("soubor je větší než %1 MB").arg(MaxFileSize / (1024 * 1024)));
        return;
    }
    QString error;
    RegDocument parsed;
    if (!RegDocument::parse(bytes, parsed, error)) {
        setAside(error);
        return;
    }
    m_doc = parsed;
    rememberFileState();
}

void RegHiveFile::setAside(const QString& reason)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".bad-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".bad-%1-%2").arg(stamp).arg(n);
    if (QFile::rename(m_path, aside)) {
        rememberFileState();
        report(QStringLiteral("Soubor nastavení %1 je poškozený (%2). Byl odložen jako %3 "
                              "a program pokračuje s prázdným nastavením.")
                   .arg(QDir::toNativeSeparators(m_path), reason, QDir::toNativeSeparators(aside)));
        return;
    }
    m_memoryOnly = true;
    report(QStringLiteral("Soubor nastavení %1 je poškozený (%2) a nelze ho odložit. Program "
                          "pokračuje s prázdným nastavením a do souboru nebude nic ukládat.")
               .arg(QDir::toNativeSeparators(m_path), reason));
}

void RegHiveFile::report(const QString& problem)
{
    if (m_handler)
        m_handler(problem);
    else
        m_problems << problem;
}

void RegHiveFile::modify(const std::function<void(RegDocument&)>& change)
{
    reloadIfChanged();
    const RegDocument before = m_doc;
    change(m_doc);
    if (m_memoryOnly)
        return;
    try {
        save();
    } catch (...) {
        m_doc = before; // memory stays what the file holds
        throw;
    }
}

void RegHiveFile::save()
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        throw ETalvekException(QStringLiteral("Nelze vytvořit adresář %1 pro soubor nastavení.")
                                   .arg(QDir::toNativeSeparators(info.absolutePath())));
    }
    TableWriteGuard::checkOutputFile(m_path);
    QSaveFile file(m_path);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(m_doc.serialize()) >= 0 && file.commit();
    if (!written) {
        throw ETalvekException(QStringLiteral("Nastavení nelze uložit do souboru %1: %2")
                                   .arg(QDir::toNativeSeparators(m_path), file.errorString()));
    }
    rememberFileState();
}

QStringList RegHiveFile::takeProblems()
{
    return std::exchange(m_problems, {});
}

void RegHiveFile::setProblemHandler(std::function<void(const QString&)> handler)
{
    m_handler = std::move(handler);
    if (m_handler)
        for (const QString& p : takeProblems())
            m_handler(p);
}
