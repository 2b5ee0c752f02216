#include "map/TMapPrintDlg.h"

#include "ui_TMapPrintDlg.h"

#include "app/core/IApp.h"
#include "map/core/MapPrintPage.h"
#include "settings/ISettings.h"

#include <QLocale>
#include <QPageLayout>

namespace {

const QString PaperKey = QStringLiteral("Mapa.Papir");
const QString OrientationKey = QStringLiteral("Mapa.Orientace");
const QString ScaleKey = QStringLiteral("Mapa.Meritko");
// The printable margin assumed for the estimate of the ground shown, and the
// height of the title block under the map, millimetres.
constexpr double AssumedMarginMm = 10;
constexpr double TitleBlockMm = 20;

} // namespace

TMapPrintDlg::TMapPrintDlg(QWidget* parent, const Choice& start)
    : QDialog(parent), ui(std::make_unique<Ui::TMapPrintDlg>())
{
    ui->setupUi(this);
    ui->PaperBox->addItems(MapPrintPage::PaperNames());
    ui->OrientationBox->addItems({QStringLiteral("Na výšku"), QStringLiteral("Na šířku")});
    for (int scale : MapPrintPage::Scales())
        ui->ScaleBox->addItem(MapPrintPage::ScaleText(scale), scale);
    ui->ScaleBox->addItem(MapPrintPage::ScaleText(0), 0);
    ui->PaperBox->setCurrentIndex(qMax(0, int(ui->PaperBox->findText(start.paper))));
    ui->OrientationBox->setCurrentIndex(start.landscape ? 1 : 0);
    ui->ScaleBox->setCurrentIndex(qMax(0, ui->ScaleBox->findData(start.scale)));
    for (QComboBox* box : {ui->PaperBox, ui->OrientationBox, ui->ScaleBox})
        connect(box, &QComboBox::currentIndexChanged, this, &TMapPrintDlg::showGround);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    showGround();
}

TMapPrintDlg::~TMapPrintDlg() = default;

TMapPrintDlg::Choice TMapPrintDlg::choice() const
{
    return {ui->PaperBox->currentText(), ui->OrientationBox->currentIndex() == 1,
            ui->ScaleBox->currentData().toInt()};
}

void TMapPrintDlg::showGround()
{
    const Choice c = choice();
    if (c.scale <= 0) {
        ui->GroundLabel->setText(QStringLiteral("Na stránku se vejde celý výřez okna."));
        return;
    }
    const QPageSize paper = MapPrintPage::Paper(c.paper).value_or(QPageSize(QPageSize::A4));
    QSizeF mm = paper.size(QPageSize::Millimeter);
    if (c.landscape)
        mm.transpose();
    mm -= QSizeF(2 * AssumedMarginMm, 2 * AssumedMarginMm + TitleBlockMm);
    const QSizeF ground = MapPrintPage::GroundSize(mm, c.scale);
    const QLocale czech(QLocale::Czech);
    ui->GroundLabel->setText(
        QStringLiteral("Jedna stránka se středem ve středu okna ukáže asi "
                       "%1 × %2 m terénu.")
            .arg(czech.toString(qRound(ground.width())), czech.toString(qRound(ground.height()))));
}

TMapPrintDlg::Choice TMapPrintDlg::Stored(IApp* app)
{
    Choice c;
    if (!app || !app->Settings())
        return c;
    ISettings& s = *app->Settings();
    const QString paper = s.GetValue(PaperKey, c.paper).toString();
    if (MapPrintPage::Paper(paper))
        c.paper = paper;
    c.landscape = s.GetValue(OrientationKey, 1).toInt() != 0;
    const int scale = s.GetValue(ScaleKey, 0).toInt();
    c.scale = MapPrintPage::Scales().contains(scale) ? scale : 0;
    return c;
}

bool TMapPrintDlg::Execute(QWidget* parent, IApp* app, Choice& choice)
{
    TMapPrintDlg dialog(parent, choice);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    if (app && app->Settings()) {
        app->Settings()->SetValue(PaperKey, choice.paper);
        app->Settings()->SetValue(OrientationKey, choice.landscape ? 1 : 0);
        app->Settings()->SetValue(ScaleKey, choice.scale);
    }
    return true;
}
