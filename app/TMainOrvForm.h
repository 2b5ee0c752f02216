#pragma once

#include "app/core/MainOrvEntries.h"
#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "settings/TRegistry.h"
#include "base/OrvPaths.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QMenu;
class TAreaMapWindows;
class TFolderDialog;
namespace Ui {
class TMainOrvForm;
}

// The main window: a small fixed-size window with the menu and four labels
// describing the current cadastral area. Owns the state of the run: the list
// of open areas, the current one, the output type and the application object.
class TMainOrvForm : public QMainWindow
{
    Q_OBJECT

public:
    TMainOrvForm(std::shared_ptr<IApp> app, std::shared_ptr<TRegistry> registry,
                 TMainOrvEntries entries, QWidget* parent = nullptr);
    ~TMainOrvForm() override;

    // The main window of the run (nullptr when none exists).
    static TMainOrvForm* Instance();

    // Runs the start-up check of the work directory and shows its warning and
    // any problem with the settings files. Called once after the window shows.
    // `executableDir`: where the default work directory goes (see StartupCheck).
    void RunStartupCheck(const QString& executableDir = OrvPaths::executableDir());

    void SelectKU(int i);
    void ShowKU(bool open);
    // Adds the area to the open ones and makes it current; an area whose
    // suffix is not three digits raises ETalvekException and is not added.
    void AddKU(const TKUInfo& info);

    const QList<TKUInfo>& KUList() const { return m_kuList; }
    // The current area; valid only while KUList() is not empty.
    const TKUInfo& CurrentKU() const { return m_kuList[m_current]; }
    int OutputType() const { return m_outputType; }
    bool PartsOnly() const { return m_partsOnly; }
    QSize DesignSize() const { return m_designSize; }
    const std::shared_ptr<IApp>& App() const { return m_app; }
    TFolderDialog* FolderDialog() const { return m_folderDialog; }

    // The output types of "Typ výstupu" (the numbers callers and forms rely
    // on): the listing in the browser, the simple and the detailed form,
    // and the map of the selection.
    enum Output
    {
        OutputListing = 0,
        OutputSimpleForm = 1,
        OutputDetailedForm = 2,
        OutputMap = 3
    };
    // Where the help is looked for: "help/index.html" beside the program,
    // then in the installed data directory.
    static QString HelpFile(const QString& executableDir);
    static QUrl HomePage();

    // Menu handlers (the clicked item's tag tells items of one handler apart).
    void KUOpenClick();
    void KUCloseClick();
    void KUVyhledatClick();
    // "Importovat VFK...": a district from VFK files, then the catalogue on it.
    void KUImportVfkClick();
    void OpenKUClick(QAction* item);
    void SestavaClick(int tag);
    void TiskClick(int tag);
    void TiskStatistikaClick();
    void InformaceClick(QAction* item);
    void WorkDirChangeClick();
    void KonecClick();
    // Asks "Ukončit program ?"; true when the window may close.
    bool FormCloseQuery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setupTags();
    void setupSize();
    void connectMenu();
    void runGuarded(const std::function<void()>& command);
    void notAvailable(const QAction* command);
    bool selectionCompleted(int tag, const TSelectionContext& ctx);
    void ownershipSheetSelection(const TSelectionContext& ctx);
    void showSelection(const TSelectionContext& ctx);
    // Shows a part of the context's area in the browser over its work table.
    void browseAt(const TSelectionContext& ctx, int group, int stem, int subdivision);
    // The open areas of these codes, in their order, over the work table.
    QList<TSelectionContext> openAreasOf(const QStringList& areaCodes) const;
    // "Importovat mapu VFK...": for the open areas, the maps of chosen VFK
    // files into the store.
    void importMapClick();
    void openHelp();
    void openKUItem(int index);

    std::unique_ptr<Ui::TMainOrvForm> ui;
    std::shared_ptr<IApp> m_app;
    // The selection dialog ended with "Mapa": show the map, not the browser.
    bool m_mapRequested = false;
    std::shared_ptr<TRegistry> m_registry;
    TMainOrvEntries m_entries;
    TFolderDialog* m_folderDialog = nullptr;
    QActionGroup* m_outputGroup = nullptr;
    QActionGroup* m_openKUGroup = nullptr;
    QList<TKUInfo> m_kuList;
    int m_current = -1;
    int m_outputType = 0;
    bool m_partsOnly = false;
    QSize m_designSize;
    QPointer<class THelpWindow> m_help;
    // The map windows of the open areas.
    TAreaMapWindows* m_maps = nullptr;
};
