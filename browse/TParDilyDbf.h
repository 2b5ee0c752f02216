#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "browse/core/TBrowseTables.h"
#include "browse/core/TOwnText.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QPushButton;
class TBrowseGridModel;
class TCProcessDlg;
class TMapWindow;
class TParDilyDetails;
class TPartsGrid;
namespace Ui {
class TParDilyDbf;
}

// The browser over a parcel selection: the work table in a grid completed by
// the area's parcel table (TPartsGrid: marks, sorting), the details of the
// current part (TParDilyDetails), and the pages own text, soil quality,
// users and older-register parcels. The data come from TBrowseTables and
// TOwnText, which need no window. Placement is kept under "ParDilyDbf".
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
    // The same, opened on the first part of parcel (group, stem,
    // subdivision), as a double click on the map asks for; a parcel the
    // work table lacks leaves the first part current.
    static int ExecuteParDilyAt(QWidget* owner, int mode, const std::shared_ptr<IApp>& app,
                                const QString& workTablePath, const TKUInfo& ku, int group,
                                int stem, int subdivision);
    // The view mode and the caption that goes with it.
    void SetupView(int mode, int listNumber);

    void OpenData(bool allTables);

    // Handlers, named after their control and event.
    void DSPaDataChange();
    void DBGridPaTitleClick(int column); // throws ETalvekException
    void DBGridPaDblClick(int row);
    void FlagBtnClick();
    void RGStrandardClick(int item);
    void AddPKBtnClick();
    void DBGridVlDblClick();
    void CancelBtnClick();
    // "&Tisk": output options, then a listing or a form; "&Výměry": area sums.
    void TiskBtnClick();
    void VymeryBtnClick();
    // "&Export": the export popup below the button (TParDilyExport).
    void ExportBtnClick();
    // "Mapa": the area's map, zoomed to the marked parts, as the browser's
    // own window (usable beside the modal browser, closed with it).
    void MapaBtnClick();
    // Makes the first part of the parcel current (a double click on the
    // browser's map); false when the work table has no part of it.
    bool ShowParcel(int group, int stem, int subdivision);
    // Reads the work table again after another window wrote it (a pick on
    // the map): the grid, the marks and their count, the current part kept.
    void WorkTableChanged();
    // Stores the typed own text of the part shown; throws when the table
    // cannot hold it (the text stays in the editor).
    void PostOwnText();

    Table& TablePa() const { return m_tables->Parts(); }
    Table& TableVl() const { return m_tables->Owners(); }
    Table& TableUz() const { return m_tables->Users(); }
    Query& QueryBonity() const { return m_tables->Bonity(); }
    Query& QueryPK() const { return m_tables->OlderParcels(); }
    TBrowseGridModel* GridModel() const;
    // The progress window owned by the browser, for its long operations.
    TCProcessDlg* ProcessDlg() const { return m_process; }
    TBrowseGridModel* OwnersModel() const;
    bool ParcelView() const { return m_mode != 1; }
    int OwnLV() const;
    int LandLV() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class TParDilyPrint PrintCommand();
    void setFirstSize();
    void connectControls();
    void PrepareOwnText();
    void LoadOwnText();
    bool PostOwnTextOrReturn();
    void runGuarded(const std::function<void()>& action);

    std::unique_ptr<Ui::TParDilyDbf> ui;
    std::shared_ptr<IApp> m_app;
    TKUInfo m_ku;
    QString m_workTablePath;
    QPushButton* m_mapBtn = nullptr; // shown when the area has a map
    QPointer<TMapWindow> m_map;
    int m_mode = 0;
    int m_listNumber = 0;
    bool m_markToggle = false;
    TBrowseTables* m_tables = nullptr;
    std::unique_ptr<TOwnText> m_ownText;
    TPartsGrid* m_grid = nullptr;
    TParDilyDetails* m_details = nullptr;
    TCProcessDlg* m_process = nullptr;

    // The part shown: its position and key, and whether the editor is being
    // filled or the cursor returns to the part whose text was refused.
    bool m_memoLoading = false;
    bool m_returningToPart = false;
    int m_shownRecNo = -1;
    QVariantList m_shownKey;
};
