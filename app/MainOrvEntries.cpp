#include "app/MainOrvEntries.h"

#include <QDesktopServices>

TMainOrvEntries TMainOrvEntries::Program()
{
    TMainOrvEntries entries;
    entries.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    // The catalogue, selection, browser and report entries are added here as
    // their dialogs and forms are built.
    return entries;
}
