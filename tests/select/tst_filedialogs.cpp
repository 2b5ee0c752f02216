// The open and save dialogs with the alias bar: filters and extension check,
// alias jumps and alias-form names, the table list of an alias without a
// directory, existence and overwrite checks, the remembered position.
#include "widgets/MessageDlg.h"
#include "app/core/TApp.h"
#include "select/TOpenFileDialog.h"
#include "select/TSaveFileDialog.h"
#include "common/ModalHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Shown
{
    QString text;
    TMsgDlgType kind;
};

void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("12\n");
}

QLineEdit* nameEdit(QFileDialog& dlg)
{
    return dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}
} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filterExtensionsAndDefault();
    void aliasBarFollowsFolder();
    void aliasJumpAndAliasFormName();
    void wrongExtensionKeepsDialogOpen();
    void tableListForAliasWithoutDirectory();
    void saveChecksFolderAndOverwrite();
    void saveRunShowsOpenToWindow();
    void positionRememberedUnderOneName();

private:
    std::shared_ptr<TApp> app();
    bool refused(TOpenFileDialog& dlg, const QString& name, const QString& message);
    QTemporaryDir m_dir;
    QList<Shown> m_shown;
    int m_answer = mrYes;
    QStringList m_aliases;
};

std::shared_ptr<TApp> TestFileDialogs::app()
{
    static std::shared_ptr<TApp> instance = TApp::create();
    return instance;
}

void TestFileDialogs::init()
{
    m_shown.clear();
    m_answer = mrYes;
    SetMessageDlgInterceptor([this](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        m_shown.append({text, kind});
        return m_answer;
    });
    QVERIFY(m_dir.isValid());
    const QString root = m_dir.path();
    QDir(root).mkpath(QStringLiteral("okres1/texty"));
    QDir(root).mkpath(QStringLiteral("okres2"));
    QDir(root).mkpath(QStringLiteral("other"));
    touch(root + QStringLiteral("/okres1/texty/cisla.txt"));
    touch(root + QStringLiteral("/okres1/seznam.txt"));
    touch(root + QStringLiteral("/okres1/seznam.csv"));
    m_aliases = QStringList{QStringLiteral("OKRES1=") + root + QStringLiteral("/okres1/"),
                            QStringLiteral("OKRES2=") + root + QStringLiteral("/okres2"),
                            QStringLiteral("SERVER=")};
}

void TestFileDialogs::cleanup()
{
    SetMessageDlgInterceptor(nullptr);
}

// Types the name and presses OK: true when the dialog stays open after one
// message that contains `message`.
bool TestFileDialogs::refused(TOpenFileDialog& dlg, const QString& name, const QString& message)
{
    m_shown.clear();
    nameEdit(dlg)->setText(name);
    dlg.accept();
    if (m_shown.size() == 1 && !m_shown[0].text.contains(message))
        qWarning() << "shown:" << m_shown[0].text;
    return dlg.isVisible() && m_shown.size() == 1 && m_shown[0].text.contains(message);
}

void TestFileDialogs::filterExtensionsAndDefault()
{
    TOpenFileDialog dlg(app());
    dlg.SetFilter(QStringLiteral("Text (*.txt)|*.txt|Tabulky|*.db;*.DBF"));
    QCOMPARE(dlg.FilterExtensions(), QStringLiteral(".txt;.db;.DBF"));
    QCOMPARE(dlg.defaultSuffix(), QStringLiteral("txt"));
    QCOMPARE(dlg.nameFilters(),
             (QStringList{QStringLiteral("Text (*.txt)"), QStringLiteral("Tabulky (*.db *.DBF)")}));

    TOpenFileDialog all(app());
    all.SetFilter(QStringLiteral("Vše|*.*"));
    QCOMPARE(all.FilterExtensions(), QStringLiteral(".*"));
    QVERIFY(all.defaultSuffix().isEmpty());
}

void TestFileDialogs::aliasBarFollowsFolder()
{
    TOpenFileDialog dlg(app());
    dlg.SetAliasList(m_aliases);
    QCOMPARE(dlg.AliasCB()->count(), 3);
    QCOMPARE(dlg.AliasCB()->itemText(0), QStringLiteral("OKRES1"));
    const QString root = m_dir.path();

    dlg.FolderChange(root + QStringLiteral("/okres2"));
    QCOMPARE(dlg.AliasCB()->currentText(), QStringLiteral("OKRES2"));
    dlg.FolderChange(root + QStringLiteral("/okres1/texty")); // begins with OKRES1's directory
    QCOMPARE(dlg.AliasCB()->currentText(), QStringLiteral("OKRES1"));
    dlg.FolderChange(root + QStringLiteral("/okres10")); // a longer name is not inside
    QCOMPARE(dlg.AliasCB()->currentIndex(), -1);

    dlg.SetExactMatch(true);
    QCOMPARE(dlg.AliasIndexForFolder(root + QStringLiteral("/okres1/texty")), -1);
    QCOMPARE(dlg.AliasIndexForFolder(root + QStringLiteral("/okres1/")), 0);
}

