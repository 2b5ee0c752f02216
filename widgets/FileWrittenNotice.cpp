#include "widgets/FileWrittenNotice.h"

#include "widgets/MessageDlg.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

QString FileWrittenNotice::Text(const QString& sentence, const QString& file)
{
    return QStringLiteral("%1:\n%2").arg(
        sentence, QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath()));
}

QDialog* FileWrittenNotice::Show(QWidget* parent, const QString& sentence, const QString& file)
{
    auto* box = new QMessageBox(QMessageBox::Information, MessageDlgTitle(mtInformation),
                                Text(sentence, file), QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("FileWrittenNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton* folder =
        box->addButton(QStringLiteral("Otevřít &složku"), QMessageBox::ActionRole);
    box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [folder, file](QAbstractButton* b) {
        if (b == folder && !OpenFolder(file))
            ErrorBox(QStringLiteral("Složku %1 nelze otevřít")
                         .arg(QDir::toNativeSeparators(QFileInfo(file).absolutePath())));
    });
    box->open();
    return box;
}

bool FileWrittenNotice::OpenFolder(const QString& file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}
