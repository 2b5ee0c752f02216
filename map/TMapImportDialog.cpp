#include "map/TMapImportDialog.h"

#include "map/TMapImport.h"
#include "map/core/MapStore.h"
#include "widgets/MessageDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TMapImportDialog::TMapImportDialog(const QList<TKUInfo>& areas, QWidget* parent)
    : QDialog(parent), m_areas(areas), m_areaList(new QListWidget(this)),
      m_fileList(new QListWidget(this)),
      m_import(new QPushButton(QStringLiteral("&Importovat"), this)),
      m_remove(new QPushButton(QStringLiteral("&Odebrat"), this))
{
    setWindowTitle(QStringLiteral("Import mapy VFK"));
    m_areaList->setObjectName(QStringLiteral("AreaList"));
    m_fileList->setObjectName(QStringLiteral("FileList"));
    m_import->setObjectName(QStringLiteral("ImportBtn"));
    auto* add = new QPushButton(QStringLiteral("&Přidat soubory..."), this);
    auto* areasLabel = new QLabel(
        QStringLiteral("Otevřená katastrální &území (zaškrtnutým se zapíše jen jejich mapa, bez "
                       "zaškrtnutí mapy všech území ze souborů):"),
        this);
    areasLabel->setWordWrap(true);
    areasLabel->setBuddy(m_areaList);
    auto* filesLabel = new QLabel(
        QStringLiteral("&Soubory VFK (mapa potřebuje parcely i jejich hranice, případně ve "
                       "dvou souborech):"),
        this);
    filesLabel->setWordWrap(true);
    filesLabel->setBuddy(m_fileList);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(add);
    fileButtons->addWidget(m_remove);
    fileButtons->addStretch();
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_import, QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(areasLabel);
    layout->addWidget(m_areaList);
    layout->addWidget(filesLabel);
    layout->addWidget(m_fileList);
    layout->addLayout(fileButtons);
    layout->addWidget(buttons);
    resize(560, 400);

    showAreas();
    connect(add, &QPushButton::clicked, this, &TMapImportDialog::addFilesClick);
    connect(m_remove, &QPushButton::clicked, this, &TMapImportDialog::removeFileClick);
    connect(m_fileList, &QListWidget::currentRowChanged, this, &TMapImportDialog::updateButtons);
    // "Importovat" keeps the dialog open until the import has written.
    connect(m_import, &QPushButton::clicked, this, &TMapImportDialog::ImportClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateButtons();
}

QString TMapImportDialog::AreaLine(const TKUInfo& area)
{
    const bool hasMap = MapStore::isAreaCode(area.Kod) && MapStore().exists(area.Kod);
    return QStringLiteral("%1 (%2) – %3")
        .arg(area.Katastr, area.Kod,
             hasMap ? QStringLiteral("má mapu") : QStringLiteral("bez mapy"));
}

void TMapImportDialog::showAreas()
{
    // The ticks survive a refresh; an area without a map starts ticked.
    for (int row = 0; row < m_areas.size(); ++row) {
        QListWidgetItem* item = m_areaList->item(row);
        if (!item) {
            item = new QListWidgetItem(m_areaList);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(AreaLine(m_areas[row]).endsWith(QStringLiteral("bez mapy"))
                                    ? Qt::Checked
                                    : Qt::Unchecked);
        }
        item->setText(AreaLine(m_areas[row]));
    }
}

void TMapImportDialog::SetTicked(int row, bool ticked)
{
    if (QListWidgetItem* item = m_areaList->item(row))
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TMapImportDialog::AddFiles(const QStringList& files)
{
    for (const QString& file : files)
        if (m_fileList->findItems(QDir::toNativeSeparators(file), Qt::MatchExactly).isEmpty())
            m_fileList->addItem(QDir::toNativeSeparators(file));
    updateButtons();
}

void TMapImportDialog::addFilesClick()
{
    AddFiles(QFileDialog::getOpenFileNames(
        this, QStringLiteral("Importovat mapu VFK"), QString(),
        QStringLiteral("Soubory VFK (*.vfk *.VFK);;Všechny soubory (*)")));
}

void TMapImportDialog::removeFileClick()
{
    delete m_fileList->currentItem();
    updateButtons();
}

void TMapImportDialog::updateButtons()
{
    m_import->setEnabled(m_fileList->count() > 0);
    m_remove->setEnabled(m_fileList->currentItem() != nullptr);
}

void TMapImportDialog::ImportClick()
{
    QStringList files;
    for (int row = 0; row < m_fileList->count(); ++row)
        files << QDir::fromNativeSeparators(m_fileList->item(row)->text());
    QStringList codes;
    for (int row = 0; row < m_areas.size(); ++row)
        if (m_areaList->item(row)->checkState() == Qt::Checked)
            codes << m_areas[row].Kod;
    const TMapImport::Result result = TMapImport::Run(this, files, codes);
    if (!result.written)
        return result.cancelled ? InfoBox(result.text) : ErrorBox(result.text);
    m_written += result.codes;
    showAreas();
    InfoBox(result.text);
    accept();
}