void TestFileDialogs::aliasJumpAndAliasFormName()
{
    TOpenFileDialog dlg(app());
    dlg.SetAliasList(m_aliases);
    dlg.SetFilter(QStringLiteral("Text (*.txt)|*.txt"));
    dlg.SetMustExist(true);
    dlg.SetInitialDir(m_dir.path() + QStringLiteral("/other"));
    dlg.show();
    dlg.AliasCB()->setCurrentIndex(0);
    dlg.AliasCBChange(0);
    QCOMPARE(dlg.directory().absolutePath(), m_dir.path() + QStringLiteral("/okres1"));

    dlg.setDirectory(m_dir.path() + QStringLiteral("/okres1/texty"));
    dlg.FolderChange(m_dir.path() + QStringLiteral("/okres1/texty"));
    nameEdit(dlg)->setText(QStringLiteral("cisla.txt"));
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.FileName(), QStringLiteral("OKRES1:/texty/cisla.txt"));
    QCOMPARE(dlg.SelectedAlias(), QStringLiteral("OKRES1"));
    QVERIFY(m_shown.isEmpty());

    // Outside every alias the plain path comes back.
    TOpenFileDialog plain(app());
    plain.SetAliasList(m_aliases);
    plain.SetFilter(QStringLiteral("Text (*.txt)|*.txt"));
    const QString outside = m_dir.path() + QStringLiteral("/other/x.txt");
    touch(outside);
    plain.show();
    plain.setDirectory(m_dir.path() + QStringLiteral("/other"));
    plain.FolderChange(m_dir.path() + QStringLiteral("/other"));
    nameEdit(plain)->setText(QStringLiteral("x.txt"));
    plain.accept();
    QCOMPARE(plain.FileName(), outside);
    QVERIFY(plain.SelectedAlias().isEmpty());
}

void TestFileDialogs::wrongExtensionKeepsDialogOpen()
{
    TOpenFileDialog dlg(app());
    dlg.SetAliasList(m_aliases);
    dlg.SetFilter(QStringLiteral("Text (*.txt)|*.txt"));
    dlg.show();
    dlg.setDirectory(m_dir.path() + QStringLiteral("/okres1"));
    QVERIFY(refused(dlg, "seznam.csv", "Chybná přípona souboru"));
    dlg.SetMustExist(true);
    QVERIFY(refused(dlg, "chybi.txt", "nebyl nalezen"));

    nameEdit(dlg)->setText(QStringLiteral("seznam.TXT")); // any case of the extension
    QFile::rename(m_dir.path() + QStringLiteral("/okres1/seznam.txt"),
                  m_dir.path() + QStringLiteral("/okres1/seznam.TXT"));
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.FileName(), QStringLiteral("OKRES1:/seznam.TXT"));
}

void TestFileDialogs::tableListForAliasWithoutDirectory()
{
    TOpenFileDialog dlg(app());
    dlg.SetAliasList(m_aliases);
    dlg.SetFilter(QStringLiteral("Tabulky|*.db"));
    dlg.SetMustExist(true);
    dlg.SetTableLister([](const QString& alias) {
        return alias == QStringLiteral("SERVER")
                   ? QStringList{QStringLiteral("PRAC.DB"), QStringLiteral("NYSPA001.DB")}
                   : QStringList();
    });
    dlg.show();
    dlg.AliasCB()->setCurrentIndex(2);
    dlg.AliasCBChange(2);
    QVERIFY(dlg.TableMode());
    QVERIFY(dlg.TableList()->isVisible());
    QCOMPARE(dlg.TableList()->count(), 2);

    dlg.TableList()->item(0)->setSelected(true);
    QCOMPARE(nameEdit(dlg)->text(), QStringLiteral("PRAC.DB"));
    dlg.TableList()->item(1)->setSelected(true);
    QCOMPARE(nameEdit(dlg)->text(), QStringLiteral("\"PRAC.DB\" \"NYSPA001.DB\""));
    QCOMPARE(dlg.TypedNames(), (QStringList{"PRAC.DB", "NYSPA001.DB"}));

    QVERIFY(refused(dlg, "CHYBI.DB", "Tabulka 'CHYBI.DB' nebyla nalezena"));

    nameEdit(dlg)->setText(QStringLiteral("\"PRAC.DB\" \"NYSPA001.DB\""));
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.FileNames(), (QStringList{"SERVER:PRAC.DB", "SERVER:NYSPA001.DB"}));

    // Back to an alias with a directory: the file list returns.
    TOpenFileDialog again(app());
    again.SetAliasList(m_aliases);
    again.show();
    again.AliasCBChange(2);
    again.AliasCBChange(1);
    QVERIFY(!again.TableMode());
    QVERIFY(!again.TableList()->isVisible());
}

