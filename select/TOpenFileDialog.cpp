#include "select/TOpenFileDialog.h"

#include "widgets/FileDialogFit.h"
#include "widgets/MessageDlg.h"
#include "db/AliasPaths.h"
#include "base/TextHelpers.h"

#include "ui_TOpenFileDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>

namespace {
const QString PositionName = QStringLiteral("OpenFileDialog");

QString cleanDir(const QString& directory)
{
    return directory.isEmpty() ? QString() : QDir::cleanPath(directory);
}

// "Text (*.txt)" stays; "Text" with patterns "*.txt;*.csv" becomes
// "Text (*.txt *.csv)", the form Qt reads patterns from.
QString qtNameFilter(QString description, const QString& patterns)
{
    const int paren = description.lastIndexOf(QLatin1Char('('));
    if (paren > 0 && description.trimmed().endsWith(QLatin1Char(')')))
        description = description.left(paren).trimmed();
    QString joined = patterns;
    joined.replace(QLatin1Char(';'), QLatin1Char(' '));
    return description + QStringLiteral(" (") + joined + QLatin1Char(')');
}

// ".txt" of "*.txt", ".*" of "*.*" and of "*".
QString patternExtension(const QString& pattern)
{
    const int dot = pattern.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QStringLiteral(".*") : pattern.mid(dot);
}
} // namespace

TOpenFileDialog::TOpenFileDialog(std::shared_ptr<IApp> app, QWidget* parent)
    : QFileDialog(parent), ui(std::make_unique<Ui::TOpenFileDialog>()), m_app(std::move(app))
{
    setObjectName(PositionName);
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setLabelText(QFileDialog::LookIn, QStringLiteral("&Oblast hledání:"));
    setLabelText(QFileDialog::FileName, QStringLiteral("&Název souboru:"));
    setLabelText(QFileDialog::FileType, QStringLiteral("&Soubory typu:"));
    setLabelText(QFileDialog::Accept, QStringLiteral("&Otevřít"));
    setLabelText(QFileDialog::Reject, QStringLiteral("Storno"));
    FitFileDialog(*this);
    auto* bar = new QWidget(this);
    ui->setupUi(bar);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(bar, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout()->addWidget(bar);

    m_tableList = new QListWidget(this);
    m_tableList->setObjectName(QStringLiteral("TableList"));
    m_tableList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (auto* stack = findChild<QStackedWidget*>(QStringLiteral("stackedWidget")))
        stack->addWidget(m_tableList);
    else
        m_tableList->hide();

    QStringList aliases;
    AliasPathList(aliases);
    SetAliasList(aliases);
    connect(ui->AliasCB, &QComboBox::activated, this, &TOpenFileDialog::AliasCBChange);
    connect(this, &QFileDialog::directoryEntered, this, &TOpenFileDialog::FolderChange);
    connect(m_tableList, &QListWidget::itemSelectionChanged, this,
            &TOpenFileDialog::TableListChange);
}

TOpenFileDialog::~TOpenFileDialog() = default;

QComboBox* TOpenFileDialog::AliasCB() const
{
    return ui->AliasCB;
}

QCheckBox* TOpenFileDialog::OpenToWindowCB() const
{
    return ui->OpenToWindowCB;
}

void TOpenFileDialog::SetAliasList(const QStringList& aliasList)
{
    m_aliasList = aliasList;
    ui->AliasCB->clear();
    for (const QString& line : aliasList) {
        const QString name = line.section(QLatin1Char('='), 0, 0);
        const bool hasDir = !line.section(QLatin1Char('='), 1).isEmpty();
        const QIcon icon =
            style()->standardIcon(hasDir ? QStyle::SP_DriveHDIcon : QStyle::SP_DriveNetIcon);
        ui->AliasCB->addItem(icon, name);
    }
    ui->AliasCB->setCurrentIndex(-1);
}

void TOpenFileDialog::SetFilter(const QString& filter)
{
    m_filter = filter;
    const QStringList pieces = filter.split(QLatin1Char('|'));
    QStringList nameFilters;
    QStringList extensions;
    for (int i = 0; i + 1 < pieces.size(); i += 2) {
        nameFilters << qtNameFilter(pieces[i], pieces[i + 1]);
        for (const QString& pattern : pieces[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            extensions << patternExtension(pattern.trimmed());
    }
    m_extensions = extensions.join(QLatin1Char(';'));
    setNameFilters(nameFilters);
    if (defaultSuffix().isEmpty() && !extensions.isEmpty() &&
        extensions.first() != QStringLiteral(".*"))
        setDefaultSuffix(extensions.first().mid(1));
}

void TOpenFileDialog::SetInitialDir(const QString& directory)
{
    setDirectory(directory);
    FolderChange(directory);
}

void TOpenFileDialog::SetFileName(const QString& fileName)
{
    selectFile(fileName);
}

void TOpenFileDialog::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    if (m_exactMatch)
        setSizeGripEnabled(false);
    if (IsSaveDialog())
        setAcceptMode(QFileDialog::AcceptSave);
    const bool existing = !IsSaveDialog() && m_mustExist;
    setFileMode(existing ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    FolderChange(directory().absolutePath());
}

bool TOpenFileDialog::Execute()
{
    prepare();
    return exec() == QDialog::Accepted;
}

void TOpenFileDialog::showEvent(QShowEvent* event)
{
    prepare();
    QFileDialog::showEvent(event);
    RestorePosition();
}

void TOpenFileDialog::RestorePosition()
{
    int x = 0;
    int y = 0;
    if (m_app && m_app->ReadDialogPos(PositionName, x, y)) {
        move(x, y);
        return;
    }
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 3);
}

void TOpenFileDialog::done(int result)
{
    const int index = ui->AliasCB->currentIndex();
    m_selectedAlias = index >= 0 ? ui->AliasCB->itemText(index) : QString();
    m_selectedAliasDir = index >= 0 ? aliasDir(index) : QString();
    if (m_app && isVisible())
        m_app->WriteDialogPos(PositionName, x(), y());
    QFileDialog::done(result);
}

QString TOpenFileDialog::aliasDir(int index) const
{
    if (index < 0 || index >= m_aliasList.size())
        return QString();
    return cleanDir(m_aliasList[index].section(QLatin1Char('='), 1));
}

void TOpenFileDialog::AliasCBChange(int index)
{
    const QString dir = aliasDir(index);
    const bool tables = index >= 0 && dir.isEmpty();
    setTableMode(tables);
    if (tables) {
        m_tableList->clear();
        if (m_tableLister)
            m_tableList->addItems(m_tableLister(ui->AliasCB->itemText(index)));
    } else if (!dir.isEmpty()) {
        setDirectory(dir);
    }
}

void TOpenFileDialog::setTableMode(bool on)
{
    m_tableMode = on;
    if (auto* stack = findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))) {
        if (on)
            stack->setCurrentWidget(m_tableList);
        else
            stack->setCurrentIndex(viewMode() == QFileDialog::Detail ? 1 : 0);
    }
    // Folder navigation means nothing for a database without a directory.
    for (const char* name : {"backButton", "forwardButton", "toParentButton", "newFolderButton",
                             "listModeButton", "detailModeButton", "lookInCombo", "sidebar"})
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name)))
            w->setEnabled(!on);
}

