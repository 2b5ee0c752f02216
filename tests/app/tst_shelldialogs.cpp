// Dialog placement, the folder browser, the about box and the VFK import dialog.
#include "widgets/DialogPos.h"
#include "widgets/MessageDlg.h"
#include "app/TAboutBox.h"
#include "app/TFolderBrowseWindow.h"
#include "app/THelpWindow.h"
#include "app/TVfkImportDialog.h"
#include "app/core/DistrictAliasEditor.h"
#include "settings/ISettings.h"
#include "common/TestSupport.h"
#include "common/VfkAreaFiles.h"
#include "settings/RegistryKeys.h"
#include "app/core/TApp.h"
#include "app/core/TInstallInfo.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

class TestShellDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void restoreAndSaveDialogPos();
    void centerDialog();
    void browseWindowSelection();
    void aboutBoxLabelsAndPosition();
    void vfkImportCancelledAndDone();
    void helpWindow();

private:
    QString storedPos() const
    {
        return m_registry->ReadString(TRegistry::Hive::CurrentUser, RegistryKeys::WindowPos,
                                      "ParcDialog");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<TRegistry> m_registry;
    std::shared_ptr<TApp> m_app;
};

void TestShellDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_registry =
        std::make_shared<TRegistry>(m_dir->filePath("user.reg"), m_dir->filePath("machine.reg"));
    m_app = std::make_shared<TApp>(m_registry, m_dir->path());
}

void TestShellDialogs::restoreAndSaveDialogPos()
{
    QDialog dialog;
    dialog.setObjectName("ParcDialog");
    dialog.move(33, 44);
    RestoreDialogPos(*m_app, &dialog); // nothing stored: stays
    QCOMPARE(dialog.pos(), QPoint(33, 44));
    dialog.move(7, 9);
    SaveDialogPos(*m_app, &dialog);
    QCOMPARE(storedPos(), QString("7,9"));
    // A dialog with a size grip keeps its size too, within its limits; a
    // stored position without a size leaves the size alone.
    dialog.setSizeGripEnabled(true);
    dialog.setMaximumSize(700, 500);
    dialog.resize(300, 200);
    RestoreDialogPos(*m_app, &dialog);
    QCOMPARE(dialog.geometry(), QRect(7, 9, 300, 200));
    dialog.resize(640, 480);
    SaveDialogPos(*m_app, &dialog);
    QCOMPARE(storedPos(), QString("7,9,640,480,0"));
    dialog.resize(100, 100);
    RestoreDialogPos(*m_app, &dialog);
    QCOMPARE(dialog.size(), QSize(640, 480));
    m_registry->WriteString(TRegistry::Hive::CurrentUser, RegistryKeys::WindowPos, "ParcDialog",
                            "5,6,900,900,0");
    RestoreDialogPos(*m_app, &dialog);
    QCOMPARE(dialog.geometry(), QRect(5, 6, 700, 500));
}

void TestShellDialogs::centerDialog()
{
    QDialog form;
    form.setObjectName("Form");
    form.resize(100, 50);
    QWidget anchor;
    anchor.setGeometry(300, 300, 21, 21); // smaller than the form: halves towards zero
    CenterDialog(*m_app, &anchor, &form);
    QCOMPARE(form.pos(), anchor.mapToGlobal(QPoint(0, 0)) + QPoint(-39, -14));
    // Without an anchor on the screen's centre; a stored position past the
    // edges is pulled back, a negative one becomes the edge.
    form.resize(200, 100);
    const QRect screen = form.screen()->geometry();
    CenterDialog(*m_app, nullptr, &form);
    QCOMPARE(form.pos(),
             screen.topLeft() + QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2));
    m_app->WriteDialogPos("Form", screen.right() + 50, screen.bottom() - 10);
    CenterDialog(*m_app, nullptr, &form);
    QCOMPARE(form.pos(), screen.topLeft() + QPoint(screen.width() - 200, screen.height() - 100));
    m_app->WriteDialogPos("Form", -40, -5);
    CenterDialog(*m_app, nullptr, &form);
    QCOMPARE(form.pos(), screen.topLeft());
}