void TestFileDialogs::saveChecksFolderAndOverwrite()
{
    TSaveFileDialog dlg(app());
    dlg.SetAliasList(m_aliases);
    dlg.SetFilter(QStringLiteral("Text (*.txt)|*.txt"));
    dlg.SetOverwritePrompt(true);
    dlg.show();
    dlg.setDirectory(m_dir.path() + QStringLiteral("/okres1"));

    m_answer = mrNo;
    QVERIFY(refused(dlg, "seznam.txt", "existuje. Přepsat?"));
    QCOMPARE(m_shown[0].kind, mtConfirmation);
    QVERIFY(refused(dlg, m_dir.path() + "/chybi/novy.txt", "neexistuje"));

    m_shown.clear();
    nameEdit(dlg)->setText(QStringLiteral("novy")); // the default extension is added
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(m_shown.isEmpty());
    QCOMPARE(dlg.FileName(), QStringLiteral("OKRES1:/novy.txt"));

    // Table mode: an existing table is replaced only after "Ano".
    TSaveFileDialog tables(app());
    tables.SetAliasList(m_aliases);
    tables.SetFilter(QStringLiteral("Tabulky|*.db"));
    tables.SetOverwritePrompt(true);
    tables.SetTableLister([](const QString&) { return QStringList{QStringLiteral("PRAC.DB")}; });
    tables.show();
    tables.AliasCB()->setCurrentIndex(2);
    tables.AliasCBChange(2);
    m_answer = mrNo;
    QVERIFY(refused(tables, "PRAC.DB", "Tabulka 'PRAC.DB' existuje. Přepsat?"));
    m_answer = mrYes;
    tables.accept();
    QCOMPARE(tables.result(), int(QDialog::Accepted));
    QCOMPARE(tables.FileName(), QStringLiteral("SERVER:PRAC.DB"));
}

// The save dialog that other windows run shows "&Do okna" in its alias bar.
void TestFileDialogs::saveRunShowsOpenToWindow()
{
    bool shown = false;
    TestSupport::onNextModal([&](QWidget* modal) {
        auto* box = modal->findChild<QCheckBox*>(QStringLiteral("OpenToWindowCB"));
        shown = box && box->isVisible() && box->text() == QStringLiteral("&Do okna");
        qobject_cast<QDialog*>(modal)->reject();
    });
    const QString name = TSaveFileDialog::Run(app(), QStringLiteral("Text (*.txt)|*.txt"),
                                              QStringLiteral("Uložit"), QString(), false, {});
    QCOMPARE(name, QString());
    QVERIFY(shown);
}

void TestFileDialogs::positionRememberedUnderOneName()
{
    int x = 0;
    int y = 0;
    const bool stored = app()->ReadDialogPos(QStringLiteral("OpenFileDialog"), x, y);
    {
        TOpenFileDialog dlg(app());
        dlg.resize(500, 300);
        dlg.show();
        if (!stored) {
            const QRect area = dlg.screen()->availableGeometry();
            const QSize size = dlg.frameGeometry().size();
            QCOMPARE(dlg.x(), area.x() + (area.width() - size.width()) / 2);
            QCOMPARE(dlg.y(), area.y() + (area.height() - size.height()) / 3);
        }
        dlg.move(37, 41);
        dlg.reject();
    }
    QVERIFY(app()->ReadDialogPos(QStringLiteral("OpenFileDialog"), x, y));
    QCOMPARE(QPoint(x, y), QPoint(37, 41));
    TSaveFileDialog save(app());
    save.show();
    QCOMPARE(save.pos(), QPoint(37, 41));
    save.reject();
}

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
