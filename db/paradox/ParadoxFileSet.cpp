#include "db/paradox/ParadoxFileSet.h"

#include "base/ETalvekException.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <memory>
#include <vector>

void ParadoxFileSet::write(const QString& path, const QByteArray& contents)
{
    m_writes.append({path, contents});
}

void ParadoxFileSet::removeAfterCommit(const QString& path)
{
    m_removals.append(path);
}

void ParadoxFileSet::commit()
{
    std::vector<std::unique_ptr<QSaveFile>> files;
    for (const Entry& e : m_writes) {
        auto file = std::make_unique<QSaveFile>(e.path);
        if (!file->open(QIODevice::WriteOnly) || file->write(e.contents) != e.contents.size() ||
            !file->flush())
            throw ETalvekException(QStringLiteral("Soubor \"%1\" nelze zapsat: %2")
                                       .arg(QDir::toNativeSeparators(e.path), file->errorString()));
        files.push_back(std::move(file));
    }
    // All temporary files are complete; rename them into place in order.
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->commit())
            throw ETalvekException(QStringLiteral("Soubor \"%1\" nelze uložit: %2")
                                       .arg(QDir::toNativeSeparators(m_writes[qsizetype(i)].path),
                                            files[i]->errorString()));
    }
    for (const QString& path : m_removals)
        QFile::remove(path);
}
