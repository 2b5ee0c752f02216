#include "select/TSaveFileDialog.h"

#include <QFileInfo>

TSaveFileDialog::TSaveFileDialog(std::shared_ptr<IApp> app, QWidget* parent)
    : TOpenFileDialog(std::move(app), parent)
{
    setAcceptMode(QFileDialog::AcceptSave);
    setLabelText(QFileDialog::Accept, QStringLiteral("&Uložit"));
}

QString TSaveFileDialog::Run(std::shared_ptr<IApp> app, const QString& filter, const QString& title,
                             const QString& initialFileName, bool exactMatch,
                             const Options& options, QWidget* parent)
{
    TSaveFileDialog dialog(std::move(app), parent);
    dialog.setWindowTitle(title);
    dialog.SetFilter(filter);
    dialog.SetExactMatch(exactMatch);
    dialog.SetOverwritePrompt(options.overwritePrompt);
    if (!initialFileName.isEmpty()) {
        const QFileInfo info(initialFileName);
        if (info.isAbsolute())
            dialog.SetInitialDir(info.absolutePath());
        dialog.SetFileName(info.fileName());
    }
    if (!dialog.Execute())
        return QString();
    return dialog.FileName();
}
