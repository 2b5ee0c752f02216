#pragma once

#include "app/core/IApp.h"

#include <QDialog>
#include <memory>

class QTextStream;
class Query;
class Table;
class TBrowseGridModel;
namespace Ui {
class TDoplnDlg;
}

// The supplementary records of one ownership sheet ("NYSVL" + suffix), with
// the texts of the current record ("NYSTX" + suffix) and the names of its
// record and document types; optionally only the records naming one parcel.
// The same data are written as the plain-text section of the listings.
class TDoplnDlg : public QDialog
{
    Q_OBJECT

public:
    // Opens the data; engine errors pass on. parcelKey = stem * 1000 +
    // subdivision, 0 for every record of the sheet.
    TDoplnDlg(QWidget* owner, std::shared_ptr<IApp> app, const QString& alias,
              const QString& suffix, int sheet, qint64 parcelKey, int group);
    ~TDoplnDlg() override;

    // The record query's condition lines for a sheet and parcel.
    static QStringList FilterLines(int sheet, qint64 parcelKey, int group);
    // Writes the text section with `margin` leading spaces; the line count.
    int WriteLVSupplement(QTextStream& out, int margin);
    // Handler: the current record changed.
    void QueryVlDataChange();

    Query& QueryVl() const { return *m_queryVl; }
    Query& QueryTx() const { return *m_queryTx; }

private:
    void CalcFields(class Dataset& ds);
    QString CurrentValueLabel();

    std::unique_ptr<Ui::TDoplnDlg> ui;
    std::shared_ptr<IApp> m_app;
    QString m_suffix;
    Query* m_queryVl = nullptr;
    Query* m_queryTx = nullptr;
    Table* m_tableDText = nullptr;
    Table* m_tableList = nullptr;
    TBrowseGridModel* m_gridVl = nullptr;
    TBrowseGridModel* m_gridTx = nullptr;
};

// Shows the supplementary records of `sheet` (mode < 0: the dialog, modally;
// 0 for the result) or writes them into `file` with `mode` as the left
// margin, returning the number of lines written. When a records table is
// missing, the dialog mode fails with the file name and "Soubor nebyl
// nalezen" and the text mode writes nothing.
int ShowLVSupplement(const std::shared_ptr<IApp>& app, const QString& alias, const QString& suffix,
                     int sheet, int mode, QTextStream* file, qint64 parcelKey, int group);
