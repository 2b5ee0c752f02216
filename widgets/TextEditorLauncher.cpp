#include "widgets/TextEditorLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool OpenInTextEditor(const QString& filePath)
{
    const QString path = QFileInfo(filePath).absoluteFilePath();
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (command.isEmpty())
            continue;
        const QString program = command.takeFirst();
        if (QProcess::startDetached(program, command << path))
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
