#include "app/TFolderDialog.h"

#include "app/TFolderBrowseWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

namespace {
QString standardDir(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return QFileInfo(path).isDir() ? path : QDir::homePath();
}

void centre(QWidget* window, const QRect& over)
{
    window->move(over.center() - QPoint(window->width() / 2, window->height() / 2));
}
} // namespace

TFolderDialog::TFolderDialog(QObject* owner) : QObject(owner) {}

QString TFolderDialog::RootPath(TShellFolder folder)
{
    switch (folder) {
    case sfoDesktop:
    case sfoDesktopDirectory:
    case sfoCommonDesktopDirectory:
        return standardDir(QStandardPaths::DesktopLocation);
    case sfoPersonal:
        return standardDir(QStandardPaths::DocumentsLocation);
    case sfoPrograms:
    case sfoStartMenu:
    case sfoCommonStartMenu:
    case sfoCommonPrograms:
        return standardDir(QStandardPaths::ApplicationsLocation);
    case sfoFonts:
        return standardDir(QStandardPaths::FontsLocation);
    case sfoAppData:
        return standardDir(QStandardPaths::GenericConfigLocation);
    case sfoTemplates:
        return QDir::homePath() + QStringLiteral("/Templates");
    default:
        // The whole file system, as the expanded desktop showed everything.
        return QDir::rootPath();
    }
}

QWidget* TFolderDialog::ownerWindow() const
{
    QWidget* widget = qobject_cast<QWidget*>(parent());
    return widget ? widget->window() : nullptr;
}

bool TFolderDialog::Execute()
{
    TFolderBrowseWindow::Setup setup;
    setup.Title = m_title;
    setup.Prompt = m_text;
    setup.RootPath = RootPath(m_rootFolder);
    if (!QFileInfo(setup.RootPath).isDir())
        setup.RootPath = QDir::rootPath();
    setup.Directory = m_directory;
    setup.DirsOnly = m_options.contains(bfFileSysDirsOnly);
    setup.IncludeFiles = m_options.contains(bfBrowseIncludeFiles);
    setup.StatusLine = m_options.contains(bfStatusText);
    setup.PathInStatus = m_options.contains(bfShowPathInStatusArea);
    setup.CustomButton = m_customButton;

    QWidget* owner = ownerWindow();
    TFolderBrowseWindow window(setup, owner);
    connect(&window, &TFolderBrowseWindow::SelectionChanged, this, &TFolderDialog::OnChange);
    window.adjustSize();
    if (m_options.contains(bfScreenCenter) || !owner) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            centre(&window, screen->availableGeometry());
    } else if (m_options.contains(bfParentCenter)) {
        centre(&window, owner->frameGeometry());
    }
    QTimer::singleShot(0, this, &TFolderDialog::OnShow);
    const bool chosen = window.exec() == QDialog::Accepted;
    m_directory = chosen ? window.SelectedPath() : QString();
    m_displayName = chosen ? window.SelectedDisplayName() : QString();
    emit OnClose();
    return chosen;
}
