#include "map/TMapImport.h"

#include "base/ETalvekException.h"
#include "import/VfkImporter.h"
#include "import/VfkMapBuilder.h"
#include "map/core/MapStore.h"

#include <QDir>
#include <QProgressDialog>
#include <QThread>

#include <memory>

namespace {
// What the worker fills; shared so that a cancelled read may outlive the
// window that started it.
struct Shared
{
    VfkImporter::Maps read;
    QString error;
};
} // namespace

TMapImport::Result TMapImport::Run(QWidget* parent, const QStringList& files)
{
    auto shared = std::make_shared<Shared>();
    QThread* worker = QThread::create([shared, files] {
        try {
            shared->read = VfkImporter::readMaps(files);
        } catch (const ETalvekException& e) {
            shared->error = e.message();
        } catch (const std::exception& e) {
            shared->error = QString::fromLocal8Bit(e.what());
        }
    });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QProgressDialog progress(QStringLiteral("Načítání mapy ze souborů VFK..."),
                             QStringLiteral("Storno"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("Import mapy VFK"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    bool finished = false;
    QObject::connect(worker, &QThread::finished, &progress, [&] {
        finished = true;
        progress.reset();
    });
    worker->start();
    progress.exec();
    if (!finished)
        return {false, QStringLiteral("Import mapy byl přerušen; úložiště map se nezměnilo.")};
    if (!shared->error.isEmpty())
        return {false, shared->error};
    const MapStore store;
    try {
        VfkImporter::writeMaps(shared->read.maps, store.directory());
    } catch (const ETalvekException& e) {
        return {false, e.message()};
    }
    QStringList lines;
    for (const MapArea& map : shared->read.maps)
        lines << VfkMapBuilder::summary(map).trimmed();
    for (const QString& warning : shared->read.warnings)
        lines << QStringLiteral("upozornění: ") + warning;
    lines << QStringLiteral("Mapy zapsány do %1.").arg(QDir::toNativeSeparators(store.directory()));
    return {true, lines.join(QLatin1Char('\n'))};
}
