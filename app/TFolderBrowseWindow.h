#pragma once

#include <QDialog>
#include <memory>

class QFileSystemModel;
class QPushButton;
namespace Ui {
class TFolderBrowseWindow;
}

// The folder-browse window of TFolderDialog: a prompt, a tree of folders
// under a root, a status line with the selected path, OK and Storno.
class TFolderBrowseWindow : public QDialog
{
    Q_OBJECT

public:
    struct Setup
    {
        QString Title;
        QString Prompt;
        QString RootPath;
        QString Directory;    // selected when the window opens, if it exists
        bool DirsOnly = true; // OK only for a folder
        bool IncludeFiles = false;
        bool StatusLine = true;
        bool PathInStatus = true;
        QPushButton* CustomButton = nullptr;
    };

    TFolderBrowseWindow(const Setup& setup, QWidget* owner);
    ~TFolderBrowseWindow() override;

    // Selects `path` in the tree; false when it is not there.
    bool SelectPath(const QString& path);
    // The selected item's path, empty when nothing is selected.
    QString SelectedPath() const;
    QString SelectedDisplayName() const;
    QString StatusText() const;
    bool CanAccept() const;
    // Creates the folder `name` in the selected folder (the root when none
    // is selected) and selects it; an error box names a folder that cannot
    // be created.
    bool CreateFolder(const QString& name);

signals:
    void SelectionChanged(const QString& path);

private:
    void selectionChanged();
    void askForNewFolder();
    QString newFolderParent() const;

    std::unique_ptr<Ui::TFolderBrowseWindow> ui;
    QFileSystemModel* m_model = nullptr;
    Setup m_setup;
};
