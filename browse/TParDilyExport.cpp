#include "browse/TParDilyExport.h"

#include "app/core/OutputMasking.h"
#include "browse/core/TGisExportFile.h"
#include "db/AliasPaths.h"
#include "db/Dataset.h"
#include "db/Engine.h"
#include "map/core/AreaMapLookup.h"
#include "select/TCProcessDlg.h"
#include "select/TFieldsDialog.h"
#include "select/TSaveFileDialog.h"
#include "widgets/DialogPos.h"
#include "widgets/FileWrittenNotice.h"
#include "widgets/TWaitCursor.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>

namespace {

const char* const FileFilter = "Tabulky (*.db;*.dbf;*.csv)|*.db;*.dbf;*.csv|"
                               "Mapové vrstvy (*.gpkg;*.geojson)|*.gpkg;*.geojson|"
                               "Všechny soubory (*.*)|*.*";

} // namespace

TParDilyExport::TParDilyExport(QWidget* browser, std::shared_ptr<IApp> app, Dataset& work,
                               const TKUInfo& ku, const QString& workTablePath,
                               TCProcessDlg* progress)
    : m_browser(browser), m_app(std::move(app)), m_work(work), m_ku(ku),
      m_export(work, ku, m_app->WorkDbPath())
{
    m_export.SetProtected(workTablePath,
                          {Engine::instance().directoryOf(ku.Alias), m_app->WorkDbPath()});
    if (progress)
        m_export.SetProgress({[progress](int total) {
                                  progress->Start(QStringLiteral("Probíhá export ..."), total);
                              },
                              [progress] { return progress->Step(); },
                              [progress] { progress->Finish(); }});
}

QMenu* TParDilyExport::CreatePopup(QWidget* parent)
{
    auto* popup = new QMenu(parent);
    popup->setObjectName(QStringLiteral("ExportPopup"));
    const QStringList captions = {"Vybrané položky do &tabulky", "Vybrané položky do &schránky",
                                  "Vybrané položky do schránky - &pouze data",
                                  "Položky pro &dotace"};
    for (int i = 0; i < captions.size(); ++i)
        popup->addAction(captions[i])->setData(i);
    return popup;
}

void TParDilyExport::ExportBtnClick(QPushButton* button)
{
    QMenu* popup = CreatePopup(button);
    QAction* chosen = popup->exec(button->mapToGlobal(QPoint(0, button->height())));
    const int item = chosen ? chosen->data().toInt() : -1;
    popup->deleteLater();
    if (item >= 0)
        PopupClick(item);
}

void TParDilyExport::PopupClick(int item)
{
    try {
        RunItem(item);
    } catch (const TPartExport::Stopped&) {
        // Stopped by the user through the progress window: nothing written.
    }
}

void TParDilyExport::RunItem(int item)
{
    if (item == SubsidyItems) {
        const QString file = AskFile();
        if (file.isEmpty())
            return;
        {
            TWaitCursor wait(*m_app);
            m_export.ExportDotace(file);
        }
        FileWrittenNotice::Show(m_browser, QStringLiteral("Export byl zapsán do souboru"), file);
        return;
    }
    const QString file = item == SelectedToTable ? AskFile() : QString();
    if (item == SelectedToTable && file.isEmpty())
        return;
    const std::optional<QList<TPartExport::Item>> items = AskItems();
    if (!items)
        return;
    const QList<TPartExport::Item> ticked = TPartExport::TickedItems(*items);
    if (item != SelectedToTable) {
        TWaitCursor wait(*m_app);
        QGuiApplication::clipboard()->setText(
            m_export.SelectedText(ticked, item == SelectedToClipboardDataOnly));
        return;
    }
    if (TGisExportFile::IsGisPath(file)) {
        ExportMap(ticked, file);
        return;
    }
    {
        TWaitCursor wait(*m_app);
        m_export.ExportSelected(ticked, file);
    }
    FileWrittenNotice::Show(m_browser, QStringLiteral("Export byl zapsán do souboru"), file);
}

void TParDilyExport::ExportMap(const QList<TPartExport::Item>& items, const QString& file)
{
    TPartExport::MapExport done;
    {
        TWaitCursor wait(*m_app);
        done = m_export.ExportSelectedMap(items, file, ReadAreaMap(m_ku.Kod, m_ku.Katastr));
    }
    QString title = QStringLiteral("Export byl zapsán do souboru");
    if (done.withoutGeometry > 0)
        title = QStringLiteral("Export (řádků %1, z toho %2 bez polygonu parcely, která na mapě "
                               "není) byl zapsán do souboru")
                    .arg(done.rows)
                    .arg(done.withoutGeometry);
    FileWrittenNotice::Show(m_browser, title, file);
}

std::optional<QList<TPartExport::Item>> TParDilyExport::AskItems()
{
    const QList<TPartExport::Item> offered = TPartExport::OfferedItems(m_work);
    QList<TFieldsDialog::Item> captions;
    for (const TPartExport::Item& item : offered)
        captions.append({item.title, item.ticked});
    TFieldsDialog dialog(m_browser);
    dialog.SetItems(captions);
    CenterDialog(*m_app, m_browser, &dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // The titles are unique: each caption finds its item again.
    QList<TPartExport::Item> chosen;
    for (const auto& [title, ticked] : dialog.Items()) {
        for (const TPartExport::Item& item : offered)
            if (item.title == title)
                chosen.append({item.title, item.field, item.source, ticked});
    }
    return chosen;
}

QString TParDilyExport::AskFile()
{
    // The file leaves the office: the save dialog shows the masking choice
    // of the output options, and a change there is the user's new choice.
    bool mask = OutputMasking::UserChoice(*m_app->Settings());
    const bool forced = OutputMasking::MachineForces(*m_app);
    TSaveFileDialog::Options options{false, &mask, forced};
    const QString name = TSaveFileDialog::Run(
        m_app, QString::fromUtf8(FileFilter), QStringLiteral("Nalistování souboru"),
        QDir(m_app->WorkPath()).path() + u'/', false, options, m_browser);
    if (name.isEmpty())
        return QString();
    if (!forced)
        OutputMasking::SetUserChoice(*m_app->Settings(), mask);
    OutputMasking::Apply(*m_app);
    return ExpandAliasPath(name.trimmed());
}
