#include "widgets/FileDialogFit.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>

void FitFileDialog(QFileDialog& dialog)
{
    const QList<QPair<const char*, const char*>> buddies = {{"lookInLabel", "lookInCombo"},
                                                            {"fileNameLabel", "fileNameEdit"},
                                                            {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto& [label, control] : buddies) {
        auto* text = dialog.findChild<QLabel*>(QLatin1String(label));
        auto* widget = dialog.findChild<QWidget*>(QLatin1String(control));
        if (text && widget)
            text->setBuddy(widget);
    }
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!tree)
        return;
    QHeaderView* header = tree->header();
    header->setStretchLastSection(false);
    // Size, type and date as wide as their longest entry; the name column
    // takes the rest (the header sets the modes for sections added later too).
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}
