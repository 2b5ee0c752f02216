#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QPushButton>
#include <QString>

class QPushButton;
class QWidget;

// A non-visual component that shows a folder-browse window and returns the
// chosen directory. Only folders of the file system exist on this platform,
// so every item offered is one.
class TFolderDialog : public QObject
{
    Q_OBJECT

public:
    enum TFolderDialogOption
    {
        bfFileSysDirsOnly,
        bfDontGoBelowDomain,
        bfStatusText,
        bfFileSysAncestors,
        bfBrowseForComputer,
        bfBrowseForPrinter,
        bfBrowseIncludeFiles,
        bfShowPathInStatusArea,
        bfSyncCustomButton,
        bfAlignCustomButton,
        bfScreenCenter,
        bfParentCenter,
        bfResizeCustomButton
    };
    using TFolderDialogOptions = QSet<TFolderDialogOption>;

    enum TShellFolder
    {
        sfoDesktopExpanded,
        sfoDesktop,
        sfoPrograms,
        sfoControlPanel,
        sfoPrinters,
        sfoPersonal,
        sfoFavorites,
        sfoStartup,
        sfoRecent,
        sfoSendto,
        sfoRecycleBin,
        sfoStartMenu,
        sfoDesktopDirectory,
        sfoMyComputer,
        sfoNetwork,
        sfoNetworkNeighborhood,
        sfoFonts,
        sfoTemplates,
        sfoCommonStartMenu,
        sfoCommonPrograms,
        sfoCommonStartup,
        sfoCommonDesktopDirectory,
        sfoAppData,
        sfoPrintHood
    };

    // `owner`: the window the browse window is shown over (may be null).
    explicit TFolderDialog(QObject* owner = nullptr);

    bool Ctl3D() const { return m_ctl3D; }
    void SetCtl3D(bool value) { m_ctl3D = value; } // kept for compatibility; no effect
    const QString& Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }
    const QString& Directory() const { return m_directory; }
    void SetDirectory(const QString& directory) { m_directory = directory; }
    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }
    const TFolderDialogOptions& Options() const { return m_options; }
    void SetOptions(const TFolderDialogOptions& options) { m_options = options; }
    TShellFolder RootFolder() const { return m_rootFolder; }
    void SetRootFolder(TShellFolder folder) { m_rootFolder = folder; }
    QPushButton* CustomButton() const { return m_customButton; }
    void SetCustomButton(QPushButton* button) { m_customButton = button; }
    // The display name of the item last chosen.
    const QString& DisplayName() const { return m_displayName; }

    // The directory at the top of the tree for a root folder.
    static QString RootPath(TShellFolder folder);

    // Shows the browse window modally. True when the user chose a folder; then
    // Directory() is its path. On cancel Directory() becomes empty.
    bool Execute();

signals:
    void OnShow();
    void OnClose();
    void OnChange(const QString& path);

private:
    QWidget* ownerWindow() const;

    bool m_ctl3D = true;
    QString m_title = QStringLiteral("Browse for Folder");
    QString m_directory;
    QString m_text;
    TFolderDialogOptions m_options{bfFileSysDirsOnly,  bfStatusText,        bfShowPathInStatusArea,
                                   bfSyncCustomButton, bfAlignCustomButton, bfParentCenter};
    TShellFolder m_rootFolder = sfoDesktopExpanded;
    QPointer<QPushButton> m_customButton;
    QString m_displayName;
};