// The main window's test runs the folder browser from selection to a new
// work directory; here the edges: a start folder that is gone, the root,
// files in the tree.
void TestShellDialogs::browseWindowSelection()
{
    const QString target = m_dir->filePath("root/a");
    QDir().mkpath(target);
    QFile file(target + "/x.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    TFolderBrowseWindow::Setup setup;
    setup.RootPath = m_dir->filePath("root");
    setup.Directory = m_dir->filePath("gone");
    TFolderBrowseWindow missing(setup, nullptr);
    QCOMPARE(missing.SelectedPath(), QString());
    QVERIFY(!missing.findChild<QPushButton*>("OKBtn")->isEnabled());
    QVERIFY(!missing.SelectPath(m_dir->path())); // outside the root
    QVERIFY(missing.SelectPath(target));
    QCOMPARE(missing.SelectedPath() + "|" + missing.StatusText(), target + "|" + target);
    QVERIFY(missing.findChild<QPushButton*>("OKBtn")->isEnabled());

    setup.IncludeFiles = true;
    TFolderBrowseWindow dirsOnly(setup, nullptr);
    QVERIFY(dirsOnly.SelectPath(file.fileName()));
    QVERIFY(!dirsOnly.CanAccept()); // a file is not a folder
    setup.DirsOnly = false;
    TFolderBrowseWindow filesToo(setup, nullptr);
    QVERIFY(filesToo.SelectPath(file.fileName()));
    QVERIFY(filesToo.CanAccept());
}

void TestShellDialogs::aboutBoxLabelsAndPosition()
{
    TInstallInfo::Set("Jan Novák", "Katastrální úřad Kladno");
    {
        TAboutBox box(m_app);
        box.show();
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(box.UserNameText() + "|" + box.CompanyText(),
                 QString("Jan Novák|Katastrální úřad Kladno"));
        box.move(61, 47);
    }
    TInstallInfo::Set(QString(), QString());
    TAboutBox again(m_app);
    again.show();
    QCOMPARE(again.pos(), QPoint(61, 47)); // where it was closed
    QCOMPARE(again.UserNameText(), QString());
}

// The import dialog over a set of area files: the target and the alias
// suggested from the district; "Storno" pressed once the first step shows
// stops the import within a second, the dialog answering all the while, and
// leaves nothing (no district, no staged directory, no code tables); a
// finished import shows each file's and each area's step, ends with the command line's
// summary, binds the alias and makes the catalogue start on it.
void TestShellDialogs::vfkImportCancelledAndDone()
{
    const QString workDb = m_dir->filePath("WorkDB");
    qputenv("ORV_WORKDB", workDb.toUtf8());
    qputenv("ORV_CONFIG_DIR", m_dir->filePath("config").toUtf8());
    qputenv("ORV_MAP_DIR", m_dir->filePath("maps").toUtf8());
    const QString data = m_dir->filePath("data");
    const QString vfk = TestSupport::samplesDir() + "/vfk/789160.vfk";
    // Three areas of about 19 MB each: building one takes a good part of a
    // second, during which the import does not report.
    QStringList files;
    for (int i = 1; i <= 3; ++i) {
        files << m_dir->filePath(QString("area-%1.vfk").arg(i));
        QVERIFY(VfkAreaFiles::write(TestSupport::samplesDir(), files.last(), i, 8) > 0);
    }
    TVfkImportDialog dialog(nullptr, m_app, data);
    dialog.AddFiles(files);
    QCOMPARE(dialog.TargetDir(), QDir::toNativeSeparators(data + "/PRACHATICE"));
    QCOMPARE(dialog.AliasName(), QString("PRACHATICE"));

    auto* step = dialog.findChild<QLabel*>("Step");
    auto* progress = dialog.findChild<QProgressBar*>("Progress");
    QElapsedTimer sinceTick, sinceCancel;
    qint64 longestGap = 0;
    bool cancel = true;
    QTimer ticks; // the dialog's events as the clerk would feel them
    connect(&ticks, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        if (cancel && !sinceCancel.isValid() && !step->text().isEmpty()) {
            sinceCancel.start();
            dialog.findChild<QPushButton*>("CancelBtn")->click();
        }
    });
    ticks.start(10);
    sinceTick.start();
    dialog.ImportClick();
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    const auto everything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    QVERIFY(QDir(data).entryList(everything).isEmpty());
    QVERIFY(!QFileInfo::exists(workDb));
    QVERIFY(QDir(m_dir->filePath("maps")).entryList(everything).isEmpty());
    QCOMPARE(step->text(), QString("Import byl zrušen."));
    QVERIFY(dialog.findChild<QPushButton*>("ImportBtn")->isEnabled());

    // A finished import: the dialog answers throughout, shows each file's
    // and each area's step, and ends with the command line's summary.
    cancel = false;
    QStringList steps;
    connect(progress, &QProgressBar::valueChanged, [&] { steps << step->text(); });
    QStringList shown;
    SetMessageDlgInterceptor([&shown](const QString& text, TMsgDlgType kind, TMsgDlgButtons) {
        shown << QString::number(kind) + ":" + text;
        return int(mrOk);
    });
    longestGap = 0;
    sinceTick.restart();
    dialog.ImportClick();
    ticks.stop();
    SetMessageDlgInterceptor({});
    QVERIFY2(longestGap < 250, qPrintable(QString::number(longestGap)));
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(QString::number(mtInformation) + ":okres ") &&
                 shown[0].contains("Okres zapsán do " + QDir::toNativeSeparators(data) +
                                   "/PRACHATICE\nAlias PRACHATICE."),
             qPrintable(shown[0]));
    steps.removeDuplicates();
    for (int i = 1; i <= 3; ++i) {
        QVERIFY2(
            shown[0].contains(QString("Saladín %1 (%2)").arg(i).arg(VfkAreaFiles::areaCode(i))),
            qPrintable(shown[0]));
        QVERIFY2(!steps.filter(QString("area-%1.vfk").arg(i)).isEmpty(),
                 qPrintable(steps.join('|')));
    }
    // The areas of one group are reported together ("Území 1–3 z 3: ...")
    // or one by one at one share done; the bar's changes catch the first.
    QVERIFY2(!steps.filter(QRegularExpression("^Území \\S+ z 3: .*Saladín \\d")).isEmpty(),
             qPrintable(steps.join('|')));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(QFileInfo::exists(data + "/PRACHATICE/NYSPA003.DB") &&
            QFileInfo::exists(workDb + "/CHARUV.DB"));
    bool bound = false;
    for (const DistrictAliasEditor::District& d : DistrictAliasEditor().districts())
        bound |= d.name == "PRACHATICE" && QDir(d.directory) == QDir(data + "/PRACHATICE");
    QVERIFY(bound);
    QCOMPARE(m_app->Settings()->GetValue("KatDialog.Okres", QString()).toString(), "PRACHATICE");
    // A taken alias is refused before anything is written.
    TVfkImportDialog again(nullptr, m_app, data);
    again.AddFiles({vfk});
    again.findChild<QLineEdit*>("AliasName")->setText("PRACHATICE");
    QString error;
    SetMessageDlgInterceptor([&error](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        error = text;
        return int(mrOk);
    });
    again.ImportClick();
    SetMessageDlgInterceptor({});
    QCOMPARE(error, QString("Alias 'PRACHATICE' již existuje."));
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QVERIFY(!QFileInfo::exists(data + "/PRACHATICE2"));
    qunsetenv("ORV_WORKDB");
    qunsetenv("ORV_CONFIG_DIR");
    qunsetenv("ORV_MAP_DIR");
}

// The help in the program's own window: the page's text inside, and the same
// page handed to the web browser on request (a refusal is reported).
void TestShellDialogs::helpWindow()
{
    const QString file = QStringLiteral(ORV_SOURCE_DIR) + "/help/index.html";
    QList<QUrl> opened;
    bool opens = true;
    THelpWindow help(file, [&](const QUrl& url) { return opened << url, opens; });
    QVERIFY(help.Browser()->toPlainText().contains("ORV – prohlížeč popisných údajů"));
    help.findChild<QPushButton*>("OpenInBrowserBtn")->click();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(file)});
    QStringList errors;
    SetMessageDlgInterceptor([&errors](const QString& text, TMsgDlgType, TMsgDlgButtons) {
        return errors << text, int(mrOk);
    });
    opens = false;
    help.OpenInBrowserClick();
    SetMessageDlgInterceptor({});
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].startsWith("Nápovědu ") && errors[0].contains("index.html"));
}

QTEST_MAIN(TestShellDialogs)
#include "tst_shelldialogs.moc"
