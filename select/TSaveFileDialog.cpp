#include "select/TSaveFileDialog.h"

#include "app/core/OutputMasking.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>

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
    QCheckBox* mask = options.maskBirthNumbers ? dialog.AddMaskChoice(options) : nullptr;
    if (!dialog.Execute())
        return QString();
    if (mask)
        *options.maskBirthNumbers = mask->isChecked();
    return dialog.FileName();
}

QCheckBox* TSaveFileDialog::AddMaskChoice(const Options& options)
{
    auto* box = new QCheckBox(QStringLiteral("Skrýt rodná čísla"), this);
    box->setObjectName(QStringLiteral("SkrytRodnaCisla"));
    box->setChecked(*options.maskBirthNumbers || options.maskForced);
    box->setEnabled(!options.maskForced);
    if (options.maskForced)
        box->setToolTip(OutputMasking::ForcedReason());
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    else
        layout()->addWidget(box);
    return box;
}
