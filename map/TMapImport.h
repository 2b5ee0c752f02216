#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class QProgressDialog;
class QWidget;

// "Importovat mapu VFK...": the maps of the given VFK files read in a worker
// thread (VfkImporter::readMaps, the core of "orv-tool map import") behind a
// progress window with "Storno", then written into the map store. "Storno"
// leaves the store as it was: the read stops at its next step and its
// result is dropped.
class TMapImport : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool written = false;   // false: cancelled or failed
        QString text;           // the summary lines, or the Czech error
        QStringList codes;      // the areas whose maps were written
        bool cancelled = false; // "Storno": nothing written, nothing wrong
    };
    // `areas`: the national codes of the areas whose maps are wanted; empty
    // writes the map of every area in the files.
    TMapImport(QWidget* parent, QStringList files, QStringList areas = {});
    ~TMapImport() override;

    // Reads behind the modal progress window, then writes.
    Result run();
    // As "Storno": nothing is written.
    void cancel();
    static Result Run(QWidget* parent, const QStringList& files, const QStringList& areas = {});

signals:
    // A step of the read, shown in the progress window (in the window's thread).
    void stepped(int percent, const QString& step);

private:
    struct Shared;
    Result write() const;

    QWidget* m_parent;
    QStringList m_files;
    QStringList m_areas;
    std::shared_ptr<Shared> m_shared;
    QPointer<QProgressDialog> m_progress;
};
