#pragma once

#include <QString>

class QDialog;
class QWidget;

// Says where a listing, an export, a summary or a PDF was written: a short
// information window naming the file with "Otevřít složku" (the folder in the
// desktop's file manager) and "OK". It does not block: the window is
// window-modal over `parent` and the command that wrote the file returns at
// once, so a long run of commands is never held up by it.
class FileWrittenNotice
{
public:
    // `sentence` says what was written ("Sestava byla zapsána do souboru");
    // the text adds the file's full path.
    static QString Text(const QString& sentence, const QString& file);
    // Shows the window and returns it (it deletes itself when closed).
    static QDialog* Show(QWidget* parent, const QString& sentence, const QString& file);
    // The folder holding `file` in the file manager; false when nothing could
    // open it (the caller names the folder in an error).
    static bool OpenFolder(const QString& file);
};
