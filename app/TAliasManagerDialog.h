#pragma once

#include "app/TAliasEditDialog.h"
#include "app/core/DistrictAliasEditor.h"
#include "app/core/IApp.h"

#include <QDialog>
#include <functional>
#include <memory>

class TAliasListModel;
namespace Ui {
class TAliasManagerDialog;
}

// Lists the district aliases and adds, renames, repoints and removes them.
// Each change is checked (a district directory must hold NYSKATAL.DB) and
// saved at once. Reached from the catalogue dialog, and offered there when no
// district alias is defined yet. Position stored under "AliasManagerDialog".
class TAliasManagerDialog : public QDialog
{
    Q_OBJECT

public:
    TAliasManagerDialog(QWidget* owner, std::shared_ptr<IApp> app, const QString& currentAlias);
    ~TAliasManagerDialog() override;

    // The alias selected in the list (after a rename its new name), or empty.
    QString CurrentAlias() const;
    void SelectAlias(const QString& name);
    TAliasListModel* Model() const { return m_model; }

    // The changes themselves; they throw ETalvekException and change nothing
    // on an error.
    void AddAlias(const QString& name, const QString& directory);
    void RenameAlias(const QString& name, const QString& newName);
    void RepointAlias(const QString& name, const QString& directory);
    void RemoveAlias(const QString& name);

    // Button handlers: ask for the values, apply them, show errors (and ask
    // again until the values are good or the user cancels).
    void AddBtnClick();
    void RenameBtnClick();
    void PathBtnClick();
    void RemoveBtnClick();
    // A new district from VFK files, bound to an alias that is then selected.
    void ImportVfkBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void updateButtons();
    void editUntilApplied(TAliasEditDialog::Mode mode, const QString& name,
                          const QString& directory,
                          const std::function<void(const TAliasEditDialog&)>& apply);

    std::unique_ptr<Ui::TAliasManagerDialog> ui;
    std::shared_ptr<IApp> m_app;
    DistrictAliasEditor m_editor;
    TAliasListModel* m_model = nullptr;
    bool m_shown = false;
};
