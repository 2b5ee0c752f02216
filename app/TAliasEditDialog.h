#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAliasEditDialog;
}

// Asks for the name and the directory of a district alias. Depending on the
// mode only the name (rename) or only the directory (repoint) can be changed.
class TAliasEditDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Mode
    {
        Add,
        Rename,
        Repoint
    };

    TAliasEditDialog(QWidget* owner, Mode mode, const QString& name, const QString& directory);
    ~TAliasEditDialog() override;

    QString Name() const;
    QString Directory() const;
    void SetName(const QString& name);
    void SetDirectory(const QString& directory);

    // Chooses the directory in the folder dialog.
    void BrowseBtnClick();

private:
    std::unique_ptr<Ui::TAliasEditDialog> ui;
};
