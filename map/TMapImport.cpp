#include "map/TMapImport.h"

#include "base/ETalvekException.h"
#include "import/VfkImporter.h"
#include "import/VfkMapBuilder.h"
#include "map/core/MapStore.h"

#include <QDir>
#include <QMutex>
#include <QProgressDialog>
#include <QThread>

#include <atomic>

// What the worker fills; shared so that a cancelled read may outlive the
// window that started it. `receiver` is cleared (under the mutex) when the
// window's side is gone, so the worker never posts to a destroyed object.
struct TMapImport::Shared
{
    VfkImporter::Maps read;
    QString error;
    std::atomic<bool> cancelled{false};
    QMutex mutex;
    TMapImport* receiver = nullptr;
};

TMapImport::TMapImport(QWidget* parent, QStringList files, QStringList areas)
    : m_parent(parent), m_files(std::move(files)), m_areas(std::move(areas)),
      m_shared(std::make_shared<Shared>())
{
    m_shared->receiver = this;
}

TMapImport::~TMapImport()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->receiver = nullptr;
    m_shared->cancelled = true;
}

TMapImport::Result TMapImport::Run(QWidget* parent, const QStringList& files,
                                   const QStringList& areas)
{
    return TMapImport(parent, files, areas).run();
}

void TMapImport::cancel()
{
    m_shared->cancelled = true;
    if (m_progress)
        m_progress->cancel();
}

TMapImport::Result TMapImport::run()
{
    const std::shared_ptr<Shared> shared = m_shared;
    const QStringList files = m_files;
    QThread* worker = QThread::create([shared, files] {
        const auto progress = [shared](int percent, const QString& step) {
            if (shared->cancelled)
                return false;
            QMutexLocker lock(&shared->mutex);
            if (TMapImport* receiver = shared->receiver)
                QMetaObject::invokeMethod(
                    receiver, [receiver, percent, step] { emit receiver->stepped(percent, step); });
            return true;
        };
        try {
            shared->read = VfkImporter::readMaps(files, progress);
        } catch (const ETalvekException& e) {
            shared->error = e.message();
        } catch (const std::exception& e) {
            shared->error = QString::fromLocal8Bit(e.what());
        }
    });
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QProgressDialog progress(QStringLiteral("Načítání mapy ze souborů VFK..."),
                             QStringLiteral("Storno"), 0, 100, m_parent);
    m_progress = &progress;
    progress.setWindowTitle(QStringLiteral("Import mapy VFK"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    connect(&progress, &QProgressDialog::canceled, this, [this] { m_shared->cancelled = true; });
    connect(this, &TMapImport::stepped, &progress, [&progress](int percent, const QString& step) {
        progress.setLabelText(step);
        progress.setValue(percent);
    });
    bool finished = false;
    // Posted after every step, so a step's "Storno" is always seen first.
    connect(worker, &QThread::finished, &progress, [&] {
        finished = true;
        progress.reset();
    });
    worker->start();
    if (!finished && !shared->cancelled)
        progress.exec();
    m_progress = nullptr;
    if (!finished || shared->cancelled)
        return {false,
                QStringLiteral("Import mapy byl přerušen; úložiště map se nezměnilo."),
                {},
                true};
    if (!shared->error.isEmpty())
        return {false, shared->error, {}};
    return write();
}

TMapImport::Result TMapImport::write() const
{
    const VfkImporter::Maps& read = m_shared->read;
    QList<MapArea> maps;
    QStringList missing = m_areas;
    for (const MapArea& map : read.maps)
        if (m_areas.isEmpty() || missing.removeAll(map.code) > 0)
            maps.append(map);
    QStringList shown;
    for (const QString& file : m_files)
        shown << QDir::toNativeSeparators(file);
    if (maps.isEmpty())
        return {false,
                QStringLiteral("Soubory %1 nemají mapu zvoleného území (%2); úložiště map se "
                               "nezměnilo.")
                    .arg(shown.join(QStringLiteral(", ")), m_areas.join(QStringLiteral(", "))),
                {}};
    const MapStore store;
    try {
        VfkImporter::writeMaps(maps, store.directory());
    } catch (const ETalvekException& e) {
        return {false, e.message(), {}};
    }
    Result result{true, {}, {}};
    QStringList lines;
    for (const MapArea& map : maps) {
        lines << VfkMapBuilder::summary(map).trimmed();
        result.codes << map.code;
    }
    for (const QString& code : missing)
        lines << QStringLiteral("upozornění: soubory nemají mapu území %1").arg(code);
    for (const QString& warning : read.warnings)
        lines << QStringLiteral("upozornění: ") + warning;
    lines << QStringLiteral("Mapy zapsány do %1.").arg(QDir::toNativeSeparators(store.directory()));
    result.text = lines.join(QLatin1Char('\n'));
    return result;
}