int TOpenFileDialog::AliasIndexForFolder(const QString& directory) const
{
    const QString folder = cleanDir(directory);
    for (int i = 0; i < m_aliasList.size(); ++i) {
        const QString dir = aliasDir(i);
        if (dir.isEmpty())
            continue;
        if (folder == dir)
            return i;
        const QString prefix = IncludeTrailingBackslash(dir);
        if (!m_exactMatch && folder.startsWith(prefix))
            return i;
    }
    return -1;
}

void TOpenFileDialog::FolderChange(const QString& directory)
{
    if (m_tableMode)
        return;
    ui->AliasCB->setCurrentIndex(AliasIndexForFolder(directory));
}

void TOpenFileDialog::TableListChange()
{
    QStringList names;
    for (int i = 0; i < m_tableList->count(); ++i)
        if (m_tableList->item(i)->isSelected())
            names << m_tableList->item(i)->text();
    QString text;
    if (names.size() == 1) {
        text = names.first();
    } else {
        for (const QString& name : std::as_const(names))
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + QLatin1Char('"') + name +
                    QLatin1Char('"');
    }
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->setText(text);
}

QStringList TOpenFileDialog::TypedNames() const
{
    const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = edit ? edit->text().trimmed() : QString();
    if (!text.contains(QLatin1Char('"')))
        return text.isEmpty() ? QStringList() : QStringList{text};
    QStringList names;
    const QStringList pieces = text.split(QLatin1Char('"'));
    for (int i = 1; i < pieces.size(); i += 2)
        if (!pieces[i].trimmed().isEmpty())
            names << pieces[i].trimmed();
    return names;
}

