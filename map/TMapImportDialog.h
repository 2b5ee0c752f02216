#pragma once

#include "app/core/TKUInfo.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QListWidget;
class QPushButton;

// "Import mapy VFK": the open areas, each saying whether the map store has
// its map, and the VFK files to read. Ticked areas take only their own maps
// from the files; with none ticked every map in the files is written.
// "Importovat" runs TMapImport (progress window with "Storno"); after a
// write the list shows the new state and the dialog closes.
class TMapImportDialog : public QDialog
{
    Q_OBJECT
public:
    TMapImportDialog(const QList<TKUInfo>& areas, QWidget* parent = nullptr);

    // The line of an open area in the list ("Saladín (789160) – bez mapy").
    static QString AreaLine(const TKUInfo& area);
    void AddFiles(const QStringList& files);
    // Ticks the area at `row` of the list.
    void SetTicked(int row, bool ticked);
    QListWidget* AreaList() const { return m_areaList; }
    QListWidget* FileList() const { return m_fileList; }
    // Reads and writes; shows the summary or the error.
    void ImportClick();
    // The areas whose maps were written.
    const QStringList& WrittenCodes() const { return m_written; }

private:
    void showAreas();
    void addFilesClick();
    void removeFileClick();
    void updateButtons();

    QList<TKUInfo> m_areas;
    QListWidget* m_areaList;
    QListWidget* m_fileList;
    QPushButton* m_import;
    QPushButton* m_remove;
    QStringList m_written;
};
