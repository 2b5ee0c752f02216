#pragma once

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <memory>

class IApp;
struct VfkDistrict;
namespace Ui {
class TVfkImportDialog;
}

// "Importovat VFK...": VFK files (several at once) into a new district
// directory, the code tables into the program's code-table directory, an
// alias bound to the district, which the catalogue dialog then opens on.
// The target defaults to a new folder under `dataDir` named after the
// district, the alias to the district's name. The import runs in a worker
// thread, so the dialog keeps answering: the step the import reports (the
// file, the area) in a label and the share done in the bar. "Storno" (or
// closing the dialog) during the import cancels it at the import's next
// report, and nothing written so far stays.
class TVfkImportDialog : public QDialog
{
    Q_OBJECT

public:
    TVfkImportDialog(QWidget* owner, std::shared_ptr<IApp> app, QString dataDir);
    ~TVfkImportDialog() override;

    // Adds files to the list; the first one suggests the target and the alias.
    void AddFiles(const QStringList& files);
    QString AliasName() const;
    QString TargetDir() const;
    // Imports, binds the alias and accepts; shows an error and stays open on
    // failure. Returns when the import has ended; the dialog's events are
    // handled meanwhile.
    void ImportClick();
    // During the import: cancels it instead of closing.
    void reject() override;

private:
    void AddClick();
    void RemoveClick();
    void BrowseClick();
    void CancelClick();
    void suggestTarget(const QString& file);
    void showProgress(int percent, const QString& step);
    void setEditable(bool editable);
    // Runs the import in a worker thread and this thread's events until it
    // ends; the import's error (a cancel too) is thrown here.
    VfkDistrict runImport(const QStringList& files);

    std::unique_ptr<Ui::TVfkImportDialog> ui;
    std::shared_ptr<IApp> m_app;
    QString m_dataDir;
    bool m_running = false;
    // Read by the worker at every report of the import.
    std::atomic<bool> m_cancelled{false};
};
