#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "browse/core/TMarkSummary.h"

#include <QDialog>
#include <memory>
#include <optional>

class Dataset;
class Query;
class Table;
class TBrowseGridModel;
class TCProcessDlg;
namespace Ui {
class TParDilyDbf;
}

// The browser over a parcel selection: the work table in a grid completed by
// the area's parcel table, the code texts of the current part, its owners,
// and the pages own text, soil quality, users and older-register parcels.
// Marks are changed by a double click, Space (toggle), Insert (mark and move
// down) and the mark button, and counted under the grid; the list is sorted
// by a click on a column title. Placement is kept under "ParDilyDbf".
class TParDilyDbf : public QDialog
{
    Q_OBJECT

public:
    enum Page
    {
        PageText,
        PageBonita,
        PageUsers,
        PagePK
    };

    // Opens the data unless `workTablePath` is empty. Engine errors pass on.
    TParDilyDbf(QWidget* owner, std::shared_ptr<IApp> app, const QString& workTablePath,
                const TKUInfo& ku);
    ~TParDilyDbf() override;

    // Creates the browser, sets its caption, shows it modally, frees it and
    // returns the modal result (always Rejected: the window is only closed).
    // mode 1: parts; otherwise parcels. listNumber > 0: an ownership sheet,
    // < 0: minus an evidence list, 0: none.
    static int ExecuteParDily(QWidget* owner, int mode, int listNumber,
                              const std::shared_ptr<IApp>& app, const QString& workTablePath,
                              const TKUInfo& ku);
    // The view mode and the caption that goes with it.
    void SetupView(int mode, int listNumber);

    void OpenData(bool allTables);

    // Handlers, named after their control and event.
    void DSPaDataChange();
    void DBGridPaTitleClick(int column); // throws ETalvekException
    void DBGridPaDblClick(int row);
    // Space on the grid: the current part's mark inverted; Insert: the
    // current part marked and the next one made current.
    void ToggleCurrentMark();
    void MarkCurrentAndNext();
    void FlagBtnClick();
    void RGStrandardClick(int item);
    void DoplCBClick();
    void AddPKBtnClick();
    void DBGridVlDblClick();
    void CancelBtnClick();
    // "&Tisk": output options, then a listing or a form; "&Výměry": area sums.
    void TiskBtnClick();
    void VymeryBtnClick();
    // "&Export": the export popup below the button (TParDilyExport).
    void ExportBtnClick();
    // Stores the typed own text of the part shown; throws when the table
    // cannot hold it (the text stays in the editor).
    void PostOwnText();

    Table& TablePa() const { return *m_tablePa; }
    Table& TableVl() const { return *m_tableVl; }
    Table& TableUz() const { return *m_tableUz; }
    Table& TableMemoTxt() const { return *m_tableMemoTxt; }
    Query& QueryBonity() const { return *m_queryBonity; }
    Query& QueryPK() const { return *m_queryPK; }
    TBrowseGridModel* GridModel() const { return m_gridPa; }
    // The progress window owned by the browser, for its long operations.
    TCProcessDlg* ProcessDlg() const { return m_process; }
    TBrowseGridModel* OwnersModel() const { return m_gridVl; }
    bool MarkToggle() const { return m_markToggle; }
    const TMarkSummary& MarkSummary() const { return m_marks; }
    bool ParcelView() const { return m_mode != 1; }
    int OwnLV() const { return m_ownLv; }
    int LandLV() const { return m_landLv; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TParDilyPrint PrintCommand();
    void setFirstSize();
    void createDatasets();
    void createModels();
    void connectControls();
    void bindCodeTable(Table& table, const QString& file, const QString& order);
    void bindAreaTable(Table& table, const QString& file, const QString& order);
    void CalcOwnerName(Dataset& ds);
    QString LookupOwnerName(double ident, int uvchar);
    QString CodeText(Table& table, qint64 code);
    QString ProtectionText(int digit, int code);
    void UpdateCodeTexts();
    void UpdateOwners();
    bool FindLandLV();
    void UpdatePages();
    void UpdateBonity();
    void UpdatePK();
    void UpdateCharak();
    void UpdateSektor();
    void PrepareOwnText();
    void LoadOwnText();
    bool PostOwnTextOrReturn();
    void SyncGridToDataset();
    void GridRowChosen(int row);
    void runGuarded(const std::function<void()>& action);
    void setColumnWidths(class QTableView* view, TBrowseGridModel* model);
    QVariantList currentPartKey() const;
    // Sets (or, without `mark`, inverts) the mark of `row` and counts it.
    void SetRowMark(int row, std::optional<bool> mark);
    void ShowMarkSummary();

    std::unique_ptr<Ui::TParDilyDbf> ui;
    std::shared_ptr<IApp> m_app;
    TKUInfo m_ku;
    QString m_workTablePath;
    QString m_workDir;
    QString m_workFile;
    int m_mode = 0;
    int m_listNumber = 0;
    bool m_markToggle = false;
    TMarkSummary m_marks;
    class QLabel* m_markLabel = nullptr;
    QString m_rememberedParcislo;
    int m_ownLv = 0;
    int m_landLv = 0;

    Table* m_tablePa = nullptr;
    Table* m_tablePopCis = nullptr;
    Table* m_tableJm = nullptr;
    Table* m_tableVl = nullptr;
    Table* m_tableUz = nullptr;
    Table* m_tableDruhP = nullptr;
    Table* m_tableVyuz = nullptr;
    Table* m_tableVztah = nullptr;
    Table* m_tableSektor = nullptr;
    Table* m_tableCharUV = nullptr;
    Table* m_tableParSkup = nullptr;
    Table* m_tableMemoTxt = nullptr;
    Query* m_queryBonity = nullptr;
    Query* m_queryPK = nullptr;
    Query* m_queryDoplVl = nullptr;
    Query* m_workQuery = nullptr;
    TCProcessDlg* m_process = nullptr;

    TBrowseGridModel* m_gridPa = nullptr;
    TBrowseGridModel* m_gridVl = nullptr;
    TBrowseGridModel* m_gridUz = nullptr;
    TBrowseGridModel* m_gridBonity = nullptr;
    TBrowseGridModel* m_gridPK = nullptr;

    // Own text of the part shown in the editor.
    QVariantList m_memoKey;
    bool m_memoDirty = false;
    bool m_memoLoading = false;
    bool m_returningToPart = false;
    bool m_syncing = false;
    int m_shownRecNo = -1;
    QVariantList m_shownKey;
};
