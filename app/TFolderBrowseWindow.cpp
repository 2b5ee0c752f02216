#include "app/TFolderBrowseWindow.h"

#include "ui_FolderBrowseWindow.h"
#include "widgets/MessageDlg.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QTimer>

TFolderBrowseWindow::TFolderBrowseWindow(const Setup& setup, QWidget* owner)
    : QDialog(owner), ui(std::make_unique<Ui::TFolderBrowseWindow>()), m_setup(setup)
{
    ui->setupUi(this);
    setWindowTitle(setup.Title);
    ui->PromptLabel->setText(setup.Prompt);
    ui->PromptLabel->setVisible(!setup.Prompt.isEmpty());
    ui->StatusLabel->setVisible(setup.StatusLine || setup.PathInStatus);

    m_model = new QFileSystemModel(this);
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
    if (setup.IncludeFiles)
        filters |= QDir::Files;
    m_model->setFilter(filters);
    m_model->setRootPath(setup.RootPath);
    ui->FolderTree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        ui->FolderTree->hideColumn(column);
    ui->FolderTree->setRootIndex(m_model->index(setup.RootPath));

    if (setup.CustomButton)
        ui->ButtonLayout->insertWidget(0, setup.CustomButton);
    // Folders are read in the background: keep the selected one in view as
    // its parents fill in.
    // (The rows of a loaded folder are inserted shortly after it is read.)
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this] {
        QTimer::singleShot(50, this, [this] {
            if (ui->FolderTree->currentIndex().isValid())
                ui->FolderTree->scrollTo(ui->FolderTree->currentIndex());
        });
    });
    connect(ui->FolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { selectionChanged(); });
    connect(ui->FolderTree, &QTreeView::doubleClicked, this, [this] {
        if (CanAccept())
            accept();
    });
    connect(ui->OKBtn, &QPushButton::clicked, this, [this] {
        if (CanAccept())
            accept();
    });
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->NewFolderBtn, &QPushButton::clicked, this, [this] { askForNewFolder(); });
    m_model->setReadOnly(false); // folders can be created (nothing is renamed or moved)
    ui->FolderTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->FolderTree->setDragDropMode(QAbstractItemView::NoDragDrop);

    if (!setup.Directory.isEmpty())
        SelectPath(setup.Directory);
    selectionChanged();
}

TFolderBrowseWindow::~TFolderBrowseWindow()
{
    // The custom button belongs to the caller: hand it back unharmed.
    if (m_setup.CustomButton && m_setup.CustomButton->parent() != nullptr) {
        m_setup.CustomButton->hide();
        m_setup.CustomButton->setParent(nullptr);
    }
}

bool TFolderBrowseWindow::SelectPath(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    const QModelIndex index = m_model->index(info.absoluteFilePath());
    if (!index.isValid())
        return false;
    // Only items below the root can be selected.
    for (QModelIndex up = index.parent(); up != ui->FolderTree->rootIndex(); up = up.parent())
        if (!up.isValid())
            return false;
    ui->FolderTree->setCurrentIndex(index);
    ui->FolderTree->scrollTo(index);
    return true;
}

QString TFolderBrowseWindow::SelectedPath() const
{
    const QModelIndex index = ui->FolderTree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

QString TFolderBrowseWindow::SelectedDisplayName() const
{
    const QModelIndex index = ui->FolderTree->currentIndex();
    return index.isValid() ? m_model->fileName(index) : QString();
}

QString TFolderBrowseWindow::StatusText() const
{
    return ui->StatusLabel->text();
}

bool TFolderBrowseWindow::CanAccept() const
{
    const QString path = SelectedPath();
    if (path.isEmpty())
        return false;
    return !m_setup.DirsOnly || QFileInfo(path).isDir();
}

void TFolderBrowseWindow::selectionChanged()
{
    const QString path = SelectedPath();
    if (m_setup.PathInStatus)
        ui->StatusLabel->setText(path);
    ui->OKBtn->setEnabled(CanAccept());
    emit SelectionChanged(path);
}

QString TFolderBrowseWindow::newFolderParent() const
{
    const QString selected = SelectedPath();
    return QFileInfo(selected).isDir() ? selected : QFileInfo(m_setup.RootPath).absoluteFilePath();
}

bool TFolderBrowseWindow::CreateFolder(const QString& name)
{
    const QString parentPath = newFolderParent();
    const QString folder = name.trimmed();
    if (folder.isEmpty())
        return false;
    const QString path = QDir(parentPath).filePath(folder);
    const QModelIndex created = folder.contains(QLatin1Char('/'))
                                    ? QModelIndex()
                                    : m_model->mkdir(m_model->index(parentPath), folder);
    if (!created.isValid()) {
        ErrorBox(QStringLiteral("Složku %1 nelze vytvořit").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    ui->FolderTree->setCurrentIndex(created);
    ui->FolderTree->scrollTo(created);
    return true;
}

void TFolderBrowseWindow::askForNewFolder()
{
    bool ok = false;
    const QString name = QInputDialog::getText(
        this, QStringLiteral("Nová složka"),
        QStringLiteral("Název nové složky v %1:").arg(QDir::toNativeSeparators(newFolderParent())),
        QLineEdit::Normal, QString(), &ok);
    if (ok)
        CreateFolder(name);
}
