#pragma once

#include "app/core/IApp.h"
#include "browse/core/TAreaSums.h"

#include <QDialog>
#include <memory>

class QLabel;
namespace Ui {
class TVymeryDlg;
}

// "Součty výměr podle druhů pozemku": the area sums of the marked parts in
// two framed columns (agricultural and non-agricultural land) with the
// building counters. "&Soubor" closes with Accepted (write to a file),
// "&Tisk" with Print (print), "Storno" with Rejected.
class TVymeryDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Print = 6; // the "yes" result of "&Tisk"

    TVymeryDlg(std::shared_ptr<IApp> app, QWidget* owner = nullptr);
    ~TVymeryDlg() override;

    // Every value label from the sums ("%12.4f%6d" of hectares and count),
    // the counters as plain integers.
    void SetValues(const TAreaSums& sums);
    // The value label of a summary index (0..15).
    QLabel* ValueLabel(int index) const;
    QLabel* HouseCounter() const;
    QLabel* RegistrationCounter() const;

private:
    std::unique_ptr<Ui::TVymeryDlg> ui;
    std::shared_ptr<IApp> m_app;
};