bool TOpenFileDialog::extensionAccepted(const QString& name) const
{
    const QStringList extensions = m_extensions.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (extensions.isEmpty() || extensions.contains(QStringLiteral(".*")))
        return true;
    const QString suffix = QFileInfo(name).suffix();
    for (const QString& ext : extensions)
        if (ext.mid(1).compare(suffix, Qt::CaseInsensitive) == 0 && !suffix.isEmpty())
            return true;
    return false;
}

bool TOpenFileDialog::checkTableNames(const QStringList& names)
{
    QStringList tables;
    for (int i = 0; i < m_tableList->count(); ++i)
        tables << m_tableList->item(i)->text();
    for (const QString& name : names) {
        const bool listed = tables.contains(name, Qt::CaseInsensitive);
        if (m_mustExist && !listed) {
            MessageDlg(QStringLiteral("Tabulka '%1' nebyla nalezena").arg(name), mtWarning, mbOK);
            return false;
        }
        if (m_overwritePrompt && listed &&
            MessageDlg(QStringLiteral("Tabulka '%1' existuje. Přepsat?").arg(name), mtConfirmation,
                       mbYes | mbNo) != mrYes)
            return false;
    }
    return true;
}

bool TOpenFileDialog::checkFileNames(const QStringList& names)
{
    for (const QString& name : names) {
        const QFileInfo info(name);
        if (m_mustExist && !info.exists()) {
            MessageDlg(QStringLiteral("Soubor '%1' nebyl nalezen").arg(name), mtWarning, mbOK);
            return false;
        }
        if (IsSaveDialog() && !info.absoluteDir().exists()) {
            MessageDlg(QStringLiteral("Adresář '%1' neexistuje").arg(info.absolutePath()),
                       mtWarning, mbOK);
            return false;
        }
        if (IsSaveDialog() && m_overwritePrompt && info.exists() &&
            MessageDlg(QStringLiteral("Soubor '%1' existuje. Přepsat?").arg(name), mtConfirmation,
                       mbYes | mbNo) != mrYes)
            return false;
    }
    return true;
}

QStringList TOpenFileDialog::ChosenFiles() const
{
    QStringList files;
    for (const QString& name : TypedNames()) {
        QString path = QFileInfo(name).isAbsolute() ? name : directory().absoluteFilePath(name);
        const QFileInfo info(path);
        if (info.suffix().isEmpty() && !defaultSuffix().isEmpty() && !info.isDir())
            path += QLatin1Char('.') + defaultSuffix();
        files << QDir::cleanPath(path);
    }
    return files;
}

bool TOpenFileDialog::CheckOnOK()
{
    const QStringList names = m_tableMode ? TypedNames() : ChosenFiles();
    if (names.isEmpty())
        return false;
    for (const QString& name : names) {
        if (!extensionAccepted(name)) {
            MessageDlg(QStringLiteral("Chybná přípona souboru"), mtWarning, mbOK);
            return false;
        }
    }
    return m_tableMode ? checkTableNames(names) : checkFileNames(names);
}

QString TOpenFileDialog::aliasForm(const QString& path) const
{
    const int index = ui->AliasCB->currentIndex();
    if (index < 0)
        return path;
    const QString alias = ui->AliasCB->itemText(index);
    const QString dir = aliasDir(index);
    if (dir.isEmpty())
        return alias + QLatin1Char(':') + path;
    const QString clean = QDir::cleanPath(path);
    const QString prefix = IncludeTrailingBackslash(dir);
    if (!clean.startsWith(prefix))
        return path;
    return alias + QStringLiteral(":/") + clean.mid(prefix.size());
}

void TOpenFileDialog::accept()
{
    // The file-name field is what the user chose: Qt writes a name clicked
    // in the list into it.
    const QStringList files = m_tableMode ? TypedNames() : ChosenFiles();
    // The bar shows the alias of the folder in view, however the folder was reached.
    FolderChange(directory().absolutePath());
    if (!m_tableMode && files.size() == 1 && QFileInfo(files.first()).isDir()) {
        setDirectory(files.first()); // a typed folder name only moves there
        FolderChange(files.first());
        if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->clear();
        return;
    }
    if (!CheckOnOK())
        return;
    m_result.clear();
    for (const QString& name : files)
        m_result << aliasForm(name);
    done(QDialog::Accepted);
}

QString TOpenFileDialog::FileName() const
{
    return m_result.value(0);
}

QStringList TOpenFileDialog::FileNames() const
{
    return m_result;
}
