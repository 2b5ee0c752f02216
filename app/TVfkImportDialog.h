#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class IApp;
namespace Ui {
class TVfkImportDialog;
}

// "Importovat VFK...": VFK files (several at once) into a new district
// directory, the code tables into the program's code-table directory, an
// alias bound to the district, which the catalogue dialog then opens on.
// The target defaults to a new folder under `dataDir` named after the
// district, the alias to the district's name. "Storno" during the import
// cancels it, and nothing written so far stays.
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
    // Imports, binds the alias and accepts; shows an error and stays open on failure.
    void ImportClick();

private:
    void AddClick();
    void RemoveClick();
    void BrowseClick();
    void CancelClick();
    void suggestTarget(const QString& file);
    bool progress(int percent, const QString& step);

    std::unique_ptr<Ui::TVfkImportDialog> ui;
    std::shared_ptr<IApp> m_app;
    QString m_dataDir;
    bool m_running = false;
    bool m_cancelled = false;
};
