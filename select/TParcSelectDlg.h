#pragma once

#include "app/core/IApp.h"
#include "app/core/MainOrvEntries.h"
#include "db/Table.h"
#include "select/core/TConditionSelector.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
namespace Ui {
class TParcSelectDlg;
}

// "Výběr parcel podle podmínek": builds the selection in the work table step
// by step from conditions (field, operator, value) over the area's parcel
// table. "&Přidat" adds the parcels found, "&Vyjmout" takes them out; each
// step is a line of the history list, and a double click (or Enter) on a line
// returns the work table to the state after it. In parts-only mode ("Výběr
// dílů parcel podle podmínek") a condition takes just the parts that fit it.
// Steps change the work table at once: "Storno" keeps them. The rules live in
// TConditionSelector, shared with "orv-tool select".
class TParcSelectDlg : public QDialog
{
    Q_OBJECT

public:
    // `parcels` is the area's open parcel table (stays the caller's);
    // `workPath` the full path of the work table, created when missing.
    TParcSelectDlg(Table& parcels, bool partsOnly, std::shared_ptr<IApp> app,
                   const QString& workPath, QWidget* parent = nullptr);
    ~TParcSelectDlg() override;

    // Modal result of "Mapa": the selection is to be shown on the map.
    static constexpr int ResultMap = 6;
    // Creates the dialog, runs it modally at its stored position and
    // returns the result (QDialog::Accepted for "Výpis", ResultMap for
    // "Mapa", which shows only with `mapButton`).
    static int Execute(QWidget* owner, Table& parcels, bool partsOnly,
                       const std::shared_ptr<IApp>& app, const QString& workPath,
                       bool mapButton = false);
    // The main window's entry for menu tags 5 and 4: opens the area's parcel
    // table, runs the dialog with "Mapa" when the area has a map in the map
    // store; returns the dialog's result.
    static int ConditionsSelection(QWidget* owner, bool partsOnly, const TSelectionContext& ctx);

    TConditionSelector& Selector() { return *m_selector; }
    Table& TableParc() { return m_tableParc; }
    QComboBox* CBoxName() const;
    QComboBox* CBoxRelace() const;
    QComboBox* DBLookupCB() const;
    QLineEdit* Edit() const;
    QStackedWidget* Notebook() const;
    QListWidget* LBoxHistorie() const;
    QPushButton* Button(const char* name) const;

    // The trimmed text of the value control on the current page.
    QString ValueText() const;
    void CBoxNameChange();
    void DBLookupCBChange();
    void EditValueChange();
    // A step with the condition on screen; errors are shown.
    void AddBtnClick() { step(true); }
    void DeleteBtnClick() { step(false); }
    void ClearBtnClick();
    // Recalls history line `line` unless it is the newest.
    void Recall(int line);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillFieldList();
    bool openCodeTable(const TConditionCodeTable& code);
    void step(bool add);
    void showHistory();
    TCondition condition() const;
    template <typename F> void guarded(F action);

    std::unique_ptr<Ui::TParcSelectDlg> ui;
    std::shared_ptr<IApp> m_app;
    bool m_partsOnly;
    Table m_tableParc;
    Table m_tableValue;
    std::unique_ptr<TConditionSelector> m_selector;
    bool m_inLookupChange = false;
};
