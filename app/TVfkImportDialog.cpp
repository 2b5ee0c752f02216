#include "app/TVfkImportDialog.h"
#include "app/core/DistrictAliasEditor.h"
#include "app/core/DistrictCatalogue.h"
#include "app/core/IApp.h"
#include "base/ETalvekException.h"
#include "import/VfkImporter.h"
#include "import/VfkReader.h"
#include "ui_TVfkImportDialog.h"
#include "widgets/MessageDlg.h"

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <exception>
#include <thread>

TVfkImportDialog::TVfkImportDialog(QWidget* owner, std::shared_ptr<IApp> app, QString dataDir)
    : QDialog(owner), ui(std::make_unique<Ui::TVfkImportDialog>()), m_app(std::move(app)),
      m_dataDir(std::move(dataDir))
{
    ui->setupUi(this);
    connect(ui->AddBtn, &QPushButton::clicked, this, &TVfkImportDialog::AddClick);
    connect(ui->RemoveBtn, &QPushButton::clicked, this, &TVfkImportDialog::RemoveClick);
    connect(ui->BrowseBtn, &QPushButton::clicked, this, &TVfkImportDialog::BrowseClick);
    connect(ui->ImportBtn, &QPushButton::clicked, this, &TVfkImportDialog::ImportClick);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &TVfkImportDialog::CancelClick);
}

TVfkImportDialog::~TVfkImportDialog() = default;

QString TVfkImportDialog::AliasName() const
{
    return ui->AliasName->text().trimmed();
}

QString TVfkImportDialog::TargetDir() const
{
    return ui->Target->text().trimmed();
}

void TVfkImportDialog::AddFiles(const QStringList& files)
{
    for (const QString& file : files)
        if (ui->Files->findItems(file, Qt::MatchExactly).isEmpty())
            ui->Files->addItem(file);
    if (!files.isEmpty() && TargetDir().isEmpty())
        suggestTarget(files.first());
}

// A new folder under the data directory named after the district, and the
// district's name as the alias; a name that is taken gets a number.
void TVfkImportDialog::suggestTarget(const QString& file)
{
    QString name = VfkReader::districtName(file);
    if (name.isEmpty())
        name = QFileInfo(file).completeBaseName();
    const QString base = name.toUpper().replace(QLatin1Char(' '), QLatin1Char('_'));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(m_dataDir + QLatin1Char('/') + candidate); ++n)
        candidate = base + QString::number(n);
    ui->Target->setText(QDir::toNativeSeparators(m_dataDir + QLatin1Char('/') + candidate));
    if (AliasName().isEmpty())
        ui->AliasName->setText(candidate);
}

void TVfkImportDialog::AddClick()
{
    AddFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("Soubory VFK"), QString(),
                                           QStringLiteral("Výměnný formát katastru (*.vfk *.VFK);;"
                                                          "Všechny soubory (*)")));
}

void TVfkImportDialog::RemoveClick()
{
    delete ui->Files->currentItem();
}

void TVfkImportDialog::BrowseClick()
{
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Adresář okresu"),
                                                          QFileInfo(TargetDir()).absolutePath());
    if (!dir.isEmpty())
        ui->Target->setText(QDir::toNativeSeparators(dir));
}

void TVfkImportDialog::CancelClick()
{
    reject();
}

void TVfkImportDialog::reject()
{
    if (!m_running) {
        QDialog::reject();
        return;
    }
    m_cancelled = true;
    ui->Step->setText(QStringLiteral("Ruším import…"));
}

// The step first: the bar's change then finds the label current.
void TVfkImportDialog::showProgress(int percent, const QString& step)
{
    if (m_cancelled)
        return;
    ui->Step->setText(step);
    ui->Progress->setValue(percent);
}

void TVfkImportDialog::setEditable(bool editable)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->Files), static_cast<QWidget*>(ui->AddBtn),
                       static_cast<QWidget*>(ui->RemoveBtn), static_cast<QWidget*>(ui->Target),
                       static_cast<QWidget*>(ui->BrowseBtn), static_cast<QWidget*>(ui->AliasName),
                       static_cast<QWidget*>(ui->ImportBtn)})
        w->setEnabled(editable);
}

VfkDistrict TVfkImportDialog::runImport(const QStringList& files)
{
    const VfkImporter::Options options{files, QDir::fromNativeSeparators(TargetDir()),
                                       m_app->WorkDbPath()};
    VfkDistrict district;
    std::exception_ptr failure;
    QEventLoop loop;
    // The worker's reports reach the dialog through this thread's event
    // queue, in order, and the end after them: every report is shown before
    // the loop ends. The answer to a report is whether to go on.
    std::thread worker([&] {
        try {
            district = VfkImporter(options, [this](int percent, const QString& step) {
                           QMetaObject::invokeMethod(
                               this, [this, percent, step] { showProgress(percent, step); },
                               Qt::QueuedConnection);
                           return !m_cancelled;
                       }).run();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return district;
}

void TVfkImportDialog::ImportClick()
{
    QStringList files;
    for (int i = 0; i < ui->Files->count(); ++i)
        files.append(ui->Files->item(i)->text());
    QString error;
    try {
        if (files.isEmpty())
            throw ETalvekException(QStringLiteral("Přidejte aspoň jeden soubor VFK."));
        if (TargetDir().isEmpty())
            throw ETalvekException(QStringLiteral("Zadejte adresář okresu."));
        if (!AliasName().isEmpty())
            DistrictAliasEditor().checkNew(AliasName());
        m_running = true;
        m_cancelled = false;
        setEditable(false);
        const VfkDistrict district = runImport(files);
        if (!AliasName().isEmpty()) {
            DistrictAliasEditor().add(AliasName(), QDir::fromNativeSeparators(TargetDir()));
            DistrictCatalogue::rememberDistrict(*m_app->Settings(), AliasName());
        }
        m_running = false;
        // The same summary as the command line's import: areas, counts,
        // warnings; then where the district was written.
        QStringList lines = VfkImporter::summary(district);
        lines << QStringLiteral("Okres zapsán do %1").arg(TargetDir());
        if (!AliasName().isEmpty())
            lines << QStringLiteral("Alias %1").arg(AliasName());
        InfoBox(lines.join(QLatin1Char('\n')));
        accept();
        return;
    } catch (const ETalvekException& e) {
        error = e.message();
    } catch (const std::exception& e) {
        // Out of memory above all: what the import staged is removed as on any
        // failure, and the program goes on.
        error = QStringLiteral("Import se nezdařil: %1").arg(QString::fromLocal8Bit(e.what()));
    }
    const bool cancelled = m_cancelled;
    m_running = false;
    m_cancelled = false;
    setEditable(true);
    ui->Progress->setValue(0);
    ui->Step->setText(cancelled ? QStringLiteral("Import byl zrušen.") : QString());
    if (!cancelled)
        ErrorBox(error);
}
