#pragma once

#include "app/core/IApp.h"

#include <QFileDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QListWidget;
namespace Ui {
class TOpenFileDialog;
}

// The program's open dialog: Qt's own (non-native) file dialog with an alias
// bar below it. Choosing an engine alias jumps to its directory; a file chosen
// inside the directory of the selected alias comes back in alias form
// ("ALIAS:/rest/of/path"). An alias without a directory shows the list of its
// tables instead of the file list.
class TOpenFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    // Lines "name=directory" (directory empty for a database that is not a
    // directory of files), as AliasPathList gives them.
    using TableLister = std::function<QStringList(const QString& alias)>;

    explicit TOpenFileDialog(std::shared_ptr<IApp> app, QWidget* parent = nullptr);
    ~TOpenFileDialog() override;

    // "Description|pattern[;pattern]|Description|pattern..." as the program
    // writes filters.
    void SetFilter(const QString& filter);
    QString FilterExtensions() const { return m_extensions; }
    void SetInitialDir(const QString& directory);
    void SetFileName(const QString& fileName);
    void SetExactMatch(bool on) { m_exactMatch = on; }
    void SetMustExist(bool on) { m_mustExist = on; }
    void SetOverwritePrompt(bool on) { m_overwritePrompt = on; }
    void SetAliasList(const QStringList& aliasList);
    void SetTableLister(TableLister lister) { m_tableLister = std::move(lister); }

    // Shows the dialog modally; true on OK.
    bool Execute();
    // What the user chose, in alias form inside the selected alias's directory.
    QString FileName() const;
    QStringList FileNames() const;
    QString SelectedAlias() const { return m_selectedAlias; }
    QString SelectedAliasDir() const { return m_selectedAliasDir; }

    QComboBox* AliasCB() const;
    QCheckBox* OpenToWindowCB() const;
    QListWidget* TableList() const { return m_tableList; }
    bool TableMode() const { return m_tableMode; }

    // Handlers, public so that tests can drive them.
    void AliasCBChange(int index);
    void FolderChange(const QString& directory);
    void TableListChange();
    // The checks of OK; false (after telling the user) keeps the dialog open.
    bool CheckOnOK();
    // The alias whose directory equals `directory` (exact) or begins it.
    int AliasIndexForFolder(const QString& directory) const;
    // The typed names of the file-name field (one, or several in quotes).
    QStringList TypedNames() const;
    // The typed names as full paths, the default extension added to a name
    // without one.
    QStringList ChosenFiles() const;

    // Places the dialog where it was last closed, else centred horizontally
    // a third of the free height from the top.
    void RestorePosition();

public slots:
    void accept() override;
    void done(int result) override;

protected:
    virtual bool IsSaveDialog() const { return false; }
    void showEvent(QShowEvent* event) override;

private:
    void prepare();
    void setTableMode(bool on);
    bool extensionAccepted(const QString& name) const;
    bool checkTableNames(const QStringList& names);
    bool checkFileNames(const QStringList& names);
    QString aliasForm(const QString& path) const;
    QString aliasDir(int index) const;

    std::unique_ptr<Ui::TOpenFileDialog> ui;
    std::shared_ptr<IApp> m_app;
    QStringList m_aliasList;
    TableLister m_tableLister;
    QListWidget* m_tableList = nullptr;
    QString m_filter;
    QString m_extensions;
    bool m_exactMatch = false;
    bool m_mustExist = false;
    bool m_overwritePrompt = false;
    bool m_tableMode = false;
    bool m_prepared = false;
    QString m_selectedAlias;
    QString m_selectedAliasDir;
    QStringList m_result;
};
