#pragma once

#include "app/core/IApp.h"
#include "app/core/TKUInfo.h"
#include "browse/core/TPartExport.h"

#include <QString>
#include <memory>
#include <optional>

class Dataset;
class QMenu;
class QPushButton;
class QWidget;
class TCProcessDlg;

// The browser's "&Export": the popup `ExportPopup` under the button with its
// four items, the field-choice dialog for the columns, the file dialog for
// the target, and the clipboard. The export itself is TPartExport's.
class TParDilyExport
{
public:
    enum PopupItem
    {
        SelectedToTable,
        SelectedToClipboard,
        SelectedToClipboardDataOnly,
        SubsidyItems
    };

    // `progress`: the browser's progress window, shown with "Storno" while
    // the rows are read (none: no progress).
    TParDilyExport(QWidget* browser, std::shared_ptr<IApp> app, Dataset& work, const TKUInfo& ku,
                   const QString& workTablePath, TCProcessDlg* progress = nullptr);

    // The popup with the four items, for the button to open below itself.
    static QMenu* CreatePopup(QWidget* parent);
    // Opens the popup just below the button and runs the chosen item.
    void ExportBtnClick(QPushButton* button);
    // Runs one item; cancelling a dialog or stopping the progress ends it
    // without output.
    void PopupClick(int item);

private:
    void RunItem(int item);
    std::optional<QList<TPartExport::Item>> AskItems();
    QString AskFile();
    // The ticked items with their parcels' polygons into a GIS layer; the
    // notice counts the rows whose parcel the area's map lacks.
    void ExportMap(const QList<TPartExport::Item>& items, const QString& file);

    QWidget* m_browser;
    std::shared_ptr<IApp> m_app;
    Dataset& m_work;
    TKUInfo m_ku;
    TPartExport m_export;
};
